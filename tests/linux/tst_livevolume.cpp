#include "UmockdevBed.h"
#include "cRunningHost.h"
#include "cSoundServer.h"
#include "cTestBus.h"

// After glib's headers, which name a member "signals", Qt's keyword.
#include "HeadsetsClient.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The umockdev headset's sound card, as the sound server's ALSA sink for it would name it, and a
// card whose path starts with it.
const char g_headsetCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card1";
const char g_otherCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card10";

// Each channel's volume in percent, as pactl rounds it: "50% 40%".
QString sinkVolume(const char *sink)
{
    const QString text = cSoundServer::pactl({QStringLiteral("get-sink-volume"), QLatin1String(sink)});
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

QString sysfsPath(const char *card)
{
    return QStringLiteral("sysfs.path=") + QLatin1String(card);
}

} // namespace

// q71-host --live turns the volume of the umockdev headset's sink on a real sound server that the
// test starts in a directory of its own and reaches over its socket only, PulseAudio and PipeWire
// in turn. The run begins before the server does, and the headset's sink comes after the server, as
// a desktop session may bring them.
class tst_LiveVolume : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void initTestCase_data() { cSoundServer::addRows(); }
    void init();
    void cleanupTestCase() { g_object_unref(m_testbed); }
    void wheelStepsTheHeadsetsSink();

private:
    void input(cRunningHost &host, const char *hex, const cRunningHost::Match &heard)
    {
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", hex, heard);
    }

    UMockdevTestbed *m_testbed = nullptr;
};

void tst_LiveVolume::initTestCase()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("libumockdev-preload"), "run the test under umockdev-wrapper");
    m_testbed = umockdev_testbed_new();
    UmockdevBed::plug(m_testbed, UmockdevBed::description("q71-headset.umockdev"));
}

void tst_LiveVolume::init()
{
    const QStringList missing = cSoundServer::missing(cSoundServer::current());
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing.join(QLatin1String(", ")) + QStringLiteral(" not installed")));
}

void tst_LiveVolume::wheelStepsTheHeadsetsSink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    cSoundServer server(cSoundServer::current(), dir);
    server.prepare();
    UmockdevBed::loadScript(m_testbed, "/dev/hidraw0");

    // The volume a step leaves is the headset's Volume on the session bus too.
    cTestBus bus;
    QVERIFY(bus.start());
    QProcessEnvironment environment = cSoundServer::hostEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    cRunningHost host;
    QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                       {"--live", "--json", "--volume-step", "10", "--plugin", Q71_TEST_PLUGIN_FILE},
                       environment));
    QVERIFY2(host.waitFor(cRunningHost::kind("dolby")), qPrintable(host.errorOutput()));
    QTRY_COMPARE_WITH_TIMEOUT(HeadsetsClient::get(bus.connection(), "Volume"), QVariant(-1), 60000);
    const char down[] = "0100020000";
    const char up[] = "0100010000";
    // No server yet: a warning, once however many steps find none, and the headset goes on.
    const cRunningHost::Match noServer
        = logLine("warning", QStringLiteral("the sound server cannot be reached"));
    input(host, down, noServer);
    input(host, up, cRunningHost::matching("volume", "op", QStringLiteral("incVolume")));

    // A server with another card's sink only.
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    QVERIFY(server.loadSink(QStringLiteral("other"), {sysfsPath(g_otherCard)}) > 0);
    QCOMPARE(cSoundServer::pactl({"set-sink-volume", "other", "50%"}), QString());
    const cRunningHost::Match noSink = logLine("warning",
                                               QStringLiteral("no sink of the sound server plays through "
                                                              "sound card ")
                                                   + QLatin1String(g_headsetCard));
    input(host, down, noSink);

    // The headset's sink comes, its channels out of balance; each step moves the louder by one
    // step and keeps the balance, never beyond the full volume.
    QVERIFY(server.loadSink(QStringLiteral("headset"), {sysfsPath(g_headsetCard)}) > 0);
    QCOMPARE(cSoundServer::pactl({"set-sink-volume", "headset", "50%", "40%"}), QString());
    input(host, down, volumeOf("headset", 40));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("40% 32%"));
    input(host, up, volumeOf("headset", 50));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("50% 40%"));
    QCOMPARE(cSoundServer::pactl({"set-sink-volume", "headset", "95%"}), QString());
    input(host, up, volumeOf("headset", 100));
    QCOMPARE(sinkVolume("headset"), QStringLiteral("100% 100%"));
    QTRY_COMPARE_WITH_TIMEOUT(HeadsetsClient::get(bus.connection(), "Volume"), QVariant(100), 60000);
    QCOMPARE(sinkVolume("other"), QStringLiteral("50% 50%"));

    QCOMPARE(host.stop(SIGTERM), 143);
    QCOMPARE(host.events(noServer).size(), 1);
    QCOMPARE(host.events(noSink).size(), 1);
}

int main(int argc, char *argv[])
{
    return cSoundServer::testMain<tst_LiveVolume>(argc, argv);
}

#include "tst_livevolume.moc"
