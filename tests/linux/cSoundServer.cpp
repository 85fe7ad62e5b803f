#include "cSoundServer.h"
#include "cToolRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int g_timeoutMs = 60000;
// The directory of the server prepare() chose, where its clients find it.
QByteArray g_serverDir;

// `environment` pointed at the chosen server, its state and configuration kept in its directory.
void pointAtServer(QProcessEnvironment *environment)
{
    const QString dir = QFile::decodeName(g_serverDir);
    if (dir.isEmpty())
        return;
    // PipeWire's protocol module puts its socket at pulse/native in the runtime directory; the
    // PulseAudio server is told the same place.
    environment->insert(QStringLiteral("PULSE_SERVER"),
                        QStringLiteral("unix:") + dir + QStringLiteral("/pulse/native"));
    environment->insert(QStringLiteral("HOME"), dir);
    environment->insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment->insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), dir);
    environment->insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    environment->insert(QStringLiteral("XDG_STATE_HOME"), dir + QStringLiteral("/state"));
    environment->insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir + QStringLiteral("/pulse"));
    environment->insert(QStringLiteral("PULSE_STATE_PATH"), dir + QStringLiteral("/pulse-state"));
    // A bus that is not there: the session manager asks the desktop's portals nothing.
    environment->insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                        QStringLiteral("unix:path=") + dir + QStringLiteral("/no-session-bus"));
}

QStringList programsOf(cSoundServer::Kind kind)
{
    if (kind == cSoundServer::PulseAudio)
        return {QStringLiteral("pulseaudio"), QStringLiteral("pactl")};
    return {QStringLiteral("pipewire"), QStringLiteral("wireplumber"), QStringLiteral("pipewire-pulse"),
            QStringLiteral("pactl")};
}

bool write(const QString &path, const QByteArray &text)
{
    return QDir().mkpath(QFileInfo(path).path()) && writeFile(path, text);
}

} // namespace

QList<cSoundServer::Kind> &cSoundServer::kinds()
{
    static QList<Kind> chosen {PulseAudio, PipeWire};
    return chosen;
}

void cSoundServer::addRows()
{
    QTest::addColumn<int>("server");
    for (Kind kind : kinds())
        QTest::newRow(qPrintable(name(kind))) << int(kind);
}

cSoundServer::Kind cSoundServer::current()
{
    QFETCH_GLOBAL(int, server);
    return Kind(server);
}

QString cSoundServer::name(Kind kind)
{
    return kind == PulseAudio ? QStringLiteral("pulseaudio") : QStringLiteral("pipewire");
}

QStringList cSoundServer::missing(Kind kind)
{
    QStringList absent;
    for (const QString &program : programsOf(kind))
        if (QStandardPaths::findExecutable(program).isEmpty())
            absent << program;
    return absent;
}

QProcessEnvironment cSoundServer::environment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LD_PRELOAD"));
    pointAtServer(&environment);
    return environment;
}

QProcessEnvironment cSoundServer::hostEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    pointAtServer(&environment);
    return environment;
}

cSoundServer::cSoundServer(Kind kind, const QTemporaryDir &dir)
    : m_kind(kind)
    , m_dir(dir.path())
{ }

cSoundServer::~cSoundServer()
{
    stop();
}

void cSoundServer::prepare()
{
    g_serverDir = QFile::encodeName(m_dir);
}

QProcess *cSoundServer::run(const QString &program, const QStringList &arguments, const QString &log)
{
    m_processes.emplace_back(new QProcess);
    QProcess *process = m_processes.back().get();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(m_dir);
    // Their chatter (no session bus, running as root) in files of their own, read when they fail.
    process->setStandardOutputFile(QDir(m_dir).filePath(log));
    process->setStandardErrorFile(QDir(m_dir).filePath(log));
    process->start(program, arguments);
    return process;
}

bool cSoundServer::start(QString *why)
{
    const bool started = m_kind == PulseAudio ? startPulseAudio() : startPipeWire();
    QElapsedTimer elapsed;
    elapsed.start();
    while (started && !elapsed.hasExpired(g_timeoutMs)) {
        if (!pactl({QStringLiteral("info")}).startsWith(QLatin1String("pactl failed")))
            return true;
        QTest::qWait(100);
    }
    for (const QString &log : QDir(m_dir).entryList({QStringLiteral("*.log")}))
        *why += log + QStringLiteral(": ")
            + QString::fromLocal8Bit(QFile(QDir(m_dir).filePath(log)).readAll());
    return false;
}

bool cSoundServer::startPulseAudio()
{
    // Run as root (CI), the server only warns that it should not be; no pid file, no default
    // script, no exit while the test still wants it, no scheduling asked of the system bus.
    QProcess *server
        = run(QStringLiteral("pulseaudio"),
              {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=false",
               "--realtime=false", "--high-priority=false", "--log-target=stderr", "--log-level=error", "-L",
               "module-native-protocol-unix auth-anonymous=1 socket=" + m_dir + "/pulse/native"},
              QStringLiteral("pulseaudio.log"));
    return server->waitForStarted(g_timeoutMs);
}

