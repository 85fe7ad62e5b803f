// Loading and initialising the plugin, and bringing a headset's device up, with the heap each
// device takes.
#include "Benchmarks.h"
#include "IAbstractDevice.h"
#include "cBenchHost.h"
#include "cBenchTable.h"
#include "cHost.h"
#include "cTransportFactory.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QLibrary>
#include <QProcess>

#include <malloc.h>

#include <cstdio>
#include <ctime>

namespace {

// Heap in use, chunk headers included: what the process really pays for an object.
qint64 heapInUse()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

// Units far from those the input benchmarks attach, so that both can be plugged at once.
constexpr int g_bringUpUnit = 1000;
constexpr int g_heapUnits = 16;

// CPU time, as the table reports it for every row: on a shared machine the wall clock also counts
// what other processes ran meanwhile.
class cCpuTimer
{
public:
    explicit cCpuTimer(clockid_t clock = CLOCK_THREAD_CPUTIME_ID)
        : m_clock(clock)
        , m_start(now(clock))
    { }

    qint64 nanoseconds() const { return now(m_clock) - m_start; }
    double seconds() const { return double(nanoseconds()) / 1e9; }

private:
    static qint64 now(clockid_t clock)
    {
        timespec time {};
        clock_gettime(clock, &time);
        return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
    }

    clockid_t m_clock;
    qint64 m_start;
};

void initializeCycle(benchmark::State &state)
{
    cBenchHost &bench = cBenchHost::instance();
    bench.attach(0);
    bool ok = true;
    for (auto _ : state) {
        bench.host().shutdownPlugin();
        ok = bench.host().loadPlugin() && ok;
    }
    if (!ok)
        state.SkipWithError(qPrintable(bench.host().pluginError()));
}

void manifestParse(benchmark::State &state)
{
    const QString fileName = cBenchHost::manifestFile();
    bool ok = true;
    for (auto _ : state) {
        QFile file(fileName);
        QDomDocument document;
        ok = file.open(QIODevice::ReadOnly) && document.setContent(&file) && ok;
        benchmark::DoNotOptimize(document);
    }
    if (!ok)
        state.SkipWithError("the manifest did not parse");
}

// Each iteration a new process, so that the library is loaded for the first time in it; the
// child times the load itself, without its own start-up.
void firstLoad(benchmark::State &state, const char *what)
{
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--q71-child=") + QLatin1String(what)});
        const bool finished = child.waitForFinished(30000) && child.exitStatus() == QProcess::NormalExit
            && child.exitCode() == 0;
        bool parsed = false;
        const qint64 nanoseconds = child.readAllStandardOutput().trimmed().toLongLong(&parsed);
        if (!finished || !parsed || nanoseconds <= 0) {
            state.SkipWithError("the child process did not report a load");
            return;
        }
        state.SetIterationTime(double(nanoseconds) / 1e9);
    }
}

void firstLoadPlugin(benchmark::State &state)
{
    firstLoad(state, "load");
}

void firstLoadLibrary(benchmark::State &state)
{
    firstLoad(state, "dlopen");
}

// Heap per headset, once every one-time cost (cache entries, meta-type lookups) was paid by an
// earlier headset: `plug` makes what one headset holds and `unplug` lets it go.
template<class Plug, class Unplug> qint64 heapPerHeadset(Plug plug, Unplug unplug)
{
    plug(g_bringUpUnit + g_heapUnits);
    unplug(g_bringUpUnit + g_heapUnits);
    const qint64 before = heapInUse();
    for (int i = 0; i < g_heapUnits; ++i)
        plug(g_bringUpUnit + i);
    const qint64 after = heapInUse();
    for (int i = 0; i < g_heapUnits; ++i)
        unplug(g_bringUpUnit + i);
    return (after - before) / g_heapUnits;
}

