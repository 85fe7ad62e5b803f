// The headset device as a host builds it from transports, where the golden scenarios cannot look:
// transports that only pretend to be the headset's, removal by uid, who owns what, and what the
// device answers when asked for its interfaces. What validate() says and when the audio device
// comes and goes as transports come and go, the golden traces show (unplug_orders,
// fault_service_audio).
#include "IAbstractDeviceProvider.h"
#include "IAudioDevice.h"
#include "IMicrophoneModel.h"
#include "IProfilerDevice.h"
#include "cAudioDeviceMgrService.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cTransportFactory.h"

#include <QtTest>

#include <utility>

using TransportKind::Capture;
using TransportKind::Hid;
using TransportKind::Render;

class tst_PluginDevice : public QObject
{
    Q_OBJECT
private:
    cAbstractDevicePtr createDevice(TransportKind::TransportKind_t kind, int unit = 1)
    {
        return m_host->provider()->createDevice(cTransportFactory::headset(kind, unit));
    }

    cHost *m_host = nullptr;

private slots:
    void init()
    {
        m_host = new cHost;
        QVERIFY2(m_host->loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(m_host->pluginError()));
    }

    void cleanup() { delete std::exchange(m_host, nullptr); }

    void transportsThatAreNotTheHeadsetsMakeNoDevice()
    {
        const cAbstractDeviceProviderPtr provider = m_host->provider();
        // A plain transport that reports the headset's HID probe is still no HID transport.
        QVERIFY(!provider->createDevice(cTransportFactory::headset(TransportKind::Other)));
        // A HID transport whose information matches only the render probe is neither.
        QVERIFY(
            !provider->createDevice(cTransportFactory::create(Hid, cTransportFactory::headsetInfo(Render))));
        QVERIFY(!provider->createDevice(cAbstractTransportPtr()));
        QVERIFY(!createDevice(Render)->addTransport(cTransportFactory::headset(TransportKind::Other)));
    }

    void removalGoesByUid()
    {
        const cAbstractDevicePtr device = createDevice(Hid);
        QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
        QVERIFY(device->addTransport(cTransportFactory::headset(Capture)));

        // Another object carrying the render transport's uid detaches it; a foreign uid detaches none.
        device->removeTransport(cTransportFactory::foreign(Render));
        QCOMPARE(device->validate(), DeviceValidationResult::Complete);
        device->removeTransport(cTransportFactory::headset(Render));
        QCOMPARE(device->validate(), DeviceValidationResult::Incomplete);
        // The HID transport too: only a device that let it go takes a HID transport again.
        device->removeTransport(cTransportFactory::headset(Hid));
        QVERIFY(device->addTransport(cTransportFactory::headset(Hid)));
    }

    void lastHostPointerDestroysTheDevice()
    {
        QWeakPointer<IAbstractTransport> hidLeft;
        QWeakPointer<IAbstractDevice> audioDeviceBackRef;
        QPointer<QObject> deviceObject;
        QWeakPointer<IAudioDevice> audioLeft;
        {
            const cAbstractTransportPtr hid = cTransportFactory::headset(Hid);
            hidLeft = hid;
            cAbstractDevicePtr device = m_host->provider()->createDevice(hid);
            deviceObject = device.data();
            QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
            QVERIFY(device->addTransport(cTransportFactory::headset(Capture)));
            const QSharedPointer<cHostAudioDevice> audio = cAudioDeviceMgrService::hostDevice(
                qSharedPointerDynamicCast<IAudioDevice>(device->queryInterface("IAudioDevice")));
            audioDeviceBackRef = audio->device();
            audioLeft = audio;
            // The audio device refers back to its device only weakly.
            QCOMPARE(audioDeviceBackRef.toStrongRef(), device);
        }
        QVERIFY2(deviceObject.isNull(), "the device outlived its last owner");
        QVERIFY(audioDeviceBackRef.toStrongRef().isNull());
        QVERIFY2(hidLeft.toStrongRef().isNull(), "a copy of the transport was kept past the device");
        // The audio manager still holds the audio device it made: it is the host's to destroy.
        QVERIFY(!audioLeft.toStrongRef().isNull());
    }

    // The display name, the profiler category and a device made without the profiler service are
    // the golden scenarios' (unplug_orders, demo, fault_service_profiler).
    void identityAndInterfaces()
    {
        const cAbstractDevicePtr device = createDevice(Hid);
        QCOMPARE(device->objectName(), QStringLiteral("Q71Device"));
        // The host names the device; until then it has no uid.
        QCOMPARE(device->id(), QString());
        QVERIFY(!device->deviceInfo().contains("uid"));

        const cObjectPtr microphone = device->queryInterface("IMicrophoneModel");
        QVERIFY(qSharedPointerDynamicCast<IMicrophoneModel>(microphone));
        QCOMPARE(device->queryInterface(QStringLiteral("IMicrophoneModel")), microphone);
        QVERIFY(!device->queryInterface("imicrophonemodel"));
        QVERIFY(!device->queryInterface("IVolumeModel"));
        QVERIFY(qSharedPointerDynamicCast<IProfilerDevice>(device->queryInterface("IProfilerDevice")));
    }

    void startOnAnIncompleteDevice()
    {
        // The host starts complete devices only; a device started all the same starts what it has,
        // and has no HID transport to write its setup to.
        const cAbstractTransportPtr render = cTransportFactory::headset(Render);
        const cAbstractDevicePtr device = m_host->provider()->createDevice(render);
        device->start();
        QVERIFY(render->started());
        device->stop();
        QVERIFY(!render->started());
    }
};

QTEST_GUILESS_MAIN(tst_PluginDevice)

#include "tst_plugin_device.moc"
