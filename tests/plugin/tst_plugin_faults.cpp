// Faults of the host around the plugin, on virtual time: a transport that completes every write
// twice, the headset taken down while the exit is delivered, the plugin shut down under its
// devices and the audio device manager failing to destroy an audio device. None may crash or
// corrupt anything; run them under the sanitizers. How the service manager copes with receivers
// that go away during a delivery is tests/nexaro's.
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

// A host component that takes the headset off the bus as the application exits.
class cClosingListener : public QObject
{
    Q_OBJECT
public:
    explicit cClosingListener(cSimBus *bus)
        : m_bus(bus)
    {
        IServiceMgr::instance()->subscribeEvents(QStringLiteral("MainApp_Events"), this,
                                                 QStringLiteral("on"));
    }
    ~cClosingListener() override
    {
        IServiceMgr::instance()->unsubscribeEvents(QStringLiteral("MainApp_Events"), this);
    }

    Q_INVOKABLE void onExitApplication()
    {
        ++m_calls;
        m_bus->unplugAll();
    }

    cSimBus *m_bus;
    int m_calls = 0;
};

} // namespace

class tst_PluginFaults : public QObject, private cHeadsetFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void transportCompletesTwice();
    void deviceDestroyedWhileExitIsDelivered();
    void shutdownWhileDevicesExist_data();
    void shutdownWhileDevicesExist();
    void audioDeviceManagerFailsOnDestroy();
};

void tst_PluginFaults::transportCompletesTwice()
{
    // Every completion brings a shot of its own (the setup's pace is a golden scenario's); once
    // the queue is empty the spare shots find nothing to write.
    m_hid->setCompletionMode(cSimHidTransport::CompleteTwice);
    m_device->start();
    m_clock->wait(1000);
    input("0201000000");
    QVERIFY(cHost::microphone(m_device).setNotificationConfig(MicMuteNotification::Setting2));
    m_clock->wait(1000);
    QCOMPARE(written().mid(5), QStringList("02 04 02 00 00"));
}

void tst_PluginFaults::deviceDestroyedWhileExitIsDelivered()
{
    // The host takes its headset down as the application exits, from a handler that the event
    // reaches before the device: the device is gone by its turn and is not called.
    m_device.reset();
    m_bus->unplugAll();
    cClosingListener closing(m_bus);
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
    QCOMPARE(m_host->profilerEvents()->events().size(), 1);
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
}

void tst_PluginFaults::audioDeviceManagerFailsOnDestroy()
{
    // The failure, the volume step that goes nowhere and the new audio device once the service is
    // back are a golden scenario's; the Dolby switch must not reach the lost audio device either.
    const cAudioDevicePtr audio
        = qSharedPointerDynamicCast<IAudioDevice>(m_device->queryInterface(QStringLiteral("IAudioDevice")));
    m_device->start();
    input("0201000000");
    m_host->services().setAvailable(cHostServices::AudioDeviceMgr, false);
    QTest::ignoreMessage(QtCriticalMsg,
                         "Failed to call 'destroyAudioDevice' on service AudioDeviceManager.AudioDeviceMgr");
    QVERIFY(m_bus->unplug(TransportKind::Render));
    QVERIFY(!m_device->queryInterface(QStringLiteral("IAudioDevice")));
    input("0100010000");
    input("0201010000");
    QVERIFY(cAudioDeviceMgrService::hostDevice(audio)->modelCalls().isEmpty());
}

int main(int argc, char **argv)
{
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_PluginFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_faults.moc"
