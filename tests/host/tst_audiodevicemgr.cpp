#include "IAudioCaptureTransport.h"
#include "IAudioDevice.h"
#include "IAudioRenderTransport.h"
#include "IDolbyModel.h"
#include "IServiceMgr.h"
#include "IVolumeModel.h"
#include "cAudioDeviceMgrService.h"
#include "cFakeDevice.h"
#include "cHost.h"
#include "cTransportFactory.h"

#include <QtTest>

// The plugin reaches the overloads by name, with the proxies' type tags; the tag alone decides
// which overload runs. How the headset's own audio device comes and goes is pinned by the golden
// scenarios; these are the lookups the plugin never makes.
class tst_AudioDeviceMgr : public QObject
{
    Q_OBJECT
private:
    template<class... Arguments> static bool call(const char *method, Arguments... arguments)
    {
        return IServiceMgr::instance()->callService(QStringLiteral("AudioDeviceManager.AudioDeviceMgr"),
                                                    QLatin1String(method), arguments...);
    }
    // The headset's own audio transports, enough for the manager to make an audio device of.
    static cAudioRenderTransportPtr render()
    {
        return qSharedPointerDynamicCast<IAudioRenderTransport>(
            cTransportFactory::headset(TransportKind::Render));
    }
    static cAudioCaptureTransportPtr capture()
    {
        return qSharedPointerDynamicCast<IAudioCaptureTransport>(
            cTransportFactory::headset(TransportKind::Capture));
    }

private slots:
    void overloadsAreToldApartByTheirTag()
    {
        cHost host;
        cAudioDeviceMgrService *manager = host.services().audioDeviceMgr();
        cAudioDevicePtr active;
        QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active)));
        QVERIFY(!active);

        cJsonValue info;
        info["audio_device_name"] = cJsonValue("Q71 Gaming Headset (Audio)");
        const cAbstractDevicePtr device(new cFakeDevice(QString(), info));
        QVERIFY(!manager->createAudioDevice(device, render(), cAudioCaptureTransportPtr()));
        cAudioDevicePtr first = manager->createAudioDevice(device, render(), capture());
        const cAudioDevicePtr second = manager->createAudioDevice(device, render(), capture());
        const cAudioDevicePtr third = manager->createAudioDevice(device, render(), capture());
        QCOMPARE(third->deviceName(), QStringLiteral("Q71 Gaming Headset (Audio)"));
        QCOMPARE(third->deviceModel(), QStringLiteral("Fake"));
        QCOMPARE(manager->getDevices(), cAudioDeviceList({first, second, third}));
        QCOMPARE(manager->getDevice(second->deviceUid()), second);

        QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active)));
        QCOMPARE(active, third);
        const QString otherModel = "Q70";
        QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active),
                     QGenericArgument("const QString", &otherModel)));
        QVERIFY(!active);

        const QString secondUid = second->deviceUid();
        QVERIFY(call("destroyAudioDevice", QGenericArgument("const QString", &secondUid)));
        QCOMPARE(manager->getDevices(), cAudioDeviceList({first, third}));
        QVERIFY(call("destroyAudioDevice", QGenericArgument("cAudioDevicePtr", &first)));
        QCOMPARE(manager->getDevices(), cAudioDeviceList({third}));
    }

    // The desktop moves the sound server's volume and runs the Dolby commands on these signals alone:
    // a gain step or another Dolby switch taken for one would move the volume or run a command.
    void controlsAreToldFromOtherCalls()
    {
        cHost host;
        cAudioDeviceMgrService *manager = host.services().audioDeviceMgr();
        const cAbstractDevicePtr device(new cFakeDevice(QString(), cJsonValue()));
        const cAudioDevicePtr audio = manager->createAudioDevice(device, render(), capture());
        QVERIFY(audio);
        QSignalSpy steps(manager, &cAudioDeviceMgrService::volumeStepped);
        QSignalSpy switches(manager, &cAudioDeviceMgrService::dolbySwitched);
        QSignalSpy calls(manager, &cAudioDeviceMgrService::modelCalled);

        const cVolumeModelPtr volume = audio->getVolumeModel();
        const cDolbyModelPtr dolby = audio->getDolbyModel();
        volume->incMicGain();
        volume->decVolume();
        volume->incVolume();
        dolby->enableDPL2(true);
        dolby->enableDolby(false);
        QCOMPARE(calls.count(), 5);
        QCOMPARE(steps.count(), 2);
        QCOMPARE(steps.at(0), (QVariantList {audio->deviceUid(), -1}));
        QCOMPARE(steps.at(1), (QVariantList {audio->deviceUid(), 1}));
        QCOMPARE(switches.count(), 1);
        QCOMPARE(switches.at(0), (QVariantList {audio->deviceUid(), false}));
    }
};

QTEST_GUILESS_MAIN(tst_AudioDeviceMgr)

#include "tst_audiodevicemgr.moc"
