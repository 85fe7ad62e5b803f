// The plugin shut down under its devices, on virtual time: nothing may crash or be corrupted; run
// it under the sanitizers. A transport that completes every write twice and the audio device
// manager failing to destroy an audio device are golden scenarios'; a device destroyed while the
// exit is delivered to it is one of the service manager's delivery rows in tests/nexaro.
#include "cClock.h"
#include "cHeadsetFixture.h"
#include "cHost.h"
#include "cServiceRecorder.h"
#include "cSimBus.h"
#include "cVirtualEventDispatcher.h"

#include <QtTest>

class tst_PluginFaults : public QObject, private cHeadsetFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void shutdownWhileDevicesExist_data()
    {
        QTest::addColumn<bool>("devMgrUp");
        QTest::addColumn<QStringList>("critical");
        QTest::newRow("device manager up") << true << QStringList();
        QTest::newRow("device manager down")
            << false << QStringList("Failed to call 'unregisterDeviceProvider' on service DevMgr.DevMgrLow");
    }

    void shutdownWhileDevicesExist()
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
};

int main(int argc, char **argv)
{
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_PluginFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_faults.moc"
