// q71-host: loads the Q71Device plugin as the host application does and puts a simulated
// headset through a scenario, printing what happens as a timeline or as JSON Lines.
#include "CaptureFormat.h"
#include "ManifestCheck.h"
#include "StandardInput.h"
#include "NexaroHost.h"
#include "cClock.h"
#include "cDesktopConfig.h"
#include "cDesktopHooks.h"
#include "cEmulatorOptions.h"
#include "cHidRecordSink.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cLiveRun.h"
#include "cLogCapture.h"
#include "cPcapSink.h"
#include "cPluginStage.h"
#include "cProgressLine.h"
#include "cRunChecks.h"
#include "cScenarioFile.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cServiceCallTracer.h"
#include "cSignalStop.h"
#include "cSimBus.h"
#include "cSimDeviceFacts.h"
#include "cTerminalPrinter.h"
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

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const int g_exitFailure = 2;
// A run that went to its end but could not write all of its output.
const int g_exitOutputFailure = 1;
// A run that went to its end and broke an expectation, --strict or --check.
const int g_exitCheckFailed = 1;
// Whether the program started with no standard input, taken before anything can open a file.
bool g_stdinClosed = false;
// What a run plays when it has a capture to replay and no scenario: the headset is plugged and
// started, the capture plays out, and some time is left for what its last report sets off (a
// new setup takes four paced writes).
const qint64 g_replayTailMs = 500;
// How long a run that ends waits for the user's commands it started, in all.
const int g_commandGraceMs = 3000;

// What the program checked and opened before anything of the run happens.
struct cPrepared
{
    cScenarioFile scenario;
    QString title; // names the run in the timeline's first line
    std::unique_ptr<ICaptureReader> capture; // the capture to replay, when there is one
    cRunChecks checks;
    cDesktopConfig config;
};

// The parts a run is made of: run() makes them, play() plays the scenario with them.
struct cRunParts
{
    cHost &host;
    cSimBus &bus;
    cLiveRun *live; // null when only the simulated bus is there
    cClock &clock;
    cTrace &trace;
    cProgressLine &progress;
    const cPluginStage &stage; // where the plugin is loaded from, and the manifest it reads
};

int fail(const QString &message)
{
    std::fprintf(stderr, "q71-host: %s\n", qUtf8Printable(message));
    return g_exitFailure;
}

void printLines(const QStringList &lines)
{
    for (const QString &line : lines)
        std::fprintf(stderr, "%s\n", qUtf8Printable(line));
}

int failOutput(const QString &message)
{
    fail(message);
    return g_exitOutputFailure;
}

// Where the trace goes: the printer the options ask for, and the capture file when one is asked
// for.
struct cSinks
{
    // What the captures say of the devices: the live bus's or the simulated one's.
    QScopedPointer<IDeviceFacts> facts;
    QScopedPointer<ITraceSink> printer;
    QScopedPointer<cPcapSink> pcap;
    QScopedPointer<cHidRecordSink> record;

