#include "cEmulatorOptions.h"

#include "cDesktopConfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cstring>

namespace {

const char g_description[]
    = "Loads the Q71Device plugin as the host application does and runs a scenario against a simulated\n"
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
      "  service devmgr|profiler|audio down|up   take a host service away or bring it back\n"
      "  expect [no|N times] WHAT [VALUES...]    what must have happened since the last expect:\n"
      "                                   expect write 02 02 04 00 00, expect no event, expect nothing\n"
      "\n"
      "Exit codes: 0 everything held, 1 an expectation, --strict or --check failed (or output was\n"
      "lost), 2 the run could not start, 130/143 stopped by SIGINT/SIGTERM.";

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

QList<QCommandLineOption> commandLineOptions()
{
    return {
        {QStringLiteral("plugin"), QStringLiteral("The plugin to load (default: %1).").arg(defaultPlugin()),
         QStringLiteral("PATH")},
        {QStringLiteral("locale"),
         QStringLiteral("The host's locale, as devices see it (default: the system's)."),
         QStringLiteral("NAME")},
        {QStringLiteral("json"),
         QStringLiteral("Write JSON Lines, one event a line, instead of the timeline.")},
        {QStringLiteral("quiet"), QStringLiteral("Write only the summary.")},
        {QStringLiteral("verbose"),
         QStringLiteral("Also trace every service call, event and subscription the framework sees.")},
        {QStringLiteral("realtime"), QStringLiteral("Run on the wall clock instead of the virtual one.")},
        {QStringLiteral("pcap"),
         QStringLiteral("Record the HID traffic as a usbmon capture (Wireshark, tshark)."),
         QStringLiteral("FILE")},
        {QStringLiteral("replay"),
         QStringLiteral(
             "Play the interrupt IN data of a USB capture (pcap or pcapng; usbmon or USBPcap) as input\n"
             "reports from the first start on; with no SCENARIO: plug, start, play, unplug."),
         QStringLiteral("FILE")},
        {QStringLiteral("replay-device"), QStringLiteral("The device of the capture to replay."),
         QStringLiteral("BUS.ADDRESS")},
        {QStringLiteral("live"),
         QStringLiteral("Host the machine's own headsets (Linux) on the wall clock; with no SCENARIO, until\n"
                        "SIGINT or SIGTERM.")},
        {QStringLiteral("strict"),
         QStringLiteral("Fail the run (exit code 1) on any error event or critical log line.")},
        {QStringLiteral("check"),
         QStringLiteral("Compare the run's JSON Lines with those of an earlier run; a difference fails it."),
         QStringLiteral("GOLDEN.jsonl")},
        {QStringLiteral("manifest"),
         QStringLiteral("The device manifest to load the plugin with, instead of the one beside it."),
         QStringLiteral("FILE")},
        {QStringLiteral("volume-step"),
         QStringLiteral("With --live: how far one step of a headset's volume wheel moves its sink on the\n"
                        "sound server, in percent of the full volume (default 5)."),
         QStringLiteral("PERCENT")},
        {QStringLiteral("config"),
         QStringLiteral("The configuration file: commands for the keys and switches, the microphone "
                        "settings (default with --live: %1).")
             .arg(cDesktopConfig::defaultPath()),
         QStringLiteral("FILE")},
    };
}

// A name QLocale knows, written as devices expect it ("ja_JP" as "ja-JP"); QLocale falls back to
// the C locale for what it does not know, so that fallback is what gives a bad name away.
bool checkLocale(QString *name, QString *error)
{
    const QLocale locale(*name);
    const bool isC = name->compare(QLatin1String("C"), Qt::CaseInsensitive) == 0
        || name->compare(QLatin1String("POSIX"), Qt::CaseInsensitive) == 0;
    if (locale.language() == QLocale::C && !isC) {
        *error = QStringLiteral("--locale %1: not a locale name, e.g. ja-JP or en-US").arg(*name);
        return false;
    }
    name->replace(QLatin1Char('_'), QLatin1Char('-'));
    return true;
}

} // namespace

bool cEmulatorOptions::realtimeIn(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--realtime") == 0 || std::strcmp(argv[i], "--live") == 0)
            return true;
    }
    return false;
}

