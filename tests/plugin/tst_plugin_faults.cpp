// Faults of the host around the plugin, on virtual time: a transport that completes every write
// twice, event receivers that go away while subscribed, the plugin shut down under its devices and
// the audio device manager failing to destroy an audio device. None may crash or corrupt anything;
// run them under the sanitizers.
#include "IAudioDevice.h"
#include "IServiceMgr.h"
#include "cAudioDeviceMgrService.h"
#include "cClock.h"
#include "cHeadsetFixture.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cServiceRecorder.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cVirtualEventDispatcher.h"

#include <QtTest>

namespace {

// A host component listening on an event source. When told to, it takes something down from
// inside its handler: another receiver, or the host's headset.
class cListener : public QObject
{
    Q_OBJECT
public:
    explicit cListener(const QString &source)
        : m_source(source)
    {
        IServiceMgr::instance()->subscribeEvents(source, this, QStringLiteral("on"));
    }
    ~cListener() override
    {
        if (m_unsubscribeOnDestroy)
            IServiceMgr::instance()->unsubscribeEvents(m_source, this);
    }

    Q_INVOKABLE void onGKeyPressed(GKey::GKey_t, const QString &, const QString &) { handle(); }
    Q_INVOKABLE void onExitApplication() { handle(); }

    QString m_source;
    bool m_unsubscribeOnDestroy = true;
    int m_calls = 0;
    QObject *m_deleteInHandler = nullptr;
    cSimBus *m_unplugInHandler = nullptr;

private:
    void handle()
    {
        ++m_calls;
        delete m_deleteInHandler;
        m_deleteInHandler = nullptr;
        if (m_unplugInHandler)
            m_unplugInHandler->unplugAll();
    }
};

} // namespace

class tst_PluginFaults : public QObject, private cHeadsetFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void transportCompletesTwice();
    void receiverDestroyedWhileSubscribed();
    void receiverDestroyedByAnEarlierHandler_data();
    void receiverDestroyedByAnEarlierHandler();
    void deviceDestroyedWhileExitIsDelivered();
    void shutdownWhileDevicesExist_data();
    void shutdownWhileDevicesExist();
    void audioDeviceManagerFailsOnDestroy();
};

void tst_PluginFaults::transportCompletesTwice()
{
    // Every completion brings a shot of its own, so the queue drains two reports per write; still
    // each report goes out once, in order, and spare shots find the queues empty.
    m_hid->setCompletionMode(cSimHidTransport::CompleteTwice);
    m_device->start();
    QVERIFY(cHost::microphone(m_device).setLightConfig(MicLight::Setting2));
    m_clock->wait(2000);
    QCOMPARE(written(), setupReports + QStringList("02 02 02 00 00"));
    QCOMPARE(writeTimes(), QList<qint64>({0, 101, 101, 202, 202, 202}));

    // Answered, a setting goes out at once, and its two completions write nothing more.
    input("0201000000");
    QVERIFY(cHost::microphone(m_device).setNotificationConfig(MicMuteNotification::Setting2));
    m_clock->wait(1000);
    QCOMPARE(written().mid(6), QStringList("02 04 02 00 00"));
}

void tst_PluginFaults::receiverDestroyedWhileSubscribed()
{
    // Deleted without unsubscribing: the key events of the device reach the host's profiler, as
    // before, the first and the second time (the second through the manager's delivery cache).
    cListener *gone = new cListener(QStringLiteral("Profiler_Events"));
    gone->m_unsubscribeOnDestroy = false;
    m_device->start();
    input("0210110000");
    QCOMPARE(gone->m_calls, 1);
    delete gone;
    input("0210000000");
    input("0210110000");
    input("0210000000");
    input("0210110000");
    QCOMPARE(keyEvents().size(), 5);
}

void tst_PluginFaults::receiverDestroyedByAnEarlierHandler_data()
{
    QTest::addColumn<bool>("unsubscribes");
    QTest::newRow("unsubscribing as it goes") << true;
    QTest::newRow("still subscribed") << false;
}

void tst_PluginFaults::receiverDestroyedByAnEarlierHandler()
{
    QFETCH(bool, unsubscribes);
    // A handler deletes a receiver that the same event has yet to reach: that one is skipped, the
    // others still get it.
    cListener first(QStringLiteral("Profiler_Events"));
    cListener *second = new cListener(QStringLiteral("Profiler_Events"));
    second->m_unsubscribeOnDestroy = unsubscribes;
    const QPointer<QObject> watched = second;
    first.m_deleteInHandler = second;
    cListener third(QStringLiteral("Profiler_Events"));

    m_device->start();
    input("0210110000");
    QVERIFY(watched.isNull());
    QCOMPARE(first.m_calls, 1);
    QCOMPARE(third.m_calls, 1);
    QCOMPARE(keyEvents().size(), 1);

    input("0210000000");
    input("0210110000");
    QCOMPARE(first.m_calls, 2);
    QCOMPARE(third.m_calls, 2);
}

