#include "cEmulatorOptions.h"

#include "cDesktopConfig.h"
#include "cHeadsetVolume.h"
#include "cPluginStage.h"
#include "cScenarioParser.h"

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
      "  input [N] HEX...                 the headset (device N's HID transport) sends an input\n"
      "                                   report: input 02 10 11 00 00, input 2 02 10 11 00 00\n"
      "  wait DURATION                    time passes: wait 150ms, wait 1.5s\n"
      "  mic [N]                          read the microphone model of device N (default: the oldest)\n"
      "  mic [N] light V, mic [N] notify V  set one of its settings\n"
      "  info [N]                         read the device's id and information\n"
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
             "Play the input reports of a USB capture (pcap or pcapng; usbmon or USBPcap) or of a\n"
             "hid-recorder file at their times from the first start; with no SCENARIO: plug, start,\n"
             "play, unplug."),
         QStringLiteral("FILE")},
        {QStringLiteral("replay-device"),
         QStringLiteral("The device of the capture to replay (BUS.ADDRESS; a hid-recorder D: number)."),
         QStringLiteral("DEVICE")},
        {QStringLiteral("replay-offset"),
         QStringLiteral("Shift every replayed report by DURATION (250ms, -1.5s); reports shifted\n"
                        "before the first start play at it."),
         QStringLiteral("DURATION")},
        {QStringLiteral("record"),
         QStringLiteral("Record the headset's input reports as a hid-recorder text file (hid-tools)."),
         QStringLiteral("FILE")},
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
                        "sound server, in percent of the full volume (default %1).")
             .arg(cHeadsetVolume::DefaultStep),
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

// QFileInfo takes two files that do not exist for the same one.
bool sameFile(const QString &first, const QString &second)
{
    const QFileInfo one(first);
    const QFileInfo other(second);
    if (one.exists() && other.exists())
        return one == other;
    return QDir::cleanPath(one.absoluteFilePath()) == QDir::cleanPath(other.absoluteFilePath());
}

// A duration as the scenario spells one, with a sign: reports may be moved earlier.
bool parseOffset(const QString &text, qint64 *ms, QString *error)
{
    const bool negative = text.startsWith(QLatin1Char('-'));
    QString why;
    if (!cScenarioParser::parseDuration(negative ? text.mid(1) : text, ms, &why)) {
        *error = QStringLiteral("--replay-offset %1: %2").arg(text, why);
        return false;
    }
    if (negative)
        *ms = -*ms;
    return true;
}

// Why the options and arguments given do not go together; empty when they do.
QString refusedCombination(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return QStringLiteral("one scenario at most, not %1").arg(positional.size());
    for (const char *option : {"replay-device", "replay-offset"}) {
        if (parser.isSet(QLatin1String(option)) && !parser.isSet(QStringLiteral("replay")))
            return QStringLiteral("--%1 needs --replay").arg(QLatin1String(option));
    }
    if (!positional.isEmpty() && positional.first().isEmpty())
        return QStringLiteral("the scenario path is empty (no SCENARIO runs the built-in demo)");
    if (parser.isSet(QStringLiteral("quiet")) && parser.isSet(QStringLiteral("verbose")))
        return QStringLiteral("--quiet and --verbose ask for opposite things: give one of them");
    if (parser.isSet(QStringLiteral("live")) && parser.isSet(QStringLiteral("replay")))
        return QStringLiteral("--replay cannot be used with --live: the headsets send their own input");
    return QString();
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

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    *error = refusedCombination(parser);
    if (!error->isEmpty())
        return false;

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
    if (parser.isSet(QStringLiteral("replay-offset"))
        && !parseOffset(parser.value(QStringLiteral("replay-offset")), &replayOffsetMs, error))
        return false;
    hasRecord = parser.isSet(QStringLiteral("record"));
    recordFile = parser.value(QStringLiteral("record"));
    live = parser.isSet(QStringLiteral("live"));
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
    volumeStep = cDesktopConfig::percent(value);
    if (!live)
        *error = QStringLiteral("--volume-step needs --live");
    else if (volumeStep == 0)
        *error = QStringLiteral("--volume-step %1: a whole percentage from 1 to 100").arg(value);
    return error->isEmpty();
}

bool cEmulatorOptions::checkCollisions(QString *error) const
{
    const QString stdinName = QStringLiteral("-");
    if (hasReplay && replayFile == stdinName && scenario == stdinName)
        *error
            = QStringLiteral("--replay - and the scenario - would both read standard input: give one a file");
    else if (hasPcap && hasRecord && sameFile(pcapFile, recordFile))
        *error = QStringLiteral("--pcap and --record would both write %1").arg(pcapFile);
    return error->isEmpty() && (!hasPcap || checkOutput(QStringLiteral("--pcap"), pcapFile, error))
        && (!hasRecord || checkOutput(QStringLiteral("--record"), recordFile, error));
}

bool cEmulatorOptions::checkOutput(const QString &option, const QString &file, QString *error) const
{
    const QString manifest = manifestFile.isEmpty()
        ? QFileInfo(pluginFile).dir().filePath(QLatin1String(cPluginStage::ManifestName))
        : manifestFile;
    if (file == QLatin1String("-"))
        *error = QStringLiteral("%1 -: standard output carries the trace; give the file a name").arg(option);
    else if (hasScenario && scenario != QLatin1String("-") && sameFile(file, scenario))
        *error = QStringLiteral("%1 %2 would overwrite the scenario").arg(option, file);
    else if (hasReplay && sameFile(file, replayFile))
        *error = QStringLiteral("%1 %2 would overwrite the capture to replay").arg(option, file);
    else if (hasCheck && sameFile(file, checkFile))
        *error = QStringLiteral("%1 %2 would overwrite the file to --check against").arg(option, file);
    else if (sameFile(file, pluginFile))
        *error = QStringLiteral("%1 %2 would overwrite the plugin").arg(option, file);
    else if (sameFile(file, manifest))
        *error = QStringLiteral("%1 %2 would overwrite the manifest").arg(option, file);
    else if ((hasConfig || live) && sameFile(file, hasConfig ? configFile : cDesktopConfig::defaultPath()))
        *error = QStringLiteral("%1 %2 would overwrite the configuration file").arg(option, file);
    return error->isEmpty();
}
