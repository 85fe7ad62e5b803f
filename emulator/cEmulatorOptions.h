#pragma once
#include <QString>
#include <QStringList>

#include <optional>

// What q71-host is asked to do, as its command line says it.
struct cEmulatorOptions
{
    std::optional<QString> scenario; // a file, "-" for standard input; none runs the built-in demo
    QString pluginFile;
    std::optional<QString> locale;
    bool json = false;
    bool quiet = false;
    bool verbose = false;
    std::optional<QString> pcapFile;
    std::optional<QString> replayFile;
    QString replayDevice;
    qint64 replayOffsetMs = 0;
    std::optional<QString> recordFile; // hid-recorder text
    bool live = false;
    QString manifestFile;
    bool strict = false; // an error event or a critical log line fails the run
    std::optional<QString> checkFile; // JSON Lines of an earlier run that this one must reproduce
    std::optional<int> volumeStep; // percent of the full volume
    std::optional<QString> configFile;
    bool dbus = false; // --dbus: serve the headsets on the session bus, and go on until a signal
    bool noDbus = false; // --no-dbus: a live run that leaves the session bus alone

    // The run owns org.q71.Headsets1 on the session bus: with --dbus, and with --live unless
    // --no-dbus.
    bool servesSessionBus() const { return (dbus || live) && !noDbus; }

    // The configuration file the run reads: --config's, else with --live the user's own; none
    // for a simulated run without --config, so that what a scenario does never depends on the
    // user's own file.
    std::optional<QString> configToRead() const;

    // The event dispatcher must be chosen before the application object exists, and the parser
    // needs that object: --realtime, --live and --dbus (which run on the wall clock) alone are
    // looked for in the raw arguments.
    static bool realtimeIn(int argc, char *argv[]);

    // False, with the one line to tell the user in `error`, for a command line that cannot run.
    // --help and --version print their text and end the process.
    bool parse(const QStringList &arguments, QString *error);

private:
    bool parseVolumeStep(const QString &value, QString *error);
    // Inputs and outputs that would step on each other: two readers of standard input, a capture
    // written over a file the run reads, or into the trace on standard output.
    bool checkCollisions(QString *error) const;
    // The same for one output file, named by its option.
    bool checkOutput(const QString &option, const QString &file, QString *error) const;
};
