// The headset's protocol on the wire, on virtual time: the setup and its pacing, the settings
// queue, input decoding into volume, Dolby, microphone settings and key events, and the exit.
#include "IAudioDevice.h"
#include "cAudioDeviceMgrService.h"
#include "cClock.h"
#include "cHeadsetFixture.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cServiceRecorder.h"
#include "cSimHidTransport.h"
#include "cVirtualEventDispatcher.h"

#include <QtTest>

class tst_PluginProtocol : public QObject, private cHeadsetFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void setupIsPacedOnCompletions();
    void settingsWaitForTheAnswer();
    void settingAfterTheAnswerIsWrittenAtOnce();
    void withoutCompletionsNothingFollows();
    void newSetupOnlyOnceAnswered();
    void statusReports_data();
    void statusReports();
    void keyReports();
    void volumeReports_data();
    void volumeReports();
    void otherReportsAreDropped();
    void exitWritesAheadOfTheQueues();
    void microphoneModelRefusesAndReports();
    void deviceGoneWithShotPendingAndModelKept();
    void hidRemovedWithReportsQueued();
    void wholeUse();

private:
    cMicrophoneClient microphone() const { return cHost::microphone(m_device); }
};

void tst_PluginProtocol::setupIsPacedOnCompletions()
{
    m_device->start();
    QCOMPARE(written(), QStringList(setupReports.first()));
    m_clock->wait(2000);
    QCOMPARE(written(), setupReports);
    // Completions come 1 ms after each write, and each queued report 100 ms after a completion.
    QCOMPARE(writeTimes(), QList<qint64>({0, 101, 202, 303, 404}));
}

void tst_PluginProtocol::settingsWaitForTheAnswer()
{
    m_device->start();
    QVERIFY(microphone().setLightConfig(MicLight::Setting3));
    QVERIFY(microphone().setNotificationConfig(MicMuteNotification::Setting2));
    QVERIFY(microphone().setLightConfig(MicLight::Setting1));
    // The model answers with what was set even while the reports wait.
    QCOMPARE(microphone().getLightConfig(), MicLight::Setting1);
    QCOMPARE(microphone().getNotificationConfig(), MicMuteNotification::Setting2);
    QCOMPARE(written(), QStringList(setupReports.first()));

    m_clock->wait(2000);
    QCOMPARE(written(), setupReports + QStringList({"02 02 04 00 00", "02 04 02 00 00", "02 02 01 00 00"}));
    QCOMPARE(writeTimes(), QList<qint64>({0, 101, 202, 303, 404, 505, 606, 707}));
}

void tst_PluginProtocol::settingAfterTheAnswerIsWrittenAtOnce()
{
    m_device->start();
    m_clock->wait(150);
    // Any five-byte report with id 2 is an answer, whatever its sub-id.
    input("0220000000");
    QVERIFY(microphone().setNotificationConfig(MicMuteNotification::Setting1));
    QCOMPARE(written().last(), QStringLiteral("02 04 01 00 00"));
    QCOMPARE(writeTimes().last(), 150);

    // Its completion brings a shot of its own: two shots write the next two setup reports.
    m_clock->wait(2000);
    QCOMPARE(written(),
             QStringList({setupReports[0], setupReports[1], "02 04 01 00 00", setupReports[2],
                          setupReports[3], setupReports[4]}));
    QCOMPARE(writeTimes(), QList<qint64>({0, 101, 150, 202, 251, 303}));
}

void tst_PluginProtocol::withoutCompletionsNothingFollows()
{
    m_hid->setCompletionMode(cSimHidTransport::CompleteNever);
    m_device->start();
    m_clock->wait(5000);
    QCOMPARE(written(), QStringList(setupReports.first()));

    // A completion with a cookie the device never used drains like any other.
    emit m_hid->writeComplete(7);
    m_clock->wait(100);
    QCOMPARE(written(), QStringList({setupReports[0], setupReports[1]}));
}

void tst_PluginProtocol::newSetupOnlyOnceAnswered()
{
    m_device->start();
    input("0101000000"); // the headset asks for a setup while one waits for its answer
    m_clock->wait(2000);
    QCOMPARE(written(), setupReports);

    input("0201000000");
    input("0101000000");
    m_clock->wait(2000);
    QCOMPARE(written(), setupReports + setupReports);
    input("0101000000"); // the new setup waits for an answer again
    m_clock->wait(2000);
    QCOMPARE(written().size(), 10);
}

