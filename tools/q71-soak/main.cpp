// q71-soak: the plugin driven for a long time in one process, on virtual time, to show that its
// heap stays flat. It prints the heap in use after a warm-up and after each phase, and fails when
// the end exceeds the warm-up by more than the noise (64 KiB): a leak of a single byte per input
// report, or of 64 bytes per plug or plugin cycle, crosses it.
#include "cHost.h"
#include "cProfilerEventReceiver.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cVirtualEventDispatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr qint64 g_noiseBytes = 64 * 1024;

// What a headset sends in use: answers and status changes (Dolby, light, notification), the
// three keys pressed and released, volume steps and a request to be set up again.
const char *const g_reports[] = {
    "0201000000", "0201010000", "0201020000", "0201080000", "0201000000", "0210110000", "0210000000",
    "0210002200", "0210000000", "0210000033", "0210000000", "0100010000", "0100000000", "0100020000",
    "0100000000", "0101000000", "0201000000", "02011100",   "0301010000",
};
constexpr int g_reportKinds = int(sizeof g_reports / sizeof *g_reports);

// What the plugin did, counted as the host saw it, so that a run that did nothing shows.
struct cWork
{
    qint64 keyEvents = 0;
    qint64 outputReports = 0;
    qint64 deviceStarts = 0;
} g_work;

// Bytes the program holds: allocated from the arena (uordblks) and in chunks of their own mapping
// (hblkhd, for the largest blocks).
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// glibc's per-thread cache keeps up to seven freed chunks of each small size for reuse, and
// mallinfo2 counts them as in use: tens of kilobytes that come and go with the order of frees,
// more than the growth to be seen. The program runs itself again without that cache.
void withoutThreadCache(char **argv)
{
    static const char tunable[] = "glibc.malloc.tcache_count=0";
    const QByteArray tunables = qgetenv("GLIBC_TUNABLES");
    if (tunables.contains(tunable))
        return;
    qputenv("GLIBC_TUNABLES", tunables.isEmpty() ? QByteArray(tunable) : tunables + ':' + tunable);
    execv("/proc/self/exe", argv);
    // Not re-run: the figures carry the cache's noise, and the noise limit may be crossed by it.
    std::perror("q71-soak: cannot run itself again without glibc's thread cache");
}

void settle()
{
    // Pending shots, completions and deferred deletions run out before the heap is read.
    cVirtualEventDispatcher::current()->advance(1000);
}

// The host's own records of what the plugin did (key events, model calls, writes) grow with use;
// they go with the headset's unplug and are cleared here, so that only the plugin's memory counts.
void useHeadset(cHost &host, cSimBus &bus, int reports, int *fed)
{
    bus.plugHeadset();
    g_work.deviceStarts += host.start();
    cVirtualEventDispatcher::current()->advance(500);
    const cMicrophoneClient microphone = cHost::microphone(bus.device(host));
    const QSharedPointer<cSimHidTransport> hid = bus.hidTransport();
    for (int i = 0; i < reports; ++i, ++*fed) {
        hid->feedInput(QByteArray::fromHex(g_reports[*fed % g_reportKinds]));
        if (*fed % 97 == 0) {
            microphone.setLightConfig(MicLight::MicLight_t(1 + *fed % 3));
            microphone.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(1 + *fed % 2));
        }
        if (*fed % 10 == 0)
            cVirtualEventDispatcher::current()->advance(120);
    }
    host.exitApplication();
    host.stop();
    g_work.keyEvents += host.profilerEvents()->events().size();
    g_work.outputReports += hid->writes().size();
    bus.unplugAll();
    host.profilerEvents()->clear();
}

void plugCycle(cHost &host, cSimBus &bus)
{
    bus.plugHeadset();
    g_work.deviceStarts += host.start();
    cVirtualEventDispatcher::current()->advance(150);
    host.stop();
    bus.unplugAll();
}

bool pluginCycle(cHost &host, cSimBus &bus)
{
    host.shutdownPlugin();
    if (!host.loadPlugin())
        return false;
    // The new provider makes a device too, so that each cycle's provider is used before it goes.
    plugCycle(host, bus);
    return true;
}

void print(const char *what, qint64 bytes)
{
    std::printf("  %-34s %10lld B\n", what, static_cast<long long>(bytes));
    std::fflush(stdout);
}