void deviceBringUp(benchmark::State &state)
{
    cBenchHost &bench = cBenchHost::instance();
    bench.attach(0);
    const auto unplug = [&bench](int unit) { bench.unplug(unit); };
    state.counters["heap_bytes_per_device"]
        = double(heapPerHeadset([&bench](int unit) { bench.plug(unit); }, unplug));
    for (auto _ : state) {
        const cCpuTimer timer;
        const cAbstractDevicePtr device = bench.plug(g_bringUpUnit);
        state.SetIterationTime(timer.seconds());
        if (!device || device->validate() != DeviceValidationResult::Complete) {
            state.SkipWithError("the headset did not come up complete");
            return;
        }
        bench.unplug(g_bringUpUnit);
    }
}

// What the bus alone spends on a headset: its three transports, offered to nobody.
void transportsOnly(benchmark::State &state)
{
    QList<cAbstractTransportPtr> held;
    held.reserve(3 * (g_heapUnits + 1));
    const auto plug = [&held](int unit) {
        for (TransportKind::TransportKind_t kind :
             {TransportKind::Hid, TransportKind::Render, TransportKind::Capture})
            held.append(cTransportFactory::headset(kind, unit));
    };
    state.counters["heap_bytes_per_device"] = double(heapPerHeadset(plug, [&held](int) { held.clear(); }));
    for (auto _ : state) {
        const cCpuTimer timer;
        plug(g_bringUpUnit);
        state.SetIterationTime(timer.seconds());
        held.clear();
    }
}

} // namespace

int runLoadChild(const QString &what)
{
    cHost host;
    qint64 nanoseconds = 0;
    bool ok = false;
    // The process's CPU time: the loader's file reads count as the system time they take.
    if (what == QLatin1String("load")) {
        const cCpuTimer timer(CLOCK_PROCESS_CPUTIME_ID);
        ok = host.loadPlugin();
        nanoseconds = timer.nanoseconds();
    } else if (what == QLatin1String("dlopen")) {
        QLibrary library(cHost::defaultPluginFile());
        library.setLoadHints(QLibrary::PreventUnloadHint);
        const cCpuTimer timer(CLOCK_PROCESS_CPUTIME_ID);
        ok = library.load();
        nanoseconds = timer.nanoseconds();
    }
    if (!ok)
        return 1;
    std::printf("%lld\n", static_cast<long long>(nanoseconds));
    return 0;
}

void registerLifecycleBenchmarks(cBenchTable &table)
{
    benchmark::RegisterBenchmark("plugin/initialize_cycle", initializeCycle)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("plugin/manifest_parse", manifestParse)->Unit(benchmark::kMicrosecond);
    table.addTimeRow(
        {"plugin/initialize_cycle", "plugin/manifest_parse",
         "shutdown() then the host's loadPlugin() of the loaded library: entrypoint, initialize, "
         "the manifest read and parsed by name, the provider registered; baseline: the manifest "
         "file parsed into a QDomDocument",
         0, 0});

    benchmark::RegisterBenchmark("plugin/first_load", firstLoadPlugin)
        ->UseManualTime()
        ->Iterations(2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("plugin/dlopen_only", firstLoadLibrary)
        ->UseManualTime()
        ->Iterations(2)
        ->Unit(benchmark::kMillisecond);
    table.addTimeRow({"plugin/first_load", "plugin/dlopen_only",
                      "the host's loadPlugin() in a new process: the library loaded for the first time, then "
                      "initialised; baseline: the library loaded alone in a new process",
                      0, 0});

    benchmark::RegisterBenchmark("device/bring_up", deviceBringUp)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("device/transports_only", transportsOnly)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    table.addTimeRow({"device/bring_up", "device/transports_only",
                      "a headset plugged: its three transports made and offered, createDevice (with the "
                      "profiler device by name), two addTransport, the audio device by name; baseline: the "
                      "three transports made alone",
                      0, 0});
    table.addCounterRow({"device/bring_up", "device/transports_only", "heap_bytes_per_device", "B",
                         "heap a plugged headset holds (glibc mallinfo2, chunk headers "
                         "included), less what its three transports hold",
                         8192});
}