void tst_PluginProtocol::statusReports_data()
{
    QTest::addColumn<QStringList>("statusBytes"); // byte 2 of successive status reports
    QTest::addColumn<QStringList>("dolby");
    QTest::addColumn<int>("light");
    QTest::addColumn<int>("notification");

    // The model starts at light 3, notification 2 through its setters, so that "unchanged" shows.
    QTest::newRow("first status all clear changes nothing") << QStringList {"00"} << QStringList() << 3 << 2;
    QTest::newRow("Dolby on, settings from the byte")
        << QStringList {"01"} << QStringList {"enableDolby(true)"} << 1 << 1;
    QTest::newRow("light 2") << QStringList {"02"} << QStringList() << 2 << 1;
    QTest::newRow("light 2 wins over 3") << QStringList {"06"} << QStringList() << 2 << 1;
    QTest::newRow("light 3") << QStringList {"04"} << QStringList() << 3 << 1;
    QTest::newRow("notification 2") << QStringList {"08"} << QStringList() << 1 << 2;
    QTest::newRow("Dolby off on its edge")
        << QStringList {"09", "08"} << QStringList {"enableDolby(true)", "enableDolby(false)"} << 1 << 2;
    QTest::newRow("repeated status ignored")
        << QStringList {"01", "01"} << QStringList {"enableDolby(true)"} << 1 << 1;
    QTest::newRow("settings change without Dolby edge")
        << QStringList {"01", "03"} << QStringList {"enableDolby(true)"} << 2 << 1;
    QTest::newRow("repeat keeps a setter's value") << QStringList {"02", "02"} << QStringList() << 2 << 1;
}

void tst_PluginProtocol::statusReports()
{
    QFETCH(QStringList, statusBytes);
    QFETCH(QStringList, dolby);
    QFETCH(int, light);
    QFETCH(int, notification);

    m_device->start();
    QVERIFY(microphone().setLightConfig(MicLight::Setting3));
    QVERIFY(microphone().setNotificationConfig(MicMuteNotification::Setting2));
    for (const QString &status : statusBytes)
        input(QByteArray("0201" + status.toLatin1() + "0000").constData());
    QCOMPARE(modelCalls(), dolby);
    QCOMPARE(int(microphone().getLightConfig()), light);
    QCOMPARE(int(microphone().getNotificationConfig()), notification);
}

void tst_PluginProtocol::keyReports()
{
    m_device->start();
    input("0210112200");
    input("0210002233");
    input("0210050000"); // 0x05 is no key's code: neither a press nor a release
    input("0210000000");
    input("0210001100"); // key 1's code in key 2's byte means nothing
    QCOMPARE(keyEvents(),
             QStringList({"pressed 1 Q71 Headset", "pressed 2 Q71 Headset", "released 1 Q71 Headset",
                          "pressed 3 Q71 Headset", "released 2 Q71 Headset", "released 3 Q71 Headset"}));

    // A new setup forgets the keys: a key still reported down after it is pressed anew.
    input("0210110000");
    input("0101000000");
    input("0210110000");
    QCOMPARE(keyEvents().mid(6), QStringList({"pressed 1 Q71 Headset", "pressed 1 Q71 Headset"}));
}

void tst_PluginProtocol::volumeReports_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("newSetup");
    QTest::newRow("up") << QByteArray("0100010000") << QStringList {"incVolume()"} << false;
    QTest::newRow("down") << QByteArray("0100020000") << QStringList {"decVolume()"} << false;
    QTest::newRow("up wins over down") << QByteArray("0100030000") << QStringList {"incVolume()"} << false;
    QTest::newRow("a step wins over a setup")
        << QByteArray("01ff010000") << QStringList {"incVolume()"} << false;
    QTest::newRow("setup request") << QByteArray("0101000000") << QStringList() << true;
    QTest::newRow("unused bits") << QByteArray("0100fcffff") << QStringList() << false;
}

void tst_PluginProtocol::volumeReports()
{
    QFETCH(QByteArray, report);
    QFETCH(QStringList, calls);
    QFETCH(bool, newSetup);

    m_device->start();
    input("0201000000");
    input(report.constData());
    QCOMPARE(modelCalls(), calls);
    QCOMPARE(written().size(), newSetup ? 2 : 1);
}

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

void tst_PluginProtocol::exitWritesAheadOfTheQueues()
{
    m_device->start();
    QVERIFY(m_host->exitApplication());
    QCOMPARE(written(), QStringList({setupReports[0], "02 80 00 00 00", "02 70 00 00 00"}));

    // Three completions, three shots: the queue drains three reports at once, then the fourth.
    m_clock->wait(2000);
    QCOMPARE(written().mid(3), setupReports.mid(1));
    QCOMPARE(writeTimes(), QList<qint64>({0, 0, 0, 101, 101, 101, 202}));

    QVERIFY(m_host->exitApplication());
    QCOMPARE(written().mid(7), QStringList({"02 80 00 00 00", "02 70 00 00 00"}));
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
    m_host->unplugAll();
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
    m_host->unplugAll();

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
