#pragma once
#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

// A real sound server started by a test, PulseAudio or PipeWire with its PulseAudio protocol
// (pipewire, wireplumber, pipewire-pulse), in a directory of the test's own: runtime, state,
// configuration and home directories there, no session bus, and PULSE_SERVER pointing at its
// socket, so that neither the user's server nor their files are ever touched; the programs the
// test starts (q71-host, pactl) are given that environment. The server's devices are null sinks and
// sources, which carry whatever properties the test gives them, as a real sound card's would. Every
// process started is stopped by stop() or the destructor.
class cSoundServer
{
public:
    enum Kind { PulseAudio, PipeWire };

    // The server the command line chose (testMain()).
    static Kind &chosen();
    // main() of a test against a server: "-server NAME" (taken off before QTest reads the rest;
    // pulseaudio when not given) chooses it, and the test exits 77, which CTest counts as skipped,
    // where the server is not installed.
    template<class Test> static int testMain(int argc, char *argv[]);
    // The environment of the server and its clients, pointed at the server prepare() chose: the
    // test's, without the umockdev testbed, which only the host (`host`) keeps.
    static QProcessEnvironment environment(bool host = false);

    cSoundServer(Kind kind, const QTemporaryDir &dir)
        : m_kind(kind)
        , m_dir(dir.path())
    { }
    ~cSoundServer() { stop(); }
    cSoundServer(const cSoundServer &) = delete;
    cSoundServer &operator=(const cSoundServer &) = delete;

    // Makes this the server environment() points at: call it before the host starts, even when the
    // server comes later. The test's own environment is left alone, for umockdev's thread reads it
    // at any time and a setenv() beside a getenv() is a crash.
    void prepare();
    // Starts the server, true once it answers; what it said otherwise in `why`.
    bool start(QString *why);
    void stop();

    // pactl's output, or "pactl failed: ..." with its error.
    static QString pactl(const QStringList &arguments);
    // The properties that name a USB sound card on a sink or source of this server by its bus path
    // (udev's ID_PATH) only, as servers do that give no "sysfs.path".
    QStringList cardProperties(const QString &busPath) const;
    // A null sink or source named `device` with `properties` ("key=value" each, no spaces); the
    // module's index, 0 when loading failed.
    int loadSink(const QString &device, const QStringList &properties) const
    {
        return load(QStringLiteral("module-null-sink"), QStringLiteral("sink"), device, properties);
    }
    int loadSource(const QString &device, const QStringList &properties) const;
    // Makes `device` the default sink (or source), as a user would, once the server takes it.
    bool setDefault(bool sink, const QString &device) const;
    // The server's default sink (or source).
    static QString defaultDevice(bool sink);

private:
    // The programs `kind` needs that are not installed.
    static QStringList missing(Kind kind);
    QProcess *run(const QString &program, const QStringList &arguments = {});
    // pactl load-module `module` with `kind`_name=, `kind`_properties= and, where given, master=.
    int load(const QString &module, const QString &kind, const QString &device, const QStringList &properties,
             const QString &master = QString()) const;
    bool startPipeWire();

    const Kind m_kind;
    const QString m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

template<class Test> int cSoundServer::testMain(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-server" && i + 1 < argc) {
            const QByteArray given(argv[++i]);
            if (given != "pulseaudio" && given != "pipewire") {
                std::fprintf(stderr, "-server: pulseaudio or pipewire, not %s\n", given.constData());
                return 2;
            }
            chosen() = given == "pipewire" ? PipeWire : PulseAudio;
        } else {
            arguments << QString::fromLocal8Bit(argument);
        }
    }
    if (!missing(chosen()).isEmpty()) {
        std::fprintf(stderr, "SKIP: %s is not installed\n",
                     qPrintable(missing(chosen()).join(QLatin1String(", "))));
        return 77;
    }
    QCoreApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, arguments);
}