void tst_PluginFaults::deviceDestroyedWhileExitIsDelivered()
{
    // The host takes its headset down as the application exits, from a handler that the event
    // reaches before the device: the device is gone by its turn and is not called.
    m_device.reset();
    m_bus->unplugAll();
    cListener closing(QStringLiteral("MainApp_Events"));
    closing.m_unplugInHandler = m_bus;
    const QPointer<QObject> device = plugHeadset().data();
    m_hid = m_bus->hidTransport();
    QVERIFY(device);

    QVERIFY(m_host->exitApplication());
    QCOMPARE(closing.m_calls, 1);
    QVERIFY(device.isNull());
    QVERIFY(written().isEmpty());
    m_clock->wait(1000);
}

void tst_PluginFaults::shutdownWhileDevicesExist_data()
{
    QTest::addColumn<bool>("devMgrUp");
    QTest::addColumn<QStringList>("critical");
    QTest::newRow("device manager up") << true << QStringList();
    QTest::newRow("device manager down")
        << false << QStringList("Failed to call 'unregisterDeviceProvider' on service DevMgr.DevMgrLow");
}

void tst_PluginFaults::shutdownWhileDevicesExist()
{
    QFETCH(bool, devMgrUp);
    QFETCH(QStringList, critical);

    m_device->start();
    m_clock->wait(1000);
    m_host->services().setAvailable(cHostServices::DevMgr, devMgrUp);
    {
        cCriticalLog log;
        m_host->shutdownPlugin();
        QCOMPARE(log.lines(), critical);
    }
    m_host->services().setAvailable(cHostServices::DevMgr, true);

    // The devices need no provider: they decode, post, write, stop and start as before.
    input("0201010000");
    input("0210110000");
    QCOMPARE(keyEvents().size(), 1);
    QVERIFY(cHost::microphone(m_device).setLightConfig(MicLight::Setting3));
    QVERIFY(m_host->exitApplication());
    QCOMPARE(written().mid(5), QStringList({"02 02 04 00 00", "02 80 00 00 00", "02 70 00 00 00"}));
    m_device->stop();
    m_device->start();
    m_clock->wait(1000);
    QCOMPARE(written().mid(8), setupReports);

    // A headset's transport goes unclaimed, unless the device manager missed the shutdown: then it
    // still holds the old provider, which still makes devices. A new initialisation claims a second
    // headset beside the first either way.
    m_bus->plug(TransportKind::Hid, 2);
    QCOMPARE(m_bus->device(*m_host, 2).isNull(), devMgrUp);
    m_bus->unplug(TransportKind::Hid, 2);
    QVERIFY2(m_host->loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(m_host->pluginError()));
    QVERIFY(plugHeadset(2));
    QCOMPARE(m_bus->device(*m_host, 1), m_device);
    m_bus->unplugAll();
    QCOMPARE(m_device->validate(), DeviceValidationResult::Invalid);
}

void tst_PluginFaults::audioDeviceManagerFailsOnDestroy()
{
    cAudioDeviceMgrService *audioDeviceMgr = m_host->services().audioDeviceMgr();
    const cAudioDevicePtr audio
        = qSharedPointerDynamicCast<IAudioDevice>(m_device->queryInterface(QStringLiteral("IAudioDevice")));
    QVERIFY(audio);
    m_device->start();
    input("0201000000");

    m_host->services().setAvailable(cHostServices::AudioDeviceMgr, false);
    {
        cCriticalLog log;
        QVERIFY(m_bus->unplug(TransportKind::Render));
        QCOMPARE(
            log.lines(),
            QStringList("Failed to call 'destroyAudioDevice' on service AudioDeviceManager.AudioDeviceMgr"));
    }
    // The device lets go of its audio device all the same; the host, never told, still holds it.
    QVERIFY(!m_device->queryInterface(QStringLiteral("IAudioDevice")));
    QCOMPARE(audioDeviceMgr->getDevices(), cAudioDeviceList({audio}));
    // Volume and Dolby reports find no audio device and step nothing.
    input("0100010000");
    input("0201010000");
    QVERIFY(cAudioDeviceMgrService::hostDevice(audio)->modelCalls().isEmpty());

    m_host->services().setAvailable(cHostServices::AudioDeviceMgr, true);
    m_bus->plug(TransportKind::Render);
    const cAudioDevicePtr again
        = qSharedPointerDynamicCast<IAudioDevice>(m_device->queryInterface(QStringLiteral("IAudioDevice")));
    QVERIFY(again && again != audio);
    input("0100010000");
    QCOMPARE(cAudioDeviceMgrService::hostDevice(again)->modelCalls(), QStringList("incVolume()"));
}

int main(int argc, char **argv)
{
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_PluginFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_faults.moc"
