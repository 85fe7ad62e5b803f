#include "cEmulatorOptions.h"

#include "cDesktopConfig.h"
#include "cPluginStage.h"
#include "cScenarioParser.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Written for a terminal of 80 columns, as Qt lays out the options below it.
const char g_description[]
    = "Loads the Q71Device plugin as the host application does and runs a scenario\n"
      "against a simulated Q71 headset: the built-in demo when no SCENARIO is given,\n"
      "\"-\" for standard input.\n"
      "\n"
      "Scenario commands, one a line ('#' starts a comment):\n"
      "  plug [hid|render|capture]...    transports appear (default: all three);\n"
      "                                  KIND:foreign is another product's,\n"
      "                                  KIND:second a second headset's\n"
      "  unplug [hid|render|capture]...  they disappear (default: all three)\n"
      "  start | stop                    the host starts or stops the devices\n"
      "  input [N] HEX...                the headset (device N's HID transport) sends\n"
      "                                  an input report: input 02 10 11 00 00\n"
      "  wait DURATION                   time passes: wait 150ms, wait 1.5s\n"
      "  mic [N]                         read the microphone model of device N\n"
      "                                  (default: the oldest)\n"
      "  mic [N] light|notify V          set one of its settings\n"
      "  info [N]                        read the device's id and information\n"
      "  exit                            the host application exits\n"
      "  locale NAME                     the locale devices created from now on see\n"
      "  latency DURATION                time from a HID write to its completion\n"
      "                                  (default 1ms)\n"
      "  completions on|off|twice        how often each HID write completes\n"
      "  service devmgr|profiler|audio down|up\n"
      "                                  take a host service away or bring it back\n"
      "  expect [no|N times] WHAT [VALUES...]\n"
      "                                  what must have happened since the last\n"
      "                                  expect, e.g. expect write 02 02 04 00 00,\n"
      "                                  expect no event, expect nothing\n"
      "\n"
      "Exit codes: 0 everything held, 1 an expectation, --strict or --check failed\n"
      "(or output was lost), 2 the run could not start, 130/143 stopped by\n"
      "SIGINT/SIGTERM.";

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
             "Play the input reports of a USB capture (pcap or pcapng; usbmon or USBPcap) or of a "
             "hid-recorder file at their times from the first start; with no SCENARIO: plug, start, "
             "play, unplug."),
         QStringLiteral("FILE")},
        {QStringLiteral("replay-device"),
         QStringLiteral("The device of the capture to replay (BUS.ADDRESS; a hid-recorder D: number)."),
         QStringLiteral("DEVICE")},
        {QStringLiteral("replay-offset"),
         QStringLiteral("Shift every replayed report by DURATION (250ms, -1.5s); reports shifted "
                        "before the first start play at it."),
         QStringLiteral("DURATION")},
        {QStringLiteral("record"),
         QStringLiteral("Record the headset's input reports as a hid-recorder text file (hid-tools)."),
         QStringLiteral("FILE")},
        {QStringLiteral("live"),
         QStringLiteral("Host the machine's own headsets (Linux) on the wall clock; with no SCENARIO, until "
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
         QStringLiteral("With --live: how far one step of a headset's volume wheel moves its sink on the "
                        "sound server, in percent of the full volume (default %1).")
             .arg(cDesktopConfig::DefaultVolumeStep),
         QStringLiteral("PERCENT")},
        {QStringLiteral("config"),
         QStringLiteral("The configuration file: commands for the keys and switches, the microphone "
                        "settings (default with --live: %1).")
             .arg(cDesktopConfig::defaultPath()),
         QStringLiteral("FILE")},
#ifdef Q71_HAVE_SESSION_BUS
        {QStringLiteral("dbus"),
         QStringLiteral("Serve the headsets on the session bus as org.q71.Headsets1, on the wall clock; the "
                        "run goes on after the scenario until SIGINT or SIGTERM (a virtual headset: "
                        "examples/virtual-headset.q71). --live does this unless --no-dbus.")},
        {QStringLiteral("no-dbus"), QStringLiteral("With --live: leave the session bus alone.")},
#endif
    };
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

#ifdef Q_OS_WIN
// Windows names its console and its null device, not descriptors: a redirect target given again
// as an output is not told apart there (it has no inode to compare without the Win32 API).
bool isDescriptor(const QString &, int)
{
    return false;
}

