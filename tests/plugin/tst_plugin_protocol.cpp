// The headset's protocol through the plugin's own interfaces, on virtual time: what the emulator's
// golden scenarios cannot reach (empty reads, the model through calls by name, a device or its HID
// transport gone with work pending) and one whole use checked at the service manager. The setup
// pacing, the settings queue, the decoding of every report and the exit are pinned, with their
// times, by tests/emulator/golden.
#include "IAbstractDevice.h"
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
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void otherReportsAreDropped();
    void microphoneModelRefusesAndReports();
    void deviceGoneWithShotPendingAndModelKept();
    void hidRemovedWithReportsQueued();
    void stopEmptiesBothQueues();
    void wholeUse();

private:
    cMicrophoneClient microphone() const { return cHost::microphone(m_device); }
};

void tst_PluginProtocol::otherReportsAreDropped()
{
    m_device->start();
    input("02011100"); // four bytes
    input("020111000000"); // six bytes
    input("0301010000");
    input("01000100");
    emit m_hid->readyRead(); // nothing waiting: an empty read
    QVERIFY(modelCalls().isEmpty());
    // None of them was an answer: a setting still waits behind the setup.
    QVERIFY(microphone().setLightConfig(MicLight::Setting2));
    QCOMPARE(written(), QStringList(setupReports.first()));
}

void tst_PluginProtocol::microphoneModelRefusesAndReports()
{
    const cMicrophoneClient model = microphone();
    bool invoked = false;
    QCOMPARE(int(model.getCaps(&invoked)), 3);
    QVERIFY(invoked);
    QVERIFY(!model.isMuted());
    // Before the headset reports anything the settings read as an all-clear status byte sets them.
    QCOMPARE(model.getLightConfig(), MicLight::Setting1);
    QCOMPARE(model.getNotificationConfig(), MicMuteNotification::Setting1);

    m_device->start();
    input("0201000000");
    QVERIFY(!model.setLightConfig(MicLight::MicLight_t(0), &invoked));
    QVERIFY(invoked);
    QVERIFY(!model.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(0)));
    QVERIFY(!model.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(3)));
    // A light setting past the enumerators, as a host may send any 32-bit value.
    QVERIFY(!model.setLightConfig(MicLight::MicLight_t(4)));
    QVERIFY(!model.setNotificationConfig(MicMuteNotification::MicMuteNotification_t(-1)));
    QCOMPARE(written(), QStringList(setupReports.first()));
    QCOMPARE(model.getLightConfig(), MicLight::Setting1);

    // Setting the same value again writes again.
    QVERIFY(model.setLightConfig(MicLight::Setting2));
    QVERIFY(model.setLightConfig(MicLight::Setting2));
    QCOMPARE(written().mid(1), QStringList({"02 02 02 00 00", "02 02 02 00 00"}));
    input("0201020000");
    QCOMPARE(model.getLightConfig(), MicLight::Setting2);
    QCOMPARE(int(model.getCaps()), 3);
    QVERIFY(!model.isMuted());
}

void tst_PluginProtocol::deviceGoneWithShotPendingAndModelKept()
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
    QCOMPARE(int(model.getNotificationConfig()), 0);
    QVERIFY(!model.setNotificationConfig(MicMuteNotification::Setting1));
}

void tst_PluginProtocol::hidRemovedWithReportsQueued()
{
    m_device->start();
    QVERIFY(microphone().setLightConfig(MicLight::Setting3));
    m_clock->wait(50);
    m_device->removeTransport(m_hid);
    m_clock->wait(1000);
    QCOMPARE(written(), QStringList(setupReports.first()));
    // Settings and exit have no transport to go to.
    QVERIFY(microphone().setLightConfig(MicLight::Setting2));
    m_host->exitApplication();
    QCOMPARE(written(), QStringList(setupReports.first()));
}

void tst_PluginProtocol::stopEmptiesBothQueues()
{
    // A setting made before the headset answered must not follow the next start's setup.
    m_device->start();
    QVERIFY(microphone().setLightConfig(MicLight::Setting2));
    m_device->stop();
    m_device->start();
    m_clock->wait(1000);
    QCOMPARE(written(), QStringList(setupReports.first()) + setupReports);
}

void tst_PluginProtocol::wholeUse()
{
    cServiceRecorder recorder;
    m_device->start();
    m_clock->wait(500);
    input("0201000000"); // the headset answers: all settings clear
    input("0201010000"); // Dolby switched on
    input("0210110000"); // key 1 down
    input("0210000000"); // key 1 up
    input("0210000033"); // key 3 down
    input("0210000000"); // key 3 up
    input("0100010000"); // volume up
    input("0100020000"); // volume down
    QVERIFY(microphone().setLightConfig(MicLight::Setting3));
    QVERIFY(microphone().setNotificationConfig(MicMuteNotification::Setting2));
    QVERIFY(m_host->exitApplication());
    m_clock->wait(500);
    const QStringList audioCalls = modelCalls();
    m_bus->unplugAll();

    QCOMPARE(written(),
             setupReports
                 + QStringList({"02 02 04 00 00", "02 04 02 00 00", "02 80 00 00 00", "02 70 00 00 00"}));
    QCOMPARE(audioCalls, QStringList({"enableDolby(true)", "incVolume()", "decVolume()"}));
    QCOMPARE(keyEvents(),
             QStringList({"pressed 1 Q71 Headset", "released 1 Q71 Headset", "pressed 3 Q71 Headset",
                          "released 3 Q71 Headset"}));
    QCOMPARE(recorder.posts(),
             QStringList({"Profiler_Events GKeyPressed", "Profiler_Events GKeyReleased",
                          "Profiler_Events GKeyPressed", "Profiler_Events GKeyReleased",
                          "MainApp_Events ExitApplication"}));
    QCOMPARE(recorder.callSignatures(), QStringList({"destroyAudioDevice(cAudioDevicePtr)"}));
}

int main(int argc, char **argv)
{
    // Installed before the application exists, so that every timer of the test runs on it.
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_PluginProtocol test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_protocol.moc"