    bool close(QString *error)
    {
        if (pcap && !pcap->close())
            *error = pcap->errorString();
        else if (record && !record->close())
            *error = record->errorString();
        return error->isEmpty();
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

bool readCapture(const cEmulatorOptions &options, std::unique_ptr<ICaptureReader> *reader, QString *error)
{
    *reader = CaptureFormat::read(options.replayFile, options.replayDevice, error);
    const ICaptureReader *capture = reader->get();
    if (!capture)
        return false;
    if (options.replayDevice.isEmpty() && capture->devices().size() > 1)
        *error = QStringLiteral("%1 holds the input of several devices (%2): choose one with --replay-device")
                     .arg(options.replayFile, capture->devices().join(QStringLiteral(", ")));
    else if (capture->reportCount() == 0)
        *error = QStringLiteral("%1 holds no input reports to replay").arg(options.replayFile);
    return error->isEmpty();
}

// 0, or the exit code of a scenario that cannot be read or holds a malformed line (each one
// reported on a line of its own, up to a limit). `title` names the run in the timeline's first
// line. The scenario is checked to its end here and read again as it runs.
int loadScenario(const cEmulatorOptions &options, cScenarioFile *scenario, QString *title, cRunChecks *checks)
{
    if (!options.hasScenario && options.hasReplay) {
        *title = QStringLiteral("replay of %1").arg(cScenarioParser::printable(options.replayFile));
        return 0;
    }
    if (!options.hasScenario && options.live) {
        *title = QStringLiteral("the machine's headsets until stopped");
        return 0;
    }
    // A closed standard input would otherwise read as whatever file took its descriptor since.
    if (options.scenario == QLatin1String("-") && g_stdinClosed)
        return fail(QStringLiteral("cannot read scenario <stdin>: standard input is closed"));
    cScenarioParser parser;
    // A live run refuses what it cannot do before anything of it happens, as a malformed line.
    QStringList refusals;
    const auto inspect = [&](const cScenarioCommand &command) {
        if (command.kind == cScenarioCommand::Expect)
            checks->setExpectations(true);
        const QString refusal = options.live ? cLiveRun::refusal(scenario->source(), command) : QString();
        if (!refusal.isEmpty())
            refusals << refusal;
    };
    if (!scenario->open(options.scenario) || !scenario->check(&parser, inspect))
        return fail(cScenarioParser::printable(scenario->errorString()));
    if (parser.errorCount() > 0) {
        printLines(parser.errors());
        return g_exitFailure;
    }
    // A file name may hold bytes a terminal would act on.
    *title = options.hasScenario ? cScenarioParser::printable(scenario->source())
                                 : QStringLiteral("the built-in demo");
    printLines(refusals);
    return refusals.isEmpty() ? 0 : g_exitFailure;
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
                                       cScenarioParser::printable(QDir::cleanPath(
                                           QFileInfo(options.pluginFile).absoluteFilePath()))),
                              options.quiet));
    if (options.hasPcap || options.hasRecord)
        sinks->facts.reset(options.live ? cLiveRun::newDeviceFacts() : new cSimDeviceFacts);
    if (options.hasPcap) {
        sinks->pcap.reset(
            new cPcapSink(*sinks->facts, clock.isVirtual() ? 0 : QDateTime::currentMSecsSinceEpoch() * 1000));
        if (!sinks->pcap->open(options.pcapFile))
            *error = sinks->pcap->errorString();
    }
    if (options.hasRecord && error->isEmpty()) {
        sinks->record.reset(new cHidRecordSink(*sinks->facts));
        if (!sinks->record->open(options.recordFile))
            *error = sinks->record->errorString();
    }
    return error->isEmpty();
}

// Loads the plugin and plays the scenario, every Qt message of the time going into the trace.
// 0, the exit code of a plugin that did not load or of a scenario that could not be read again, or
// that of a run a signal stopped. A live run, and one a signal stopped, end as if every transport
// were unplugged, traced.
int play(const cEmulatorOptions &options, cPrepared &prepared, const cRunParts &parts)
{
    cLogCapture log(parts.trace, options.verbose);
    QScopedPointer<cServiceCallTracer> serviceTracer;
    if (options.verbose)
        serviceTracer.reset(new cServiceCallTracer(parts.trace));
    for (const QString &problem :
         ManifestCheck::problems(parts.stage.manifestPath(), parts.stage.manifestFile()))
        parts.trace.record(
            TraceKind::Log,
            {{QStringLiteral("level"), QStringLiteral("warning")}, {QStringLiteral("message"), problem}});
    if (!parts.host.loadPlugin(parts.stage.pluginFile()))
        return fail(parts.host.pluginError());

    cScenarioRunner runner(parts.host, parts.bus, parts.clock, parts.trace);
    const auto stopped = [] { return cSignalStop::caughtSignal() != 0; };
    runner.setStopRequested(stopped);
    QSettings *config = prepared.config.settings();
    QScopedPointer<cDesktopHooks> desktop(
        config ? new cDesktopHooks(parts.host, runner, *config, !parts.clock.isVirtual()) : nullptr);
    if (parts.live)
        parts.live->begin(parts.host, runner.recorder());
    runner.setProgress(&parts.progress);
    runner.setExpectations(prepared.checks.expectations());
    if (options.hasReplay)
        runner.setReplay(prepared.capture.get(), QFileInfo(options.replayFile).fileName(),
                         options.replayOffsetMs);
    if (options.hasReplay && !options.hasScenario)
        runner.run(replayScenario(runner.replayLengthMs()));
    else if (options.hasScenario || !parts.live)
        runner.run([&prepared](cScenarioCommand *command) { return prepared.scenario.next(command); });
    parts.progress.clear();
    // A scenario that cannot be read to its end the second time did not run as written.
    if (!prepared.scenario.errorString().isEmpty())
        return fail(cScenarioParser::printable(prepared.scenario.errorString()));
    // The signal's notifier ends the event loop.
    if (parts.live && !options.hasScenario && cSignalStop::caughtSignal() == 0)
        QCoreApplication::exec();
    if (parts.live || stopped())
        parts.host.deviceManager()->clear();
    // A signal while the commands finish stops them and the run at once, with its exit code.
    if (desktop)
        desktop->finish(g_commandGraceMs, stopped);
    parts.trace.finish();
    const int signal = cSignalStop::caughtSignal();
    return signal != 0 ? cSignalStop::exitCode(signal) : 0;
}