bool isTerminal(const QString &fileName)
{
    return fileName.compare(QLatin1String("CON"), Qt::CaseInsensitive) == 0
        || fileName.compare(QLatin1String("CONOUT$"), Qt::CaseInsensitive) == 0;
}

bool keepsNothing(const QString &fileName)
{
    return fileName.compare(QLatin1String("NUL"), Qt::CaseInsensitive) == 0;
}

#else
// Whether `fileName` names the file behind descriptor `fd` (standard input or output) under another
// name: /dev/stdout, /proc/self/fd/1, a link to either, or the file the shell redirected it to.
bool isDescriptor(const QString &fileName, int fd)
{
    struct stat named;
    struct stat open;
    return ::stat(QFile::encodeName(fileName).constData(), &named) == 0 && ::fstat(fd, &open) == 0
        && named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// A terminal takes what is written to it as text to show, and the trace is shown there too.
bool isTerminal(const QString &fileName)
{
    struct stat named;
    if (::stat(QFile::encodeName(fileName).constData(), &named) != 0 || !S_ISCHR(named.st_mode))
        return false;
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    const bool terminal = fd >= 0 && ::isatty(fd);
    if (fd >= 0)
        ::close(fd);
    return terminal;
}

// A device that keeps nothing (/dev/null) loses nothing when it is standard output and an output
// file too, and reads the same however many read it.
bool keepsNothing(const QString &fileName)
{
    struct stat named;
    return ::stat(QFile::encodeName(fileName).constData(), &named) == 0 && S_ISCHR(named.st_mode)
        && !isTerminal(fileName);
}

#endif

// The options that name a file: an empty name is a mistake (a variable that was not set), never a
// file.
const char *const g_pathOptions[] = {"plugin", "pcap", "replay", "record", "check", "manifest", "config"};

// Why the options and arguments given do not go together; empty when they do.
QString refusedCombination(const QCommandLineParser &parser)
{
    for (const char *option : g_pathOptions) {
        if (parser.isSet(QLatin1String(option)) && parser.value(QLatin1String(option)).isEmpty())
            return QStringLiteral("--%1: the path is empty").arg(QLatin1String(option));
    }
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
#ifdef Q71_HAVE_SESSION_BUS
    if (parser.isSet(QStringLiteral("dbus")) && parser.isSet(QStringLiteral("no-dbus")))
        return QStringLiteral("--dbus and --no-dbus ask for opposite things: give one of them");
    if (parser.isSet(QStringLiteral("no-dbus")) && !parser.isSet(QStringLiteral("live")))
        return QStringLiteral(
            "--no-dbus needs --live: a simulated run serves the session bus only with --dbus");
#endif
    return QString();
}

} // namespace

bool cEmulatorOptions::realtimeIn(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--realtime") == 0 || std::strcmp(argv[i], "--live") == 0
            || std::strcmp(argv[i], "--dbus") == 0)
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
    // Qt's own options too: process() prints them, as it alone can, and ends the process.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    *error = refusedCombination(parser);
    if (!error->isEmpty())
        return false;

    // The value of an option that was given, none for one that was not.
    const auto valueOf = [&parser](const char *name) {
        const QString option = QLatin1String(name);
        return parser.isSet(option) ? std::optional<QString>(parser.value(option)) : std::nullopt;
    };
    if (!positional.isEmpty())
        scenario = positional.first();
    pluginFile = valueOf("plugin").value_or(defaultPlugin());
    locale = valueOf("locale");
    if (locale && !cScenarioParser::parseLocale(*locale, &*locale)) {
        *error = QStringLiteral("--locale %1: %2").arg(*locale, cScenarioParser::notALocale());
        return false;
    }
    json = parser.isSet(QStringLiteral("json"));
    quiet = parser.isSet(QStringLiteral("quiet"));
    verbose = parser.isSet(QStringLiteral("verbose"));
    pcapFile = valueOf("pcap");
    replayFile = valueOf("replay");
    replayDevice = parser.value(QStringLiteral("replay-device"));
    if (parser.isSet(QStringLiteral("replay-offset"))
        && !parseOffset(parser.value(QStringLiteral("replay-offset")), &replayOffsetMs, error))
        return false;
    recordFile = valueOf("record");
    live = parser.isSet(QStringLiteral("live"));
