#include "UmockdevBed.h"
#include "cRunningHost.h"
#include "cSoundServer.h"
#include "cTestBus.h"
#include "cToolRun.h"

// After glib's headers, which name a member "signals", Qt's keyword.
#include "HeadsetsClient.h"

#include <QtTest>

namespace {

// The umockdev headset's sound card, as the sound server's ALSA sink for it would name it, a card
// whose path starts with it, and the bus path udev gives the headset (ID_PATH in the description).
const char g_headsetCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card1";
const char g_otherCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card10";
const char g_headsetBus[] = "pci-0000:00:14.0-usb-0:4:1.0";

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

// The host took (or, `back`, gave back) the default sink or source `device` for `card`.
cRunningHost::Match taken(const char *kind, const char *device, const char *card, bool back = false)
{
    return logLine("info",
                   QString::fromLatin1(back ? "default %1 given back: %2 (sound card %3 left)"
                                            : "default %1: %2 (sound card %3)")
                       .arg(QLatin1String(kind), QLatin1String(device), QLatin1String(card)));
}

} // namespace

// q71-host --live against a real sound server that the test starts in a directory of its own and
// reaches over its socket only (PulseAudio or PipeWire, a CTest test each), the headset faked by
// umockdev: the wheel turns the volume of the headset's sink, and with [audio] default=true the
// headset's sink and source become the defaults and the user's come back when it leaves.
class tst_LiveSound : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        UmockdevBed::requirePreload();
        m_testbed = umockdev_testbed_new();
    }
    void cleanupTestCase() { g_object_unref(m_testbed); }
    // The volume's run begins before the server does, and the headset's sink comes after the server,
    // as a desktop session may bring them; the run serves the headset on a session bus of the test's
    // own too.
    void wheelStepsTheHeadsetsSink()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        cSoundServer server(cSoundServer::chosen(), dir);
        server.prepare();
        const QByteArray headset = UmockdevBed::description("q71-headset.umockdev");
        UmockdevBed::plug(m_testbed, headset);
        UmockdevBed::loadScript(m_testbed, "/dev/hidraw0", "q71-setup-light.script");

        cTestBus bus;
        QVERIFY(bus.start());
        QProcessEnvironment environment = cSoundServer::environment(true);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        cRunningHost host;
        QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                           {"--live", "--json", "--volume-step", "10", "--plugin", Q71_TEST_PLUGIN_FILE},
                           environment));
        QVERIFY2(host.waitFor(cRunningHost::kind("dolby")), qPrintable(host.errorOutput()));
        QTRY_COMPARE_WITH_TIMEOUT(HeadsetsClient::get(bus.connection(), "Volume"), QVariant(-1), 60000);
        QCOMPARE(HeadsetsClient::get(bus.connection(), "Node"), QVariant(QStringLiteral("/dev/hidraw0")));
        QCOMPARE(HeadsetsClient::get(bus.connection(), "SoundCard"),
                 QVariant(QStringLiteral("/sys") + QLatin1String(g_headsetCard)));
        // A client's light setting reaches the node (the script answers once it read the report it
        // expects) and the user's file, which did not exist before.
        QCOMPARE(HeadsetsClient::set(bus.connection(), "MicLight", 1u).type(), QDBusMessage::ReplyMessage);
        QVERIFY(
            host.waitFor(cRunningHost::matching("hid.input", "report", QStringLiteral("02 01 09 00 00"))));
        QCOMPARE(QSettings(dir.filePath(QStringLiteral("config/q71/q71.conf")), QSettings::IniFormat)
                     .value(QStringLiteral("microphone/light")),
                 QVariant(QStringLiteral("1")));
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
        const QString sysfs = QStringLiteral("sysfs.path=");
        QVERIFY(server.loadSink(QStringLiteral("other"), {sysfs + QLatin1String(g_otherCard)}) > 0);
        QCOMPARE(cSoundServer::pactl({"set-sink-volume", "other", "50%"}), QString());
        const cRunningHost::Match noSink = logLine(
            "warning",
            QStringLiteral("no sink of the sound server plays through sound card %1").arg(g_headsetCard));
        input(host, down, noSink);

        // The headset's sink comes, its channels out of balance; each step moves the louder by one
        // step and keeps the balance, never beyond the full volume.
        QVERIFY(server.loadSink(QStringLiteral("headset"), {sysfs + QLatin1String(g_headsetCard)}) > 0);
        // PipeWire applies a volume after it has answered the call that set it: a user's volume is
        // stepped from once the server shows it.
        QCOMPARE(cSoundServer::pactl({"set-sink-volume", "headset", "50%", "40%"}), QString());
        QTRY_COMPARE_WITH_TIMEOUT(sinkVolume("headset"), QStringLiteral("50% 40%"), 60000);
        input(host, down, volumeOf("headset", 40));
        QCOMPARE(sinkVolume("headset"), QStringLiteral("40% 32%"));
        input(host, up, volumeOf("headset", 50));
        QCOMPARE(sinkVolume("headset"), QStringLiteral("50% 40%"));
        QCOMPARE(cSoundServer::pactl({"set-sink-volume", "headset", "95%"}), QString());
        QTRY_COMPARE_WITH_TIMEOUT(sinkVolume("headset"), QStringLiteral("95% 95%"), 60000);
        input(host, up, volumeOf("headset", 100));
        QCOMPARE(sinkVolume("headset"), QStringLiteral("100% 100%"));
        // The volume a step leaves is the headset's Volume on the session bus too.
        QTRY_COMPARE_WITH_TIMEOUT(HeadsetsClient::get(bus.connection(), "Volume"), QVariant(100), 60000);
        QCOMPARE(sinkVolume("other"), QStringLiteral("50% 50%"));

        QCOMPARE(host.stop(SIGTERM), 143);
        QCOMPARE(host.events(noServer).size(), 1);
        QCOMPARE(host.events(noSink).size(), 1);
        UmockdevBed::unplug(m_testbed, headset);
    }
    // With [audio] default=true, the headset's sink and source become the defaults when they appear
    // after the headset, and the user's earlier defaults come back when it is pulled out, except a
    // default the user chose meanwhile. The test's own pactl clients come and go throughout, as
    // a desktop's do, which is when PipeWire's protocol server (0.3.65) fails now and then to tell a
    // connection that a default changed. The headset's devices carry the card's bus path only,
    // as a server that gives no sysfs.path would.
    void headsetTakesAndGivesBackTheDefaults()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString config = dir.filePath(QStringLiteral("q71.conf"));
        QVERIFY(writeFile(config, "[audio]\ndefault=true\n"));

        // The user's own devices, their defaults, before the headset comes.
        cSoundServer server(cSoundServer::chosen(), dir);
        server.prepare();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        QVERIFY(server.loadSink(QStringLiteral("speakers"), {}) > 0);
        QVERIFY(server.loadSink(QStringLiteral("hdmi"), {}) > 0);
        QVERIFY(server.loadSource(QStringLiteral("webcam"), {}) > 0);
        QVERIFY(server.setDefault(true, QStringLiteral("speakers")));
        QVERIFY(server.setDefault(false, QStringLiteral("webcam")));

        // The headset at its plugs 2 and 3, with node and card names of its own: umockdev cannot give
        // a used node name again, nor make card1, the volume's headset's, again.
        const auto plugHeadset = [this](int number) {
            const QByteArray headset = UmockdevBed::description("q71-headset.umockdev", number);
            UmockdevBed::plug(m_testbed, headset);
            UmockdevBed::loadScript(m_testbed,
                                    QByteArray("/dev/hidraw" + QByteArray::number(number)).constData());
            return headset;
        };
        const auto defaultsAre = [](const char *sink, const char *source) {
            return cSoundServer::defaultDevice(true) == QLatin1String(sink)
                && cSoundServer::defaultDevice(false) == QLatin1String(source);
        };
        const QByteArray headset = plugHeadset(2);
        cRunningHost host;
        QVERIFY(host.start(
            QStringLiteral(Q71_HOST_PROGRAM),
            {"--live", "--no-dbus", "--json", "--config", config, "--plugin", Q71_TEST_PLUGIN_FILE},
            cSoundServer::environment(true)));
        QVERIFY2(host.waitFor(cRunningHost::kind("dolby")), qPrintable(host.errorOutput()));

        // The headset's devices come after the headset.
        const QByteArray card = QByteArray(g_headsetCard).replace("card1", "card2");
        const QStringList properties = server.cardProperties(QLatin1String(g_headsetBus));
        QVERIFY(server.loadSink(QStringLiteral("headset"), properties) > 0);
        QVERIFY(server.loadSource(QStringLiteral("headset-mic"), properties) > 0);
        QVERIFY2(host.waitFor(taken("sink", "headset", card.constData())), qPrintable(host.errorOutput()));
        QVERIFY(host.waitFor(taken("source", "headset-mic", card.constData())));
        QTRY_VERIFY_WITH_TIMEOUT(defaultsAre("headset", "headset-mic"), 60000);

        // Pulled out: the earlier defaults come back, though the headset's devices are still there.
        UmockdevBed::unplug(m_testbed, headset);
        QVERIFY(host.waitFor(taken("sink", "speakers", card.constData(), true)));
        QVERIFY(host.waitFor(taken("source", "webcam", card.constData(), true)));
        QTRY_VERIFY_WITH_TIMEOUT(defaultsAre("speakers", "webcam"), 60000);

        // Plugged in again, its devices already there: they are the defaults at once. The user then
        // picks the HDMI output while it is plugged in; that choice outlives the headset, and only the
        // source is given back.
        const QByteArray again = plugHeadset(3);
        const QByteArray secondCard = QByteArray(g_headsetCard).replace("card1", "card3");
        QVERIFY(host.waitFor(taken("sink", "headset", secondCard.constData())));
        QVERIFY(host.waitFor(taken("source", "headset-mic", secondCard.constData())));
        QTRY_VERIFY_WITH_TIMEOUT(defaultsAre("headset", "headset-mic"), 60000);
        QVERIFY(server.setDefault(true, QStringLiteral("hdmi")));
        QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(true), QStringLiteral("hdmi"), 60000);
        // The run's end lets go of the headset as an unplug would: its source gives the default back.
        // The user's choice is told while the headset is there or, where the server did not tell it,
        // as the headset leaves.
        QCOMPARE(host.stop(SIGTERM), 143);
        QCOMPARE(
            host.events(logLine("info",
                                QStringLiteral(
                                    "default sink hdmi chosen by the user: kept when sound card %1 leaves")
                                    .arg(QLatin1String(secondCard))))
                .size(),
            1);
        QVERIFY(!host.events(taken("source", "webcam", secondCard.constData(), true)).isEmpty());
        QCOMPARE(host.events(taken("sink", "speakers", secondCard.constData(), true)).size(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(defaultsAre("hdmi", "webcam"), 60000);
        UmockdevBed::unplug(m_testbed, again);
    }

private:
    void input(cRunningHost &host, const char *hex, const cRunningHost::Match &heard)
    {
        UmockdevBed::input(m_testbed, host, "/dev/hidraw0", hex, heard);
    }

    UMockdevTestbed *m_testbed = nullptr;
};

int main(int argc, char *argv[])
{
    return cSoundServer::testMain<tst_LiveSound>(argc, argv);
}

#include "tst_livesound.moc"
