// q71-host: loads the Q71Device plugin as the host application does and puts a simulated
// headset through a scenario, printing what happens as a timeline or as JSON Lines.
#include "NexaroHost.h"
#include "cCaptureReader.h"
#include "cClock.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cLogCapture.h"
#include "cPcapSink.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cServiceCallTracer.h"
#include "cSimBus.h"
#include "cTimelineSink.h"
#include "cTrace.h"
#include "cVirtualEventDispatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QScopedPointer>

#include <cstdio>
#include <cstring>

namespace {

const int g_exitFailure = 2;
const char g_manifest[] = "Device_Manifest.xml";
// What a run plays when it has a capture to replay and no scenario: the headset is plugged and
// started, the capture plays out, and some time is left for what its last report sets off (a
// new setup takes four paced writes).
const qint64 g_replayTailMs = 500;

int fail(const QString &message)
{
    std::fprintf(stderr, "q71-host: %s\n", qUtf8Printable(message));
    return g_exitFailure;
}

// The plugin the program was built or installed with: beside it in the build tree, or where the
// install rules put it relative to the program.
QString defaultPlugin()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString built = programDir.absoluteFilePath(QStringLiteral("../plugins/" Q71_PLUGIN_FILE_NAME));
    const QString installed
        = programDir.absoluteFilePath(QStringLiteral(Q71_PLUGIN_FROM_BIN "/" Q71_PLUGIN_FILE_NAME));
    if (!QFileInfo::exists(built) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return QDir::cleanPath(built);
}

bool readScenario(const QString &argument, QByteArray *text, QString *source, QString *error)
{
    QFile file;
    if (argument.isEmpty()) {
        file.setFileName(QStringLiteral(":/q71/demo.q71"));
        *source = QStringLiteral("demo.q71");
    } else if (argument == QLatin1String("-")) {
        *source = QStringLiteral("<stdin>");
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error
                = QStringLiteral("cannot read the scenario from standard input: %1").arg(file.errorString());
            return false;
        }
    } else {
        file.setFileName(argument);
        *source = argument;
        if (QFileInfo(argument).isDir()) {
            *error = QStringLiteral("cannot read scenario %1: it is a directory").arg(argument);
            return false;
        }
    }
    if (!file.isOpen() && !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read scenario %1: %2").arg(*source, file.errorString());
        return false;
    }
    *text = file.readAll();
    return true;
}

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

} // namespace

