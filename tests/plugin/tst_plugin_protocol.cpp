// The headset's protocol through the plugin's own interfaces, on virtual time: what the emulator's
// golden scenarios cannot reach (empty reads, a repeated setting, a detached HID transport, a
// device or its HID transport gone with work pending) and a use checked at the service manager.
// The setup pacing, the settings queue, the decoding of every report, the microphone's refusals
// and the exit are pinned, with their times, by tests/emulator/golden.
#include "IAbstractDevice.h"
#include "cAudioDeviceMgrService.h"
#include "cClock.h"
#include "cHeadsetFixture.h"
#include "cHost.h"
#include "cServiceRecorder.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cVirtualEventDispatcher.h"

#include <QtTest>

class tst_PluginProtocol : public QObject, private cHeadsetFixture
{
    Q_OBJECT
private:
    cMicrophoneClient microphone() const { return cHost::microphone(m_device); }

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void otherReportsAreDropped()
    {
        QSignalSpy modelCalls(m_host->services().audioDeviceMgr(), &cAudioDeviceMgrService::modelCalled);
        m_device->start();
        input("0301010000"); // no report of the headset has id 3
        emit m_hid->readyRead(); // nothing waiting: an empty read
        QCOMPARE(modelCalls.count(), 0);
        // Neither was an answer: a setting still waits behind the setup.
        QVERIFY(microphone().setLightConfig(MicLight::Setting2));
        QCOMPARE(written(), QStringList(setupReports.first()));
    }

    void repeatedSettingIsWrittenAgain()
    {
        m_device->start();
        input("0201000000");
        QVERIFY(microphone().setLightConfig(MicLight::Setting2));
        QVERIFY(microphone().setLightConfig(MicLight::Setting2));
        QCOMPARE(written().mid(1), QStringList({"02 02 02 00 00", "02 02 02 00 00"}));
    }

    void detachedHidTransportReachesNothing()
    {
        // Detached with a write timer pending and a setting queued: nothing more is written.
        m_device->start();
        QVERIFY(microphone().setLightConfig(MicLight::Setting3));
        m_clock->wait(50);
        m_device->removeTransport(m_hid);
        m_clock->wait(1000);
        QCOMPARE(written(), QStringList(setupReports.first()));

        // A key press and a completion on the detached transport reach neither decoder nor queue; a
        // setting has no transport to go to, and is taken all the same.
        input("0210110000");
        emit m_hid->writeComplete(-1);
        QVERIFY(microphone().setLightConfig(MicLight::Setting2));
        m_clock->wait(1000);
        QVERIFY(m_host->profilerEvents()->events().isEmpty());
        QCOMPARE(written(), QStringList(setupReports.first()));
        QCOMPARE(m_hid->pendingInput(), 1);

        // Attached again, it is heard once per report: the old connections are gone.
        QVERIFY(m_device->addTransport(m_hid));
        input("0210000000");
        QCOMPARE(m_hid->pendingInput(), 1);
    }

    void deviceGoneWithShotPendingAndModelKept()
    {
        const cMicrophoneClient model = microphone();
        const QPointer<QObject> deviceObject = m_device.data();
        m_device->start();
        m_clock->wait(50); // a shot is pending for the first setup report
        m_device.reset();
        m_bus->unplugAll();
        QVERIFY(deviceObject.isNull());
        m_clock->wait(1000);
        QCOMPARE(written(), QStringList(setupReports.first()));

        // The host kept the model: it answers, but with nothing.
        bool invoked = false;
        QVERIFY(!model.setLightConfig(MicLight::Setting2, &invoked));
        QVERIFY(invoked);
        QCOMPARE(int(model.getLightConfig()), 0);
    }

    void stopEmptiesBothQueues()
    {
        // A setting made before the headset answered must not follow the next start's setup.
        m_device->start();
        QVERIFY(microphone().setLightConfig(MicLight::Setting2));
        m_device->stop();
        m_device->start();
        m_clock->wait(1000);
        QCOMPARE(written(), QStringList(setupReports.first()) + setupReports);
    }

    void serviceTraffic()
    {
        // While it runs the device posts its key events and calls no service; it calls one, by the
        // audio device's pointer, when it loses an audio endpoint.
        cServiceRecorder recorder;
        m_device->start();
        m_clock->wait(500);
        input("0201010000");
        input("0210110000");
        input("0210000000");
        input("0100010000");
        QVERIFY(microphone().setLightConfig(MicLight::Setting3));
        QVERIFY(m_host->exitApplication());
        m_clock->wait(500);
        m_bus->unplugAll();

        QCOMPARE(recorder.posts(),
                 QStringList({"Profiler_Events GKeyPressed", "Profiler_Events GKeyReleased",
                              "MainApp_Events ExitApplication"}));
        QCOMPARE(recorder.callSignatures(), QStringList({"destroyAudioDevice(cAudioDevicePtr)"}));
    }
};

int main(int argc, char **argv)
{
    // Installed before the application exists, so that every timer of the test runs on it.
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_PluginProtocol test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_protocol.moc"