bool cSoundServer::startPipeWire()
{
    writeSessionManagerConfig();
    if (!run(QStringLiteral("pipewire"), {}, QStringLiteral("pipewire.log"))->waitForStarted(g_timeoutMs))
        return false;
    // The session manager and the protocol server connect to the core's socket.
    const QString socket = QDir(m_dir).filePath(QStringLiteral("pipewire-0"));
    QElapsedTimer elapsed;
    elapsed.start();
    while (!QFile::exists(socket) && !elapsed.hasExpired(g_timeoutMs))
        QTest::qWait(50);
    return run(QStringLiteral("wireplumber"), {}, QStringLiteral("wireplumber.log"))
               ->waitForStarted(g_timeoutMs)
        && run(QStringLiteral("pipewire-pulse"), {}, QStringLiteral("pipewire-pulse.log"))
               ->waitForStarted(g_timeoutMs);
}

void cSoundServer::writeSessionManagerConfig() const
{
    // WirePlumber leaves the machine's own sound cards, cameras and Bluetooth alone, and asks no
    // portal of a session bus, which it would otherwise need to start at all. The rest (the default
    // devices, which pipewire-pulse reads and sets through it) is as on a desktop.
    const QString config = QDir(m_dir).filePath(QStringLiteral("config/wireplumber/"));
    write(config + QStringLiteral("main.lua.d/51-q71-test.lua"),
          "alsa_monitor.enabled = false\n"
          "v4l2_monitor.enabled = false\n"
          "libcamera_monitor.enabled = false\n"
          "default_access.properties[\"enable-flatpak-portal\"] = false\n");
    write(config + QStringLiteral("bluetooth.lua.d/51-q71-test.lua"), "bluez_monitor.enabled = false\n");
}

void cSoundServer::stop()
{
    // The session manager and the protocol server before the core they are clients of.
    for (auto process = m_processes.rbegin(); process != m_processes.rend(); ++process) {
        if ((*process)->state() == QProcess::NotRunning)
            continue;
        (*process)->terminate();
        if (!(*process)->waitForFinished(g_timeoutMs))
            (*process)->kill();
        (*process)->waitForFinished(g_timeoutMs);
    }
    m_processes.clear();
}

QString cSoundServer::pactl(const QStringList &arguments)
{
    const cToolRun run = runTool(QStringLiteral("pactl"), arguments, QByteArray(), environment());
    return run.exitCode == 0 ? QString::fromLocal8Bit(run.out) : QStringLiteral("pactl failed: ") + run.err;
}

QStringList cSoundServer::cardProperties(const QString &sysfsPath, const QString &busPath) const
{
    QStringList properties {QStringLiteral("device.bus=usb"), QStringLiteral("device.api=alsa")};
    if (!sysfsPath.isEmpty())
        properties << QStringLiteral("sysfs.path=") + sysfsPath;
    properties << (m_kind == PulseAudio ? QStringLiteral("device.bus_path=")
                                        : QStringLiteral("device.bus-path="))
            + busPath;
    return properties;
}

int cSoundServer::load(const QString &module, const QString &kind, const QString &device,
                       const QStringList &properties, const QString &master) const
{
    QStringList arguments {QStringLiteral("load-module"), module, kind + QStringLiteral("_name=") + device};
    if (!master.isEmpty())
        arguments << master;
    // PulseAudio refuses an empty property list, and takes a list of more than one in quotes only.
    if (!properties.isEmpty())
        arguments << kind + QStringLiteral("_properties=\"") + properties.join(QLatin1Char(' '))
                + QLatin1Char('"');
    return pactl(arguments).trimmed().toInt();
}

int cSoundServer::loadSink(const QString &device, const QStringList &properties) const
{
    return load(QStringLiteral("module-null-sink"), QStringLiteral("sink"), device, properties);
}

int cSoundServer::loadSource(const QString &device, const QStringList &properties) const
{
    // PipeWire's protocol server has no null source: a null sink of the source class is one.
    if (m_kind == PipeWire)
        return loadSink(device, QStringList(QStringLiteral("media.class=Audio/Source/Virtual")) + properties);
    // PulseAudio's null source takes no properties: a source remapped from a null sink's monitor
    // does.
    if (properties.isEmpty())
        return load(QStringLiteral("module-null-source"), QStringLiteral("source"), device, properties);
    const QString base = device + QStringLiteral(".base");
    if (loadSink(base, {}) <= 0)
        return 0;
    return load(QStringLiteral("module-remap-source"), QStringLiteral("source"), device, properties,
                QStringLiteral("master=") + base + QStringLiteral(".monitor"));
}

bool cSoundServer::unload(int module) const
{
    return pactl({QStringLiteral("unload-module"), QString::number(module)}).isEmpty();
}

bool cSoundServer::setDefault(bool sink, const QString &device) const
{
    const QString command = sink ? QStringLiteral("set-default-sink") : QStringLiteral("set-default-source");
    // PipeWire's protocol server refuses until the session manager has brought the defaults' store.
    QElapsedTimer elapsed;
    elapsed.start();
    while (!elapsed.hasExpired(g_timeoutMs)) {
        if (pactl({command, device}).isEmpty() && defaultDevice(sink) == device)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QString cSoundServer::defaultDevice(bool sink)
{
    const QString info = pactl({QStringLiteral("info")});
    const QRegularExpression line(sink ? QStringLiteral("^Default Sink: (.*)$")
                                       : QStringLiteral("^Default Source: (.*)$"),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1);
}
