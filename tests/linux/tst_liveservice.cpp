// GLib's headers come before Qt's, which define "signals".
#include "UmockdevBed.h"

#include "HeadsetsClient.h"
#include "cRunningHost.h"
#include "cTestBus.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// q71-host --live serving the machine's headset on a session bus of the test's own, the headset
// faked by umockdev: what the node says reaches a client, and what a client writes reaches the
// node, checked byte for byte by the umockdev script.
class tst_LiveService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void servesTheMachinesHeadset();

public slots:
    void onKey(uint key) { m_keys << key; }

private:
    QList<uint> m_keys;
};

using namespace HeadsetsClient;

void tst_LiveService::initTestCase()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("libumockdev-preload"), "run the test under umockdev-wrapper");
    if (!cTestBus::isAvailable())
        QSKIP("dbus-daemon is not installed");
}

void tst_LiveService::servesTheMachinesHeadset()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("PULSE_SERVER", "unix:" + dir.filePath(QStringLiteral("no-server")).toUtf8());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    cTestBus bus;
    QVERIFY(bus.start());
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    QDBusConnection client = bus.connection();
    QVERIFY(client.connect(QLatin1String(Service), QLatin1String(FirstHeadset),
                           QLatin1String(HeadsetInterface), QStringLiteral("KeyPressed"), this,
                           SLOT(onKey(uint))));

    UMockdevTestbed *testbed = umockdev_testbed_new();
    const QByteArray headset = UmockdevBed::description("q71-headset.umockdev");
    UmockdevBed::plug(testbed, headset);
    UmockdevBed::loadScript(testbed, "/dev/hidraw0", "q71-setup-light.script");
    cRunningHost host;
    QVERIFY(
        host.start(QStringLiteral(Q71_HOST_PROGRAM), {"--live", "--json", "--plugin", Q71_TEST_PLUGIN_FILE}));
    QVERIFY2(host.waitFor(cRunningHost::matching("dolby", "enable", true)), qPrintable(host.errorOutput()));
    QTRY_COMPARE_WITH_TIMEOUT(get(client, "Dolby"), QVariant(true), 60000);
    QCOMPARE(get(client, "Node"), QVariant(QStringLiteral("/dev/hidraw0")));
    QCOMPARE(get(client, "SoundCard"),
             QVariant(QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/sound/card1")));

    UmockdevBed::input(testbed, host, "/dev/hidraw0", "0210110000",
                       cRunningHost::matching("event", "name", QStringLiteral("GKeyPressed")));
    QTRY_COMPARE_WITH_TIMEOUT(m_keys, QList<uint>({1}), 60000);

    const QDBusMessage written = set(client, "MicLight", 1u);
    QCOMPARE(written.type(), QDBusMessage::ReplyMessage);
    // The script answers only once it read the light report it expects.
    QVERIFY(host.waitFor(cRunningHost::matching("hid.input", "report", QStringLiteral("02 01 09 00 00"))));
    QCOMPARE(get(client, "MicLight"), QVariant(1u));
    // Kept in the user's file, which did not exist before.
    QCOMPARE(QSettings(dir.filePath(QStringLiteral("q71/q71.conf")), QSettings::IniFormat)
                 .value(QStringLiteral("microphone/light")),
             QVariant(QStringLiteral("1")));
    QCOMPARE(host.stop(SIGTERM), 143);
    g_object_unref(testbed);
}

QTEST_GUILESS_MAIN(tst_LiveService)
#include "tst_liveservice.moc"
