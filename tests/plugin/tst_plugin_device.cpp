// The headset device as a host builds it from transports: which transports make one device, how
// complete it is, when its audio device exists, who owns what.
#include "IAbstractDeviceProvider.h"
#include "IAudioCaptureTransport.h"
#include "IAudioDevice.h"
#include "IMicrophoneModel.h"
#include "IProfilerDevice.h"
#include "NexaroHost.h"
#include "cAudioDeviceMgrService.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cProfilerEventReceiver.h"
#include "cServiceRecorder.h"
#include "cSimBus.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QtTest>

using TransportKind::Capture;
using TransportKind::Hid;
using TransportKind::Render;

namespace {

QSharedPointer<cHostAudioDevice> audioDeviceOf(const cAbstractDevicePtr &device)
{
    return cAudioDeviceMgrService::hostDevice(
        qSharedPointerDynamicCast<IAudioDevice>(device->queryInterface(QStringLiteral("IAudioDevice"))));
}

TransportKind::TransportKind_t kindNamed(const QString &name)
{
    return name == QLatin1String("hid") ? Hid : name == QLatin1String("render") ? Render : Capture;
}

} // namespace

class tst_PluginDevice : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void plugOrdersMakeOneCompleteDevice_data();
    void plugOrdersMakeOneCompleteDevice();
    void transportsOfOtherProductsMakeNoDevice();
    void secondTransportOfAKindIsRefused();
    void validate_data();
    void validate();
    void audioDeviceFollowsTheAudioPair();
    void removalGoesByUid();
    void lastHostPointerDestroysTheDevice();
    void identityAndInterfaces();
    void detachedHidTransportReachesNothing();
    void startOnAnIncompleteDevice();

private:
    cAbstractDevicePtr plugHeadset(int unit = 1)
    {
        m_bus->plugHeadset(unit);
        return m_bus->device(*m_host, unit);
    }

    cHost *m_host = nullptr;
    cSimBus *m_bus = nullptr;
};

void tst_PluginDevice::init()
{
    m_bus = new cSimBus;
    m_host = new cHost;
    m_host->attachBus(m_bus);
    QVERIFY2(m_host->loadPlugin(QStringLiteral(Q71_TEST_PLUGIN_FILE)), qPrintable(m_host->pluginError()));
}

void tst_PluginDevice::cleanup()
{
    delete m_host;
    m_host = nullptr;
    delete m_bus;
    m_bus = nullptr;
    Nexaro::setLocaleOverride(QString());
}

void tst_PluginDevice::plugOrdersMakeOneCompleteDevice_data()
{
    QTest::addColumn<QStringList>("order");
    QTest::newRow("HID first") << QStringList({"hid", "render", "capture"});
    QTest::newRow("audio first") << QStringList({"render", "capture", "hid"});
    QTest::newRow("capture first") << QStringList({"capture", "hid", "render"});
    QTest::newRow("interleaved") << QStringList({"render", "hid", "capture"});
}

void tst_PluginDevice::plugOrdersMakeOneCompleteDevice()
{
    QFETCH(QStringList, order);
    QSignalSpy created(m_host->deviceManager(), &cDeviceManager::createDeviceCalled);
    QSignalSpy audioCreated(m_host->services().audioDeviceMgr(), &cAudioDeviceMgrService::audioDeviceCreated);

    for (const QString &kind : order)
        QVERIFY(m_bus->plug(kindNamed(kind)));

    QCOMPARE(m_host->deviceManager()->devices().size(), 1);
    const cAbstractDevicePtr device = m_bus->device(*m_host);
    QCOMPARE(device->validate(), DeviceValidationResult::Complete);
    QCOMPARE(created.size(), 1);
    QCOMPARE(created.constFirst().at(2).toBool(), true);
    QCOMPARE(audioCreated.size(), 1);
    QVERIFY(audioDeviceOf(device));

    // Unplugging in the same order leaves nothing behind.
    const QPointer<QObject> deviceObject = device.data();
    for (const QString &kind : order)
        QVERIFY(m_bus->unplug(kindNamed(kind)));
    QVERIFY(m_host->deviceManager()->devices().isEmpty());
    QVERIFY(!deviceObject.isNull()); // this test still holds it
}

void tst_PluginDevice::transportsOfOtherProductsMakeNoDevice()
{
    const cAbstractDeviceProviderPtr provider = m_host->provider();
    for (TransportKind::TransportKind_t kind : {Hid, Render, Capture})
        QVERIFY2(!provider->createDevice(cTransportFactory::foreign(kind)),
                 qPrintable(TransportKind::name(kind)));
    // A plain transport that reports the headset's HID probe is still no HID transport.
    QVERIFY(!provider->createDevice(cTransportFactory::headset(TransportKind::Other)));
    // A HID transport whose information matches only the render probe is neither.
    QVERIFY(!provider->createDevice(cTransportFactory::create(Hid, cTransportFactory::headsetInfo(Render))));
    QVERIFY(!provider->createDevice(cAbstractTransportPtr()));

    // Offering the same transport twice makes two devices: the provider keeps no record.
    const cAbstractTransportPtr hid = cTransportFactory::headset(Hid);
    const cAbstractDevicePtr first = provider->createDevice(hid);
    const cAbstractDevicePtr second = provider->createDevice(hid);
    QVERIFY(first && second && first != second);
    QCOMPARE(first->validate(), DeviceValidationResult::Incomplete);
}