struct cSoakCounts
{
    int reports = 0;
    int plugs = 0;
    int inits = 0;
};

cSoakCounts parseCounts(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drives the Q71Device plugin for a long time on virtual time and fails when its heap grows."));
    parser.addHelpOption();
    const QCommandLineOption reportsOption(QStringLiteral("reports"), QStringLiteral("Input reports."),
                                           QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption plugsOption(QStringLiteral("plugs"),
                                         QStringLiteral("Plug, start, stop and unplug cycles."),
                                         QStringLiteral("N"), QStringLiteral("10000"));
    const QCommandLineOption initsOption(QStringLiteral("inits"),
                                         QStringLiteral("Plugin initialise and shutdown cycles."),
                                         QStringLiteral("N"), QStringLiteral("1000"));
    parser.addOptions({reportsOption, plugsOption, initsOption});
    parser.process(app);
    return {parser.value(reportsOption).toInt(), parser.value(plugsOption).toInt(),
            parser.value(initsOption).toInt()};
}

// The warm-up fills what Qt and the framework keep once per process (meta-type registrations,
// the service manager's method cache, the event dispatcher's tables) and what the allocator
// keeps for reuse.
bool warmUp(cHost &host, cSimBus &bus)
{
    int fed = 0;
    for (int i = 0; i < 5; ++i)
        useHeadset(host, bus, 1000, &fed);
    for (int i = 0; i < 100; ++i)
        plugCycle(host, bus);
    for (int i = 0; i < 20; ++i) {
        if (!pluginCycle(host, bus))
            return false;
    }
    return true;
}

// The long run itself; the heap in use at its end.
qint64 soak(cHost &host, cSimBus &bus, const cSoakCounts &counts)
{
    int fed = 0;
    constexpr int perHeadset = 1000;
    for (int done = 0; done < counts.reports; done += perHeadset)
        useHeadset(host, bus, qMin(perHeadset, counts.reports - done), &fed);
    settle();
    print(qPrintable(QStringLiteral("after %1 input reports").arg(counts.reports)), heapInUse());

    for (int i = 0; i < counts.plugs; ++i)
        plugCycle(host, bus);
    settle();
    print(qPrintable(QStringLiteral("after %1 plug cycles").arg(counts.plugs)), heapInUse());

    for (int i = 0; i < counts.inits; ++i) {
        if (!pluginCycle(host, bus)) {
            std::fprintf(stderr, "q71-soak: %s\n", qPrintable(host.pluginError()));
            return -1;
        }
    }
    settle();
    const qint64 end = heapInUse();
    print(qPrintable(QStringLiteral("after %1 plugin cycles").arg(counts.inits)), end);
    return end;
}

} // namespace

int main(int argc, char **argv)
{
    withoutThreadCache(argv);
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-soak"));
    const cSoakCounts counts = parseCounts(app);

    cSimBus bus;
    cHost host;
    host.attachBus(&bus);
    if (!host.loadPlugin()) {
        std::fprintf(stderr, "q71-soak: %s\n", qPrintable(host.pluginError()));
        return 2;
    }
    if (!warmUp(host, bus))
        return 2;
    // Printed first: stdout's buffer is allocated by the first line.
    std::printf("q71-soak: heap in use (mallinfo2 uordblks + hblkhd)\n");
    settle();
    const qint64 warm = heapInUse();
    if (warm <= 0) {
        std::fprintf(stderr,
                     "q71-soak: glibc reports no heap in use: another allocator (a sanitizer's?) "
                     "serves this program, so there is nothing to measure\n");
        return 2;
    }
    print("after warm-up", warm);
    const qint64 end = soak(host, bus, counts);
    if (end < 0)
        return 2;

    std::printf("  work: %lld key events, %lld output reports, %lld device starts\n",
                static_cast<long long>(g_work.keyEvents), static_cast<long long>(g_work.outputReports),
                static_cast<long long>(g_work.deviceStarts));
    const qint64 growth = end - warm;
    const bool flat = growth <= g_noiseBytes;
    std::printf("  growth %+lld B (%+.2f %%), noise %lld B: %s\n", static_cast<long long>(growth),
                warm ? 100.0 * double(growth) / double(warm) : 0.0, static_cast<long long>(g_noiseBytes),
                flat ? "flat" : "GROWS");
    return flat ? 0 : 1;
}
