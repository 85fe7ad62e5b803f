#pragma once
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <QCoreApplication>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

class QTemporaryDir;

// A real sound server started by a test, PulseAudio or PipeWire with its PulseAudio protocol
// (pipewire, wireplumber, pipewire-pulse), in a directory of the test's own: runtime, state,
// configuration and home directories there, no session bus, and PULSE_SERVER pointing at its
// socket, so that neither the user's server nor their files are ever touched. The test process's
// environment is set to match, and the programs it starts (q71-host, pactl) inherit it. The server's
// devices are null sinks and sources, which carry whatever properties the test gives them, as a
// real sound card's would. Every process started is stopped by stop() or the destructor.
class cSoundServer
{
public:
    enum Kind { PulseAudio, PipeWire };

    // The servers a test runs against, as data rows named after them: both, unless the command
    // line chose one (testMain()).
    static QList<Kind> &kinds();
    static QString name(Kind kind);
    // One global data row for each of kinds() (initTestCase_data()), with the column "server".
    static void addRows();
    // The server of the current global data row.
    static Kind current();

    // main() of a test against the servers: "-server NAME" (taken off before QTest reads the rest)
    // runs that server's rows only, and exits 77, which CTest counts as skipped, where it is not
    // installed.
    template<class Test> static int testMain(int argc, char *argv[]);
    // The programs `kind` needs that are not installed; empty when it can run.
    static QStringList missing(Kind kind);
    // The environment of the server and its clients: the test's, without the umockdev testbed,
    // which is the host's alone, pointed at the server prepare() chose.
    static QProcessEnvironment environment();
    // The host's: the test's, testbed and all, pointed at that server.
    static QProcessEnvironment hostEnvironment();

    cSoundServer(Kind kind, const QTemporaryDir &dir);
    ~cSoundServer();
    cSoundServer(const cSoundServer &) = delete;
    cSoundServer &operator=(const cSoundServer &) = delete;

    // Makes this the server environment() and hostEnvironment() point at: call it before the host
    // starts, even when the server comes later. The test's own environment is left alone, for
    // umockdev's thread reads it at any time and a setenv() beside a getenv() is a crash.
    void prepare();
    // Starts the server, true once it answers; what it said otherwise in `why`.
    bool start(QString *why);
    void stop();

    // pactl's output, or "pactl failed: ..." with its error.
    static QString pactl(const QStringList &arguments);
    // The properties that name a USB sound card on a sink or source of this server, as its own
    // udev discovery sets them (the bus path is udev's ID_PATH); an empty `sysfsPath` leaves
    // "sysfs.path" out, as servers do that give the bus path only.
    QStringList cardProperties(const QString &sysfsPath, const QString &busPath) const;
    // A null sink or source named `device` with `properties` ("key=value" each, no spaces); the
    // module's index, 0 when loading failed.
    int loadSink(const QString &device, const QStringList &properties) const;
    int loadSource(const QString &device, const QStringList &properties) const;
    bool unload(int module) const;
    // Makes `device` the default sink (or source), as a user would, once the server takes it.
    bool setDefault(bool sink, const QString &device) const;
    // The server's default sink (or source).
    static QString defaultDevice(bool sink);

private:
    QProcess *run(const QString &program, const QStringList &arguments, const QString &log);
    // pactl load-module `module` with `kind`_name=, `kind`_properties= and, where given, master=.
    int load(const QString &module, const QString &kind, const QString &device, const QStringList &properties,
             const QString &master = QString()) const;
    bool startPulseAudio();
    bool startPipeWire();
    void writeSessionManagerConfig() const;

    const Kind m_kind;
    const QString m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

template<class Test> int cSoundServer::testMain(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument != QLatin1String("-server") || i + 1 == argc) {
            arguments << argument;
            continue;
        }
        const QString chosen = QString::fromLocal8Bit(argv[++i]);
        if (chosen != name(PulseAudio) && chosen != name(PipeWire)) {
            std::fprintf(stderr, "-server: pulseaudio or pipewire, not %s\n", qPrintable(chosen));
            return 2;
        }
        const Kind kind = chosen == name(PipeWire) ? PipeWire : PulseAudio;
        kinds() = {kind};
        if (!missing(kind).isEmpty()) {
            std::fprintf(stderr, "SKIP: %s is not installed\n",
                         qPrintable(missing(kind).join(QLatin1String(", "))));
            return 77;
        }
    }
    QCoreApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, arguments);
}