// The trace names the plugin as the user gave it; it is loaded from where the stage put it.
int run(const cEmulatorOptions &options, const cPluginStage &stage, cPrepared &prepared)
{
    if (options.hasLocale)
        Nexaro::setLocaleOverride(options.locale);
    // The framework's reasons for a failed call are counted in every run and shown in verbose
    // ones (cLogCapture), so that the summary does not depend on what was shown.
    QLoggingCategory::setFilterRules(QStringLiteral("nexaro.services.warning=true"));

    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    cClock clock;
    // A signal ends every loop the run is in (the wall clock's waits are event loops); on the
    // virtual clock the runner sees it before its next command.
    cSignalStop signalStop(!clock.isVirtual());
    QObject::connect(&signalStop, &cSignalStop::caught, [] { QCoreApplication::exit(); });
    cTrace trace(clock);
    cSinks sinks;
    QString error;
    if (!openSinks(options, prepared.title, clock, &out, &sinks, &error))
        return fail(error);
    cProgressLine progress(stderr);
    cTerminalPrinter printer(sinks.printer.data(), stdout, progress);
    trace.addSink(&printer);
    if (sinks.pcap)
        trace.addSink(sinks.pcap.data());
    if (sinks.record)
        trace.addSink(sinks.record.data());
    cRunChecks &checks = prepared.checks;
    checks.setStopRequested([] { return cSignalStop::caughtSignal() != 0; });
    checks.attach(trace, prepared.scenario.source(), [&progress](const QString &line) {
        progress.clear();
        printLines({line});
    });

    // The buses outlive the host, which takes every transport back from the devices as it goes.
    // A live run's simulated bus stays empty: it refuses the commands that would use it.
    cSimBus bus;
    QScopedPointer<cLiveRun> live(options.live ? new cLiveRun : nullptr);
    if (live)
        live->setVolumeStep(options.volumeStep);
    cHost host;
    host.attachBus(&bus);
    int status = play(options, prepared, {host, bus, live.data(), clock, trace, progress, stage});
    // A run a signal stopped tells what it compared until then, and keeps its exit code.
    const QStringList failures = status == 0 ? checks.failures(trace.summary())
        : cSignalStop::caughtSignal() != 0   ? checks.stoppedReport()
                                             : QStringList();
    printLines(failures);
    if (status == 0 && !failures.isEmpty())
        status = g_exitCheckFailed;
    // A run a signal stopped keeps its exit code (130, 143) unless its output was lost too.
    if (status != g_exitFailure && !sinks.close(&error))
        status = failOutput(error);
    if (status != g_exitFailure && (!out.flush() || std::fflush(stdout) != 0 || std::ferror(stdout)))
        status = failOutput(QStringLiteral("cannot write to standard output: %1")
                                .arg(out.error() != QFileDevice::NoError
                                         ? out.errorString()
                                         : QString::fromLocal8Bit(std::strerror(errno))));

    // What the scenario left running is taken down untraced, as the host application closes; the
    // services it took away come back first, so that the teardown finds them.
    for (cHostServices::Service service : cHostServices::All)
        host.services().setAvailable(service, true);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    g_stdinClosed = StandardInput::isClosed();
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
    cPrepared prepared;
    if (options.hasReplay && !readCapture(options, &prepared.capture, &error))
        return fail(error);
    prepared.checks.setStrict(options.strict);
    if (options.hasCheck && !prepared.checks.openGolden(options.checkFile, &error))
        return fail(error);
    if (options.live && !cLiveRun::isAvailable())
        return fail(
            QStringLiteral("--live needs the Linux bus, and this q71-host was built without libudev"));
    if (const int status = loadScenario(options, &prepared.scenario, &prepared.title, &prepared.checks))
        return status;
    // A simulated run reads a configuration only when --config names one, so that what a scenario
    // does never depends on the user's own file.
    if ((options.hasConfig || options.live)
        && !prepared.config.open(options.hasConfig ? options.configFile : cDesktopConfig::defaultPath(),
                                 options.hasConfig, &error))
        return fail(error);
    // --volume-step given on the command line wins over the file's.
    if (options.volumeStep == 0)
        options.volumeStep = prepared.config.volumeStep();
    cPluginStage stage;
    if (!stage.prepare(options.pluginFile, options.manifestFile, &error))
        return fail(error);
    return run(options, stage, prepared);
}
