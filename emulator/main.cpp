// q71-host: loads the Q71Device plugin as the host application does and puts a simulated
// headset through a scenario, printing what happens as a timeline or as JSON Lines.
#include "NexaroHost.h"
#include "cCaptureReader.h"
#include "cClock.h"
#include "cEmulatorOptions.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cLogCapture.h"
#include "cPcapSink.h"
#include "cProgressLine.h"
#include "cScenarioFile.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cServiceCallTracer.h"
#include "cSimBus.h"
#include "cTimelineSink.h"
#include "cTrace.h"
#include "cVirtualEventDispatcher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QScopedPointer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int g_exitFailure = 2;
const char g_manifest[] = "Device_Manifest.xml";
// The longest error line, so that a file name or a read error made of junk cannot flood the
// terminal.
const int g_longestMessage = 200;
// Whether the program started with no standard input, taken before anything can open a file.
bool g_stdinClosed = false;
// What a run plays when it has a capture to replay and no scenario: the headset is plugged and
// started, the capture plays out, and some time is left for what its last report sets off (a
// new setup takes four paced writes).
const qint64 g_replayTailMs = 500;

int fail(const QString &message)
{
    std::fprintf(stderr, "q71-host: %s\n", qUtf8Printable(message));
    return g_exitFailure;
}

// Where the trace goes: the printer the options ask for, and the capture file when one is asked
// for.
struct cSinks
{
    QScopedPointer<ITraceSink> printer;
    QScopedPointer<cPcapSink> pcap;

    bool close(QString *error)
    {
        if (!pcap || pcap->close())
            return true;
        *error = pcap->errorString();
        return false;
    }
};

// The scenario of a run with a capture and no scenario file.
cScenario replayScenario(qint64 lengthMs)
{
    cScenario scenario;
    scenario.source = QStringLiteral("<replay>");
    cScenarioCommand plug;
    plug.kind = cScenarioCommand::Plug;
    for (TransportKind::TransportKind_t kind :
         {TransportKind::Hid, TransportKind::Render, TransportKind::Capture})
        plug.transports.append({kind, cTransportChoice::Headset});
    cScenarioCommand start;
    start.kind = cScenarioCommand::Start;
    cScenarioCommand wait;
    wait.kind = cScenarioCommand::Wait;
    wait.ms = lengthMs + g_replayTailMs;
    cScenarioCommand unplug = plug;
    unplug.kind = cScenarioCommand::Unplug;
    scenario.commands = {plug, start, wait, unplug};
    return scenario;
}

bool readCapture(const cEmulatorOptions &options, cCaptureReader *capture, QString *error)
{
    if (!capture->read(options.replayFile, options.replayDevice))
        *error = capture->errorString();
    else if (capture->devices().size() > 1)
        *error = QStringLiteral("%1 holds the input of several devices (%2): choose one with --replay-device")
                     .arg(options.replayFile, capture->devices().join(QStringLiteral(", ")));
    else if (capture->reportCount() == 0)
        *error = QStringLiteral("%1 holds no interrupt IN data to replay").arg(options.replayFile);
    return error->isEmpty();
}

// 0, or the exit code of a scenario that cannot be read or holds a malformed line (each one
// reported on a line of its own, up to a limit). `title` names the run in the timeline's first
// line. The scenario is checked to its end here and read again as it runs.
int loadScenario(const cEmulatorOptions &options, cScenarioFile *scenario, QString *title)
{
    if (!options.hasScenario && options.hasReplay) {
        *title = QStringLiteral("replay of %1").arg(options.replayFile);
        return 0;
    }
    // A closed standard input would otherwise read as whatever file took its descriptor since.
    if (options.scenario == QLatin1String("-") && g_stdinClosed)
        return fail(QStringLiteral("cannot read scenario <stdin>: standard input is closed"));
    cScenarioParser parser;
    if (!scenario->open(options.scenario) || !scenario->check(&parser))
        return fail(cScenarioParser::printable(scenario->errorString(), g_longestMessage));
    if (parser.errorCount() > 0) {
        for (const QString &line : parser.errors())
            std::fprintf(stderr, "%s\n", qUtf8Printable(line));
        return g_exitFailure;
    }
    *title = options.hasScenario ? scenario->source() : QStringLiteral("the built-in demo");
    return 0;
}