int main(int argc, char *argv[])
{
    // The dispatcher must be in place before the application object exists, and the command line
    // parser needs that object: --realtime is looked for by hand first.
    bool realtime = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--realtime") == 0)
            realtime = true;
    }
    if (!realtime)
        QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q71-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Q71_HOST_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Loads the Q71Device plugin as the host application does and runs a scenario against a simulated\n"
        "Q71 headset: the built-in demo when no SCENARIO is given, \"-\" for standard input.\n"
        "\n"
        "Scenario commands, one a line ('#' starts a comment):\n"
        "  plug [hid|render|capture]...     transports appear (default: all three); KIND:foreign is\n"
        "                                   another product's, KIND:second a second headset's\n"
        "  unplug [hid|render|capture]...   they disappear (default: all three)\n"
        "  start | stop                     the host starts or stops the devices\n"
        "  input HEX...                     the headset sends an input report: input 02 10 11 00 00\n"
        "  wait DURATION                    time passes: wait 150ms, wait 1.5s\n"
        "  mic | mic light N | mic notify N read the microphone model, or set a setting\n"
        "  info                             read the device's id and information\n"
        "  exit                             the host application exits\n"
        "  locale NAME                      the locale devices created from now on see\n"
        "  latency DURATION                 time from a HID write to its completion (default 1ms)\n"
        "  completions on|off|twice         how often each HID write completes\n"
        "  service devmgr|profiler|audio down|up   take a host service away or bring it back"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("SCENARIO"),
                                 QStringLiteral("Scenario file, or - for standard input."),
                                 QStringLiteral("[SCENARIO]"));
    const QCommandLineOption pluginOption(
        QStringLiteral("plugin"), QStringLiteral("The plugin to load (default: %1).").arg(defaultPlugin()),
        QStringLiteral("PATH"));
    const QCommandLineOption localeOption(
        QStringLiteral("locale"),
        QStringLiteral("The host's locale, as devices see it (default: the system's)."),
        QStringLiteral("NAME"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        QStringLiteral("Write JSON Lines, one event a line, instead of the timeline."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Write only the summary."));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"),
        QStringLiteral("Also trace every service call, event and subscription the framework sees."));
    const QCommandLineOption realtimeOption(
        QStringLiteral("realtime"), QStringLiteral("Run on the wall clock instead of the virtual one."));
    const QCommandLineOption pcapOption(
        QStringLiteral("pcap"),
        QStringLiteral("Record the HID traffic as a usbmon capture (Wireshark, tshark)."),
        QStringLiteral("FILE"));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral(
            "Play the interrupt IN data of a USB capture (pcap or pcapng; usbmon or USBPcap) as input\n"
            "reports from the first start on; with no SCENARIO: plug, start, play, unplug."),
        QStringLiteral("FILE"));
    const QCommandLineOption replayDeviceOption(QStringLiteral("replay-device"),
                                                QStringLiteral("The device of the capture to replay."),
                                                QStringLiteral("BUS.ADDRESS"));
    parser.addOptions({pluginOption, localeOption, jsonOption, quietOption, verboseOption, realtimeOption,
                       pcapOption, replayOption, replayDeviceOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return fail(QStringLiteral("one scenario at most, not %1").arg(positional.size()));
    if (parser.isSet(replayDeviceOption) && !parser.isSet(replayOption))
        return fail(QStringLiteral("--replay-device needs --replay"));

    // Everything the run needs is checked before anything of it happens.
    cScenario scenario;
    cCaptureReader capture;
    if (parser.isSet(replayOption)) {
        const QString file = parser.value(replayOption);
        if (!capture.read(file, parser.value(replayDeviceOption)))
            return fail(capture.errorString());
        if (capture.devices().size() > 1)
            return fail(
                QStringLiteral("%1 holds the input of several devices (%2): choose one with --replay-device")
                    .arg(file, capture.devices().join(QStringLiteral(", "))));
        if (capture.reports().isEmpty())
            return fail(QStringLiteral("%1 holds no interrupt IN data to replay").arg(file));
    }
    QString scenarioTitle;
    if (positional.isEmpty() && parser.isSet(replayOption)) {
        scenarioTitle = QStringLiteral("replay of %1").arg(parser.value(replayOption));
    } else {
        QByteArray text;
        QString source;
        QString error;
        if (!readScenario(positional.value(0), &text, &source, &error))
            return fail(error);
        cScenarioParser scenarioParser;
        if (!scenarioParser.parse(source, text)) {
            for (const QString &line : scenarioParser.errors())
                std::fprintf(stderr, "%s\n", qUtf8Printable(line));
            return g_exitFailure;
        }
        scenario = scenarioParser.scenario();
        scenarioTitle = positional.isEmpty() ? QStringLiteral("the built-in demo") : source;
    }

    const QString pluginFile = parser.isSet(pluginOption) ? parser.value(pluginOption) : defaultPlugin();
    const QFileInfo plugin(pluginFile);
    if (!plugin.isFile())
        return fail(QStringLiteral("no plugin at %1 (give one with --plugin PATH)").arg(pluginFile));
    if (!QFileInfo(plugin.dir().filePath(QLatin1String(g_manifest))).isFile())
        return fail(QStringLiteral("no %1 beside the plugin %2").arg(QLatin1String(g_manifest), pluginFile));

    if (parser.isSet(localeOption))
        Nexaro::setLocaleOverride(parser.value(localeOption));
    if (parser.isSet(verboseOption))
        QLoggingCategory::setFilterRules(QStringLiteral("nexaro.services.warning=true"));

    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    cClock clock;
    cTrace trace(clock);
    const bool quiet = parser.isSet(quietOption);
    QScopedPointer<ITraceSink> printer;
    if (parser.isSet(jsonOption))
        printer.reset(new cJsonLinesSink(&out, quiet));
    else
        printer.reset(
            new cTimelineSink(&out,
                              QStringLiteral("q71-host %1: %2 on the %3 clock, plugin %4")
                                  .arg(QCoreApplication::applicationVersion(), scenarioTitle,
                                       clock.isVirtual() ? QStringLiteral("virtual") : QStringLiteral("real"),
                                       QDir::cleanPath(plugin.absoluteFilePath())),
                              quiet));
    trace.addSink(printer.data());
    cPcapSink pcap(clock.isVirtual() ? 0 : QDateTime::currentMSecsSinceEpoch() * 1000);
    if (parser.isSet(pcapOption)) {
        if (!pcap.open(parser.value(pcapOption)))
            return fail(pcap.errorString());
        trace.addSink(&pcap);
    }

    // The bus outlives the host, which takes every transport back from the devices as it goes.
    cSimBus bus;
    cHost host;
    host.attachBus(&bus);
    int status = 0;
    {
        cLogCapture log(trace);
        QScopedPointer<cServiceCallTracer> serviceTracer;
        if (parser.isSet(verboseOption))
            serviceTracer.reset(new cServiceCallTracer(trace));
        if (!host.loadPlugin(plugin.absoluteFilePath()))
            status = fail(host.pluginError());

        if (status == 0) {
            cScenarioRunner runner(host, bus, clock, trace);
            if (parser.isSet(replayOption)) {
                runner.setReplay(capture.reports(), QFileInfo(parser.value(replayOption)).fileName());
                if (positional.isEmpty())
                    scenario = replayScenario(runner.replayLengthMs());
            }
            runner.run(scenario);
            trace.finish();
        }
    }
    if (status == 0 && !pcap.close())
        status = fail(pcap.errorString());

    // What the scenario left running is taken down untraced, as the host application closes; the
    // services it took away come back first, so that the teardown finds them.
    for (cHostServices::Service service : cHostServices::All)
        host.services().setAvailable(service, true);
    return status;
}