bool cEmulatorOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(g_description));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("SCENARIO"),
                                 QStringLiteral("Scenario file, or - for standard input."),
                                 QStringLiteral("[SCENARIO]"));
    parser.addOptions(commandLineOptions());

    const auto refuse = [error](const QString &why) {
        *error = why;
        return false;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return refuse(QStringLiteral("one scenario at most, not %1").arg(positional.size()));
    if (parser.isSet(QStringLiteral("replay-device")) && !parser.isSet(QStringLiteral("replay")))
        return refuse(QStringLiteral("--replay-device needs --replay"));
    if (!positional.isEmpty() && positional.first().isEmpty())
        return refuse(QStringLiteral("the scenario path is empty (no SCENARIO runs the built-in demo)"));
    if (parser.isSet(QStringLiteral("quiet")) && parser.isSet(QStringLiteral("verbose")))
        return refuse(QStringLiteral("--quiet and --verbose ask for opposite things: give one of them"));
    if (parser.isSet(QStringLiteral("live")) && parser.isSet(QStringLiteral("replay")))
        return refuse(
            QStringLiteral("--replay cannot be used with --live: the headsets send their own input"));

    scenario = positional.value(0);
    hasScenario = !positional.isEmpty();
    pluginFile
        = parser.isSet(QStringLiteral("plugin")) ? parser.value(QStringLiteral("plugin")) : defaultPlugin();
    hasLocale = parser.isSet(QStringLiteral("locale"));
    locale = parser.value(QStringLiteral("locale"));
    if (hasLocale && !checkLocale(&locale, error))
        return false;
    json = parser.isSet(QStringLiteral("json"));
    quiet = parser.isSet(QStringLiteral("quiet"));
    verbose = parser.isSet(QStringLiteral("verbose"));
    hasPcap = parser.isSet(QStringLiteral("pcap"));
    pcapFile = parser.value(QStringLiteral("pcap"));
    hasReplay = parser.isSet(QStringLiteral("replay"));
    replayFile = parser.value(QStringLiteral("replay"));
    replayDevice = parser.value(QStringLiteral("replay-device"));
    live = parser.isSet(QStringLiteral("live"));
    hasManifest = parser.isSet(QStringLiteral("manifest"));
    manifestFile = parser.value(QStringLiteral("manifest"));
    strict = parser.isSet(QStringLiteral("strict"));
    hasCheck = parser.isSet(QStringLiteral("check"));
    checkFile = parser.value(QStringLiteral("check"));
    if (parser.isSet(QStringLiteral("volume-step"))
        && !parseVolumeStep(parser.value(QStringLiteral("volume-step")), error))
        return false;
    hasConfig = parser.isSet(QStringLiteral("config"));
    configFile = parser.value(QStringLiteral("config"));
    return checkCollisions(error);
}

bool cEmulatorOptions::parseVolumeStep(const QString &value, QString *error)
{
    bool isNumber = false;
    volumeStep = value.toInt(&isNumber);
    if (!live)
        *error = QStringLiteral("--volume-step needs --live");
    else if (!isNumber || volumeStep < 1 || volumeStep > 100)
        *error = QStringLiteral("--volume-step %1: a whole percentage from 1 to 100").arg(value);
    return error->isEmpty();
}

bool cEmulatorOptions::checkCollisions(QString *error) const
{
    const QString stdinName = QStringLiteral("-");
    if (hasPcap && pcapFile == stdinName)
        *error = QStringLiteral("--pcap -: standard output carries the trace; give the capture a file name");
    else if (hasReplay && replayFile == stdinName && scenario == stdinName)
        *error
            = QStringLiteral("--replay - and the scenario - would both read standard input: give one a file");
    else if (hasPcap && hasScenario && scenario != stdinName && QFileInfo(pcapFile) == QFileInfo(scenario))
        *error = QStringLiteral("--pcap %1 would overwrite the scenario").arg(pcapFile);
    else if (hasPcap && hasReplay && QFileInfo(pcapFile) == QFileInfo(replayFile))
        *error = QStringLiteral("--pcap %1 would overwrite the capture to replay").arg(pcapFile);
    else if (hasPcap && hasCheck && QFileInfo(pcapFile) == QFileInfo(checkFile))
        *error = QStringLiteral("--pcap %1 would overwrite the file to --check against").arg(pcapFile);
    else if (hasPcap && QFileInfo(pcapFile) == QFileInfo(pluginFile))
        *error = QStringLiteral("--pcap %1 would overwrite the plugin").arg(pcapFile);
    return error->isEmpty();
}