void tst_PluginDevice::secondTransportOfAKindIsRefused()
{
    const cAbstractDevicePtr device = m_host->provider()->createDevice(cTransportFactory::headset(Hid, 1));
    QVERIFY(device);
    QVERIFY(!device->addTransport(cTransportFactory::headset(Hid, 2)));
    QVERIFY(device->addTransport(cTransportFactory::headset(Render, 1)));
    QVERIFY(!device->addTransport(cTransportFactory::headset(Render, 2)));
    QVERIFY(!device->addTransport(cTransportFactory::foreign(Capture)));
    QVERIFY(!device->addTransport(cTransportFactory::headset(TransportKind::Other)));
    QCOMPARE(device->validate(), DeviceValidationResult::Incomplete);

    // Through the host: the second unit's HID transport becomes a device of its own.
    plugHeadset(1);
    m_bus->plug(Hid, 2);
    QCOMPARE(m_host->deviceManager()->devices().size(), 2);
    QVERIFY(m_bus->device(*m_host, 1) != m_bus->device(*m_host, 2));
}

void tst_PluginDevice::validate_data()
{
    QTest::addColumn<bool>("hid");
    QTest::addColumn<bool>("render");
    QTest::addColumn<bool>("capture");
    QTest::addColumn<int>("expected");
    for (int mask = 0; mask < 8; ++mask) {
        const bool hid = mask & 1, render = mask & 2, capture = mask & 4;
        const int expected = mask == 7 ? DeviceValidationResult::Complete
            : mask == 0                ? DeviceValidationResult::Invalid
                                       : DeviceValidationResult::Incomplete;
        QTest::addRow("hid=%d render=%d capture=%d", hid, render, capture)
            << hid << render << capture << expected;
    }
}

void tst_PluginDevice::validate()
{
    QFETCH(bool, hid);
    QFETCH(bool, render);
    QFETCH(bool, capture);
    QFETCH(int, expected);

    // Built from a HID transport that is removed again when the row has none.
    const cAbstractTransportPtr first = cTransportFactory::headset(Hid);
    const cAbstractDevicePtr device = m_host->provider()->createDevice(first);
    if (render)
        QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
    if (capture)
        QVERIFY(device->addTransport(cTransportFactory::headset(Capture)));
    if (!hid)
        device->removeTransport(first);
    QCOMPARE(int(device->validate()), expected);
    QCOMPARE(!device->queryInterface(QStringLiteral("IAudioDevice")).isNull(), render && capture);
}

void tst_PluginDevice::audioDeviceFollowsTheAudioPair()
{
    QSignalSpy created(m_host->services().audioDeviceMgr(), &cAudioDeviceMgrService::audioDeviceCreated);
    QSignalSpy destroyed(m_host->services().audioDeviceMgr(), &cAudioDeviceMgrService::audioDeviceDestroyed);
    const cAbstractDevicePtr device = m_host->provider()->createDevice(cTransportFactory::headset(Hid));
    QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
    QVERIFY(!device->queryInterface(QStringLiteral("IAudioDevice")));

    // Created in the very call that completes the pair, from the two audio transports.
    const cAbstractTransportPtr capture = cTransportFactory::headset(Capture);
    QVERIFY(device->addTransport(capture));
    QCOMPARE(created.size(), 1);
    const QSharedPointer<cHostAudioDevice> audio = audioDeviceOf(device);
    QVERIFY(audio);
    QCOMPARE(static_cast<QObject *>(audio->captureTransport().data()),
             static_cast<QObject *>(capture.data()));
    QCOMPARE(audio->deviceName(), QStringLiteral("Velmoor Q71 Headset"));
    QCOMPARE(audio->device().toStrongRef(), device);

    device->removeTransport(capture);
    QCOMPARE(destroyed.size(), 1);
    QCOMPARE(destroyed.constFirst().constFirst().toString(), audio->deviceUid());
    QVERIFY(!device->queryInterface(QStringLiteral("IAudioDevice")));

    QVERIFY(device->addTransport(cTransportFactory::headset(Capture)));
    QCOMPARE(created.size(), 2);
    QVERIFY(audioDeviceOf(device) && audioDeviceOf(device) != audio);
}