#ifdef Q71_HAVE_SESSION_BUS
    dbus = parser.isSet(QStringLiteral("dbus"));
    noDbus = parser.isSet(QStringLiteral("no-dbus"));
#endif
    manifestFile = parser.value(QStringLiteral("manifest"));
    strict = parser.isSet(QStringLiteral("strict"));
    checkFile = valueOf("check");
    if (parser.isSet(QStringLiteral("volume-step"))
        && !parseVolumeStep(parser.value(QStringLiteral("volume-step")), error))
        return false;
    configFile = valueOf("config");
    return checkCollisions(error);
}

bool cEmulatorOptions::parseVolumeStep(const QString &value, QString *error)
{
    volumeStep = cDesktopConfig::percent(value);
    if (!live)
        *error = QStringLiteral("--volume-step needs --live");
    else if (!volumeStep)
        *error = QStringLiteral("--volume-step %1: a whole percentage from 1 to 100").arg(value);
    return error->isEmpty();
}

bool cEmulatorOptions::checkCollisions(QString *error) const
{
    const auto readsStdin = [](const QString &file) {
        return file == QLatin1String("-") || (isDescriptor(file, STDIN_FILENO) && !keepsNothing(file));
    };
    QStringList readers;
    if (replayFile && readsStdin(*replayFile))
        readers << QStringLiteral("--replay %1").arg(*replayFile);
    if (scenario && readsStdin(*scenario))
        readers << QStringLiteral("the scenario %1").arg(*scenario);
    if (checkFile && readsStdin(*checkFile))
        readers << QStringLiteral("--check %1").arg(*checkFile);
    if (readers.size() == 2)
        *error = QStringLiteral("%1 and %2 would both read standard input: give one a file")
                     .arg(readers.first(), readers.last());
    else if (readers.size() == 3)
        *error = QStringLiteral("%1, %2 and %3 would all read standard input: give two of them a file")
                     .arg(readers.at(0), readers.at(1), readers.at(2));
    else if (pcapFile && recordFile && sameFile(*pcapFile, *recordFile))
        *error = QStringLiteral("--pcap and --record would both write %1").arg(*pcapFile);
    return error->isEmpty() && (!pcapFile || checkOutput(QStringLiteral("--pcap"), *pcapFile, error))
        && (!recordFile || checkOutput(QStringLiteral("--record"), *recordFile, error));
}

bool cEmulatorOptions::checkOutput(const QString &option, const QString &file, QString *error) const
{
    const QString manifest = manifestFile.isEmpty()
        ? QFileInfo(pluginFile).dir().filePath(QLatin1String(cPluginStage::ManifestName))
        : manifestFile;
    if (file == QLatin1String("-") || (isDescriptor(file, STDOUT_FILENO) && !keepsNothing(file)))
        *error = QStringLiteral("%1 %2: standard output carries the trace; give the file a name")
                     .arg(option, file);
    else if (isTerminal(file))
        *error = QStringLiteral("%1 %2: a terminal shows the trace; give the file a name").arg(option, file);
    else if (scenario && *scenario != QLatin1String("-") && sameFile(file, *scenario))
        *error = QStringLiteral("%1 %2 would overwrite the scenario").arg(option, file);
    else if (replayFile && sameFile(file, *replayFile))
        *error = QStringLiteral("%1 %2 would overwrite the capture to replay").arg(option, file);
    else if (checkFile && sameFile(file, *checkFile))
        *error = QStringLiteral("%1 %2 would overwrite the file to --check against").arg(option, file);
    else if (sameFile(file, pluginFile))
        *error = QStringLiteral("%1 %2 would overwrite the plugin").arg(option, file);
    else if (sameFile(file, manifest))
        *error = QStringLiteral("%1 %2 would overwrite the manifest").arg(option, file);
    else if (configToRead() && sameFile(file, *configToRead()))
        *error = QStringLiteral("%1 %2 would overwrite the configuration file").arg(option, file);
    return error->isEmpty();
}

std::optional<QString> cEmulatorOptions::configToRead() const
{
    if (configFile || !live)
        return configFile;
    return cDesktopConfig::defaultPath();
}
