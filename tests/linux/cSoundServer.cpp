#include "cSoundServer.h"
#include "cToolRun.h"

#include <QtTest>

#include <utility>

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
    // PulseAudio server is told the same place. The session bus is one that is not there: the
    // session manager asks the desktop's portals nothing.
    const std::pair<const char *, QString> variables[]
        = {{"PULSE_SERVER", "unix:" + dir + "/pulse/native"},
           {"HOME", dir},
           {"XDG_RUNTIME_DIR", dir},
           {"PIPEWIRE_RUNTIME_DIR", dir},
           {"XDG_CONFIG_HOME", dir + "/config"},
           {"XDG_STATE_HOME", dir + "/state"},
           {"PULSE_RUNTIME_PATH", dir + "/pulse"},
           {"PULSE_STATE_PATH", dir + "/pulse-state"},
           {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir + "/no-session-bus"}};
    for (const auto &[name, value] : variables)
        environment->insert(QLatin1String(name), value);
}

} // namespace

cSoundServer::Kind &cSoundServer::chosen()
{
    static Kind kind = PulseAudio;
    return kind;
}

QStringList cSoundServer::missing(Kind kind)
{
    QStringList absent;
    for (const QString &program : kind == PulseAudio
             ? QStringList {"pulseaudio", "pactl"}
             : QStringList {"pipewire", "wireplumber", "pipewire-pulse", "pactl"})
        if (QStandardPaths::findExecutable(program).isEmpty())
            absent << program;
    return absent;
}

QProcessEnvironment cSoundServer::environment(bool host)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!host)
        environment.remove(QStringLiteral("LD_PRELOAD"));
    pointAtServer(&environment);
    return environment;
}

void cSoundServer::prepare()
{
    g_serverDir = QFile::encodeName(m_dir);
}

QProcess *cSoundServer::run(const QString &program, const QStringList &arguments)
{
    m_processes.emplace_back(new QProcess);
    QProcess *process = m_processes.back().get();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(m_dir);
    // Their chatter (no session bus, running as root) in files of their own, read when they fail.
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(QDir(m_dir).filePath(program + QStringLiteral(".log")));
    process->start(program, arguments);
    return process;
}

bool cSoundServer::start(QString *why)
{
    // Run as root (CI), PulseAudio only warns that it should not be; no pid file, no default
    // script, no exit while the test still wants it, no scheduling asked of the system bus.
    const bool started = m_kind == PipeWire
        ? startPipeWire()
        : run(QStringLiteral("pulseaudio"),
              {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=false",
               "--realtime=false", "--high-priority=false", "--log-target=stderr", "--log-level=error", "-L",
               "module-native-protocol-unix auth-anonymous=1 socket=" + m_dir + "/pulse/native"})
              ->waitForStarted(g_timeoutMs);
    if (started
        && QTest::qWaitFor(
            [] { return !pactl({QStringLiteral("info")}).startsWith(QLatin1String("pactl failed")); },
            g_timeoutMs))
        return true;
    for (const QString &log : QDir(m_dir).entryList({QStringLiteral("*.log")}))
        *why += log + QStringLiteral(": ") + QString::fromLocal8Bit(readFile(QDir(m_dir).filePath(log)));
    return false;
}

bool cSoundServer::startPipeWire()
{
    // WirePlumber leaves the machine's own sound cards, cameras and Bluetooth alone, and asks no
    // portal of a session bus, which it would otherwise need to start at all. The rest (the default
    // devices, which pipewire-pulse reads and sets through it) is as on a desktop.
    const QString config = QDir(m_dir).filePath(QStringLiteral("config/wireplumber/"));
    if (!QDir().mkpath(config + QStringLiteral("main.lua.d"))
        || !QDir().mkpath(config + QStringLiteral("bluetooth.lua.d"))
        || !writeFile(
            config + QStringLiteral("main.lua.d/51-q71-test.lua"),
            "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n"
            "default_access.properties[\"enable-flatpak-portal\"] = false\n")
        || !writeFile(config + QStringLiteral("bluetooth.lua.d/51-q71-test.lua"),
                      "bluez_monitor.enabled = false\n")
        || !run(QStringLiteral("pipewire"))->waitForStarted(g_timeoutMs))
        return false;
    // The session manager and the protocol server connect to the core's socket.
    const QString socket = QDir(m_dir).filePath(QStringLiteral("pipewire-0"));
    return QTest::qWaitFor([&socket] { return QFile::exists(socket); }, g_timeoutMs)
        && run(QStringLiteral("wireplumber"))->waitForStarted(g_timeoutMs)
        && run(QStringLiteral("pipewire-pulse"))->waitForStarted(g_timeoutMs);
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

QStringList cSoundServer::cardProperties(const QString &busPath) const
{
    return {QStringLiteral("device.bus=usb"), QStringLiteral("device.api=alsa"),
            (m_kind == PulseAudio ? QStringLiteral("device.bus_path=") : QStringLiteral("device.bus-path="))
                + busPath};
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

bool cSoundServer::setDefault(bool sink, const QString &device) const
{
    const QString command = QStringLiteral("set-default-%1").arg(sink ? "sink" : "source");
    // PipeWire's protocol server refuses until the session manager has brought the defaults' store.
    return QTest::qWaitFor(
        [&] {
            return pactl({command, device}).isEmpty() && defaultDevice(sink) == device;
        },
        g_timeoutMs);
}

QString cSoundServer::defaultDevice(bool sink)
{
    const QRegularExpression line(QStringLiteral("^Default %1: (.*)$").arg(sink ? "Sink" : "Source"),
                                  QRegularExpression::MultilineOption);
    return line.match(pactl({QStringLiteral("info")})).captured(1);
}
