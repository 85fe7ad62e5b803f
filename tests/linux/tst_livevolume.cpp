#include "UmockdevBed.h"
#include "cRunningHost.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// The umockdev headset's sound card, as the sound server's ALSA sink for it would name it, and a
// card whose path starts with it.
const char g_headsetCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card1";
const char g_otherCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card10";

// The server and its client are not part of the testbed.
QProcessEnvironment soundServerEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LD_PRELOAD"));
    return environment;
}

QString pactl(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(soundServerEnvironment());
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QStringLiteral("pactl failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Each channel's volume in percent, as pactl rounds it: "50% 40%".
QString sinkVolume(const char *sink)
{
    const QString text = pactl({QStringLiteral("get-sink-volume"), QLatin1String(sink)});
    QStringList channels;
    QRegularExpressionMatchIterator percent = QRegularExpression(QStringLiteral("(\\d+)%")).globalMatch(text);
    while (percent.hasNext())
        channels << percent.next().captured(0);
    return channels.isEmpty() ? text : channels.join(QLatin1Char(' '));
}

cRunningHost::Match logLine(const char *level, const QString &start)
{
    return [=](const QJsonObject &event) {
        return cRunningHost::kind("log")(event)
            && event.value(QStringLiteral("level")).toString() == QLatin1String(level)
            && event.value(QStringLiteral("message")).toString().startsWith(start);
    };
}

cRunningHost::Match volumeOf(const char *sink, int percent)
{
    return logLine("info",
                   QStringLiteral("volume of %1 (sound card %2): %3 %")
                       .arg(QLatin1String(sink), QLatin1String(g_headsetCard))
                       .arg(percent));
}

} // namespace

// q71-host --live turns the volume of the umockdev headset's sink on a real PulseAudio server that
// the test starts in a directory of its own and reaches over its socket only. The run begins
// before the server does, and the headset's sink comes after the server, as a desktop session may
// bring them.
class tst_LiveVolume : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void wheelStepsTheHeadsetsSink();

private:
    void input(cRunningHost &host, const char *hex, const cRunningHost::Match &heard)
    {
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", hex, heard);
    }
    void startServer();

    QTemporaryDir m_dir;
    QProcess m_server;
    UMockdevTestbed *m_testbed = nullptr;
};

void tst_LiveVolume::initTestCase()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("libumockdev-preload"), "run the test under umockdev-wrapper");
    QVERIFY(m_dir.isValid());
    // Neither the user's server nor their files: the server, q71-host and pactl meet at this socket.
    qputenv("PULSE_SERVER", "unix:" + m_dir.filePath(QStringLiteral("native")).toUtf8());
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
    qputenv("PULSE_RUNTIME_PATH", m_dir.filePath(QStringLiteral("runtime")).toUtf8());
    qputenv("PULSE_STATE_PATH", m_dir.filePath(QStringLiteral("state")).toUtf8());
    m_testbed = umockdev_testbed_new();
}

void tst_LiveVolume::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(60000))
            m_server.kill();
        m_server.waitForFinished(60000);
    }
    g_object_unref(m_testbed);
}

void tst_LiveVolume::startServer()
{
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    m_server.setProcessEnvironment(soundServerEnvironment());
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Run as root (CI), the server only warns that it should not be; no pid file, no default
    // script, no exit while the test still wants it, no scheduling asked of the system bus.
    m_server.start(QStringLiteral("pulseaudio"),
                   {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=false",
                    "--realtime=false", "--high-priority=false", "--log-target=stderr", "--log-level=error",
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                    QStringLiteral("module-null-sink sink_name=other sink_properties=sysfs.path=%1")
                        .arg(QLatin1String(g_otherCard))});
    QVERIFY(m_server.waitForStarted(60000));
    QTRY_VERIFY_WITH_TIMEOUT(!pactl({QStringLiteral("info")}).startsWith(QLatin1String("pactl failed")),
                             60000);
    QCOMPARE(pactl({"set-sink-volume", "other", "50%"}), QString());
}

void tst_LiveVolume::wheelStepsTheHeadsetsSink()
{
    UmockdevBed::plug(m_testbed, UmockdevBed::description("q71-headset.umockdev"));
    UmockdevBed::loadScript(m_testbed, "/dev/hidraw0");

    cRunningHost host;
    QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                       {"--live", "--no-dbus", "--json", "--volume-step", "10", "--plugin", Q71_TEST_PLUGIN_FILE}));
    QVERIFY2(host.waitFor(cRunningHost::kind("dolby")), qPrintable(host.errorOutput()));
    const char down[] = "0100020000";
    const char up[] = "0100010000";
    // No server yet: a warning, once however many steps find none, and the headset goes on.
    const cRunningHost::Match noServer
        = logLine("warning", QStringLiteral("the sound server cannot be reached"));
    input(host, down, noServer);
    input(host, up, cRunningHost::matching("volume", "op", QStringLiteral("incVolume")));

    // A server with another card's sink only.
    startServer();
    const cRunningHost::Match noSink = logLine("warning",
                                               QStringLiteral("no sink of the sound server plays through "
                                                              "sound card ")
                                                   + QLatin1String(g_headsetCard));
    input(host, down, noSink);

    // The headset's sink comes, its channels out of balance; each step moves the louder by one
    // step and keeps the balance, never beyond the full volume.
    QVERIFY(pactl({"load-module", "module-null-sink", "sink_name=headset",
                   QStringLiteral("sink_properties=sysfs.path=%1").arg(QLatin1String(g_headsetCard))})
                .toInt()
            > 0);
    QCOMPARE(pactl({"set-sink-volume", "headset", "50%", "40%"}), QString());
    input(host, down, volumeOf("headset", 40));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("40% 32%"));
    input(host, up, volumeOf("headset", 50));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("50% 40%"));
    QCOMPARE(pactl({"set-sink-volume", "headset", "95%"}), QString());
    input(host, up, volumeOf("headset", 100));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("100% 100%"));
    QCOMPARE(sinkVolume("other"), QStringLiteral("50% 50%"));

    QCOMPARE(host.stop(SIGTERM), 143);
    QCOMPARE(host.events(noServer).size(), 1);
    QCOMPARE(host.events(noSink).size(), 1);
}

// The sound server is part of what CI installs; elsewhere its absence is a skip, not a pass.
int main(int argc, char *argv[])
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty()) {
        std::fputs("SKIP: pulseaudio and pactl are needed\n", stderr);
        return 77;
    }
    QCoreApplication app(argc, argv);
    tst_LiveVolume test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_livevolume.moc"