bool checkPlugin(const QString &pluginFile, QString *error)
{
    const QFileInfo plugin(pluginFile);
    if (!plugin.isFile())
        *error = QStringLiteral("no plugin at %1 (give one with --plugin PATH)").arg(pluginFile);
    else if (!QFileInfo(plugin.dir().filePath(QLatin1String(g_manifest))).isFile())
        *error = QStringLiteral("no %1 beside the plugin %2").arg(QLatin1String(g_manifest), pluginFile);
    return error->isEmpty();
}

bool openSinks(const cEmulatorOptions &options, const QString &title, const cClock &clock, QIODevice *out,
               cSinks *sinks, QString *error)
{
    if (options.json)
        sinks->printer.reset(new cJsonLinesSink(out, options.quiet));
    else
        sinks->printer.reset(
            new cTimelineSink(out,
                              QStringLiteral("q71-host %1: %2 on the %3 clock, plugin %4")
                                  .arg(QCoreApplication::applicationVersion(), title,
                                       clock.isVirtual() ? QStringLiteral("virtual") : QStringLiteral("real"),
                                       QDir::cleanPath(QFileInfo(options.pluginFile).absoluteFilePath())),
                              options.quiet));
    if (!options.hasPcap)
        return true;
    sinks->pcap.reset(new cPcapSink(clock.isVirtual() ? 0 : QDateTime::currentMSecsSinceEpoch() * 1000));
    if (sinks->pcap->open(options.pcapFile))
        return true;
    *error = sinks->pcap->errorString();
    return false;
}

// Loads the plugin and plays the scenario, every Qt message of the time going into the trace.
// 0, or the exit code of a plugin that did not load.
int play(const cEmulatorOptions &options, cScenarioFile &scenario, cCaptureReader &capture, cHost &host,
         cSimBus &bus, cClock &clock, cTrace &trace)
{
    cLogCapture log(trace);
    QScopedPointer<cServiceCallTracer> serviceTracer;
    if (options.verbose)
        serviceTracer.reset(new cServiceCallTracer(trace));
    if (!host.loadPlugin(QFileInfo(options.pluginFile).absoluteFilePath()))
        return fail(host.pluginError());

    cScenarioRunner runner(host, bus, clock, trace);
    cProgressLine progress(stderr);
    runner.setProgress(&progress);
    if (options.hasReplay)
        runner.setReplay(&capture, QFileInfo(options.replayFile).fileName());
    if (options.hasReplay && !options.hasScenario)
        runner.run(replayScenario(runner.replayLengthMs()));
    else
        runner.run([&scenario](cScenarioCommand *command) { return scenario.next(command); });
    progress.clear();
    // A scenario that cannot be read to its end the second time did not run as written.
    if (!scenario.errorString().isEmpty())
        return fail(cScenarioParser::printable(scenario.errorString(), g_longestMessage));
    trace.finish();
    return 0;
}

int run(const cEmulatorOptions &options, cScenarioFile &scenario, const QString &title,
        cCaptureReader &capture)
{
    if (options.hasLocale)
        Nexaro::setLocaleOverride(options.locale);
    if (options.verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("nexaro.services.warning=true"));

    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    cClock clock;
    cTrace trace(clock);
    cSinks sinks;
    QString error;
    if (!openSinks(options, title, clock, &out, &sinks, &error))
        return fail(error);
    trace.addSink(sinks.printer.data());
    if (sinks.pcap)
        trace.addSink(sinks.pcap.data());

    // The bus outlives the host, which takes every transport back from the devices as it goes.
    cSimBus bus;
    cHost host;
    host.attachBus(&bus);
    int status = play(options, scenario, capture, host, bus, clock, trace);
    if (status == 0 && !sinks.close(&error))
        status = fail(error);

    // What the scenario left running is taken down untraced, as the host application closes; the
    // services it took away come back first, so that the teardown finds them.
    for (cHostServices::Service service : cHostServices::All)
        host.services().setAvailable(service, true);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    g_stdinClosed = fcntl(STDIN_FILENO, F_GETFD) < 0;
    if (!cEmulatorOptions::realtimeIn(argc, argv))
        QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Q71_HOST_VERSION));

    // Everything the run needs is checked before anything of it happens.
    cEmulatorOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error))
        return fail(error);
    cCaptureReader capture;
    if (options.hasReplay && !readCapture(options, &capture, &error))
        return fail(error);
    cScenarioFile scenario;
    QString title;
    if (const int status = loadScenario(options, &scenario, &title))
        return status;
    if (!checkPlugin(options.pluginFile, &error))
        return fail(error);
    return run(options, scenario, title, capture);
}
