#pragma once
#include <QString>
#include <QStringList>

// What q71-host is asked to do, as its command line says it.
struct cEmulatorOptions
{
    QString scenario; // a file, "-" for standard input, empty for the built-in demo
    bool hasScenario = false;
    QString pluginFile;
    QString locale;
    bool hasLocale = false;
    bool json = false;
    bool quiet = false;
    bool verbose = false;
    QString pcapFile;
    bool hasPcap = false;
    QString replayFile;
    bool hasReplay = false;
    QString replayDevice;
    qint64 replayOffsetMs = 0;
    QString recordFile; // hid-recorder text
    bool hasRecord = false;
    bool live = false;
    QString manifestFile;
    bool strict = false; // an error event or a critical log line fails the run
    QString checkFile; // JSON Lines of an earlier run that this one must reproduce
    bool hasCheck = false;
    int volumeStep = 0; // percent of the full volume; 0 when not given
    QString configFile;
    bool hasConfig = false;

    // The event dispatcher must be chosen before the application object exists, and the parser
    // needs that object: --realtime and --live (which runs on the wall clock) alone are looked
    // for in the raw arguments.
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
