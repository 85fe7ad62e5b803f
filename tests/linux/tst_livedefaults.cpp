#include "UmockdevBed.h"
#include "cRunningHost.h"
#include "cSoundServer.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The umockdev headset's sound card, and the bus path udev gives it (ID_PATH in the description).
const char g_headsetCard[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card1";
const char g_headsetBus[] = "pci-0000:00:14.0-usb-0:4:1.0";

cRunningHost::Match info(const QString &message)
{
    return [=](const QJsonObject &event) {
        return cRunningHost::kind("log")(event)
            && event.value(QStringLiteral("level")).toString() == QLatin1String("info")
            && event.value(QStringLiteral("message")).toString() == message;
    };
}

cRunningHost::Match taken(const char *kind, const char *device, const char *card = g_headsetCard)
{
    return info(QStringLiteral("default %1: %2 (sound card %3)")
                    .arg(QLatin1String(kind), QLatin1String(device), QLatin1String(card)));
}

cRunningHost::Match givenBack(const char *kind, const char *device, const char *card = g_headsetCard)
{
    return info(QStringLiteral("default %1 given back: %2 (sound card %3 left)")
                    .arg(QLatin1String(kind), QLatin1String(device), QLatin1String(card)));
}

} // namespace

// With [audio] default=true, q71-host --live makes the umockdev headset's sink and source the
// defaults of a real sound server the test starts (PulseAudio and PipeWire in turn), when they
// appear there after the headset, and gives the user's earlier defaults back when it is pulled out,
// except a default the user chose meanwhile. The test's own pactl clients come and go throughout, as
// a desktop's do, which is when PipeWire's protocol server (0.3.65) fails now and then to tell a
// connection that a default changed. The headset's devices carry the card's bus path only,
// as a server that gives no sysfs.path would.
class tst_LiveDefaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void initTestCase_data() { cSoundServer::addRows(); }
    void init();
    void cleanupTestCase() { g_object_unref(m_testbed); }
    void headsetTakesAndGivesBackTheDefaults();

private:
    UMockdevTestbed *m_testbed = nullptr;
    int m_plugs = 0;
};

void tst_LiveDefaults::initTestCase()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("libumockdev-preload"), "run the test under umockdev-wrapper");
    m_testbed = umockdev_testbed_new();
}

void tst_LiveDefaults::init()
{
    const QStringList missing = cSoundServer::missing(cSoundServer::current());
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing.join(QLatin1String(", ")) + QStringLiteral(" not installed")));
}

void tst_LiveDefaults::headsetTakesAndGivesBackTheDefaults()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("q71.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[audio]\ndefault=true\n");
    file.close();

    // The user's own devices, their defaults, before the headset comes.
    cSoundServer server(cSoundServer::current(), dir);
    server.prepare();
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    QVERIFY(server.loadSink(QStringLiteral("speakers"), {}) > 0);
    QVERIFY(server.loadSink(QStringLiteral("hdmi"), {}) > 0);
    QVERIFY(server.loadSource(QStringLiteral("webcam"), {}) > 0);
    QVERIFY(server.setDefault(true, QStringLiteral("speakers")));
    QVERIFY(server.setDefault(false, QStringLiteral("webcam")));

    // Node names of their own at each plug: umockdev cannot give a used one again.
    const int first = ++m_plugs;
    const QByteArray headset = UmockdevBed::description("q71-headset.umockdev", first);
    const QByteArray node = "/dev/hidraw" + QByteArray::number(first);
    UmockdevBed::plug(m_testbed, headset);
    UmockdevBed::loadScript(m_testbed, node.constData());
    cRunningHost host;
    QVERIFY(
        host.start(QStringLiteral(Q71_HOST_PROGRAM),
                   {"--live", "--no-dbus", "--json", "--config", config, "--plugin", Q71_TEST_PLUGIN_FILE},
                   cSoundServer::hostEnvironment()));
    QVERIFY2(host.waitFor(cRunningHost::kind("dolby")), qPrintable(host.errorOutput()));

    // The headset's devices come after the headset; its card's sysfs path is card<first>.
    const QByteArray card = QByteArray(g_headsetCard).replace("card1", "card" + QByteArray::number(first));
    const QStringList properties = server.cardProperties(QString(), QLatin1String(g_headsetBus));
    QVERIFY(server.loadSink(QStringLiteral("headset"), properties) > 0);
    QVERIFY(server.loadSource(QStringLiteral("headset-mic"), properties) > 0);
    QVERIFY2(host.waitFor(taken("sink", "headset", card.constData())), qPrintable(host.errorOutput()));
    QVERIFY(host.waitFor(taken("source", "headset-mic", card.constData())));
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(true), QStringLiteral("headset"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(false), QStringLiteral("headset-mic"), 60000);

    // Pulled out: the earlier defaults come back, though the headset's devices are still there.
    UmockdevBed::unplug(m_testbed, headset);
    QVERIFY(host.waitFor(givenBack("sink", "speakers", card.constData())));
    QVERIFY(host.waitFor(givenBack("source", "webcam", card.constData())));
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(true), QStringLiteral("speakers"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(false), QStringLiteral("webcam"), 60000);

    // Plugged in again, its devices already there: they are the defaults at once. The user then
    // picks the HDMI output while it is plugged in; that choice outlives the headset, and only the
    // source is given back.
    const int second = ++m_plugs;
    const QByteArray again = UmockdevBed::description("q71-headset.umockdev", second);
    const QByteArray secondCard
        = QByteArray(g_headsetCard).replace("card1", "card" + QByteArray::number(second));
    UmockdevBed::plug(m_testbed, again);
    UmockdevBed::loadScript(m_testbed, QByteArray("/dev/hidraw" + QByteArray::number(second)).constData());
    QVERIFY(host.waitFor(taken("sink", "headset", secondCard.constData())));
    QVERIFY(host.waitFor(taken("source", "headset-mic", secondCard.constData())));
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(true), QStringLiteral("headset"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(false), QStringLiteral("headset-mic"), 60000);
    QVERIFY(server.setDefault(true, QStringLiteral("hdmi")));
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(true), QStringLiteral("hdmi"), 60000);
    // The run's end lets go of the headset as an unplug would: its source gives the default back.
    // The user's choice is told while the headset is there or, where the server did not tell it,
    // as the headset leaves.
    QCOMPARE(host.stop(SIGTERM), 143);
    QCOMPARE(host.events(info(QStringLiteral(
                                  "default sink hdmi chosen by the user: kept when sound card %1 leaves")
                                  .arg(QLatin1String(secondCard))))
                 .size(),
             1);
    QVERIFY(!host.events(givenBack("source", "webcam", secondCard.constData())).isEmpty());
    QCOMPARE(host.events(givenBack("sink", "speakers", secondCard.constData())).size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(cSoundServer::defaultDevice(false), QStringLiteral("webcam"), 60000);
    QCOMPARE(cSoundServer::defaultDevice(true), QStringLiteral("hdmi"));
    UmockdevBed::unplug(m_testbed, again);
}

int main(int argc, char *argv[])
{
    return cSoundServer::testMain<tst_LiveDefaults>(argc, argv);
}

#include "tst_livedefaults.moc"