void tst_PluginDevice::removalGoesByUid()
{
    const cAbstractDevicePtr device = m_host->provider()->createDevice(cTransportFactory::headset(Hid));
    QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
    QVERIFY(device->addTransport(cTransportFactory::headset(Capture)));

    // Another object carrying the render transport's uid detaches it; a foreign uid detaches none.
    device->removeTransport(cTransportFactory::foreign(Render));
    QCOMPARE(device->validate(), DeviceValidationResult::Complete);
    device->removeTransport(cTransportFactory::headset(Render));
    QCOMPARE(device->validate(), DeviceValidationResult::Incomplete);
    QVERIFY(!device->queryInterface(QStringLiteral("IAudioDevice")));
    QVERIFY(device->addTransport(cTransportFactory::headset(Render)));
    QCOMPARE(device->validate(), DeviceValidationResult::Complete);
    // The HID transport too: only a device that let it go takes a HID transport again.
    device->removeTransport(cTransportFactory::headset(Hid));
    QVERIFY(device->addTransport(cTransportFactory::headset(Hid)));
}

void tst_PluginDevice::lastHostPointerDestroysTheDevice()
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
        const QSharedPointer<cHostAudioDevice> audio = audioDeviceOf(device);
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

void tst_PluginDevice::identityAndInterfaces()
{
    const cAbstractDevicePtr device = plugHeadset();
    QCOMPARE(device->objectName(), QStringLiteral("Q71Device"));
    QCOMPARE(device->model(), QStringLiteral("Q71"));
    QCOMPARE(device->displayName(), QStringLiteral("Q71 Gaming Headset"));
    QCOMPARE(device->id(), QString());
    const cJsonValue &info = device->deviceInfo();
    QCOMPARE(info["profiler"]["category"].toString(), QStringLiteral("Headset"));
    QVERIFY(!info.contains(QStringLiteral("uid")));

    // The reference is the device's own value: later changes show through it.
    device->setId(QStringLiteral("headset-7"));
    QCOMPARE(device->id(), QStringLiteral("headset-7"));
    QCOMPARE(info["uid"].toString(), QStringLiteral("headset-7"));
    const cJsonValue before = info;
    device->writeProperty(cJsonValue("anything"));
    QCOMPARE(device->deviceInfo(), before);

    const cObjectPtr microphone = device->queryInterface(QStringLiteral("IMicrophoneModel"));
    QVERIFY(qSharedPointerDynamicCast<IMicrophoneModel>(microphone));
    QCOMPARE(device->queryInterface(QStringLiteral("IMicrophoneModel")), microphone);
    QVERIFY(!device->queryInterface(QStringLiteral("imicrophonemodel")));
    QVERIFY(!device->queryInterface(QStringLiteral("IVolumeModel")));
    const auto profilerDevice = qSharedPointerDynamicCast<IProfilerDevice>(
        device->queryInterface(QStringLiteral("IProfilerDevice")));
    QVERIFY(profilerDevice);
    QCOMPARE(profilerDevice->category(), QStringLiteral("Headset"));

    // Without the profiler service the device comes all the same, without a profiler device.
    m_host->services().setAvailable(cHostServices::Profiler, false);
    cCriticalLog log;
    const cAbstractDevicePtr lonely = m_host->provider()->createDevice(cTransportFactory::headset(Hid, 3));
    QVERIFY(lonely);
    QVERIFY(!lonely->queryInterface(QStringLiteral("IProfilerDevice")));
    QCOMPARE(
        log.lines(),
        QStringList(QStringLiteral("Failed to call 'createProfilerDevice' on service Profiler.Profiler")));
}

void tst_PluginDevice::detachedHidTransportReachesNothing()
{
    const cAbstractDevicePtr device = plugHeadset();
    const QSharedPointer<cSimHidTransport> oldHid = m_bus->hidTransport();
    device->start();
    device->removeTransport(oldHid);
    const int written = oldHid->writes().size();

    // A key press and a completion on the detached transport reach neither decoder nor queue.
    oldHid->feedInput(QByteArray::fromHex("0210110000"));
    emit oldHid->writeComplete(-1);
    QTest::qWait(250);
    QVERIFY(m_host->profilerEvents()->events().isEmpty());
    QCOMPARE(oldHid->writes().size(), written);
    QCOMPARE(oldHid->pendingInput(), 1);

    // Attached again, it is heard once per report: the old connections are gone.
    QVERIFY(device->addTransport(oldHid));
    oldHid->feedInput(QByteArray::fromHex("0210000000"));
    QCOMPARE(oldHid->pendingInput(), 1);
}

void tst_PluginDevice::startOnAnIncompleteDevice()
{
    const cAbstractTransportPtr render = cTransportFactory::headset(Render);
    const cAbstractDevicePtr device = m_host->provider()->createDevice(render);
    device->start();
    QVERIFY(render->started());
    device->stop();
    QVERIFY(!render->started());

    const cAbstractTransportPtr hid = cTransportFactory::headset(Hid);
    QVERIFY(device->addTransport(hid));
    device->start();
    QVERIFY(hid->started());
    QCOMPARE(qSharedPointerDynamicCast<cSimHidTransport>(hid)->writes().size(), 1);
    device->stop();
}

QTEST_GUILESS_MAIN(tst_PluginDevice)
#include "tst_plugin_device.moc"
