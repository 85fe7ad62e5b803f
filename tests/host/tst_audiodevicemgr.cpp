#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "IDolbyModel.h"
#include "IServiceMgr.h"
#include "IVolumeModel.h"
#include "cAudioDeviceMgrService.h"
#include "cFakeDevice.h"
#include "cHostAudioDevice.h"
#include "cHostMetaTypes.h"
#include "cHostServices.h"
#include "cTransportFactory.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QString g_service = QStringLiteral("AudioDeviceManager.AudioDeviceMgr");
}

// Every operation here is reached as a plugin reaches it: by name, with the proxies' type tags.
class tst_AudioDeviceMgr : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void createsFromTheDevicesInformation();
    void destroyOverloadsAreToldApartByTheirTag();
    void activeDeviceOverloads();
    void keepsTheDeviceOnlyWeakly();
    void modelsAreNeverNullAndRecordTheirCalls();
    void refusesWithoutBothEndpoints();

private:
    cAudioDevicePtr create(const cAbstractDevicePtr &device);
    QStringList uids();

    cHostServices *m_services = nullptr;
    cAbstractTransportPtr m_render;
    cAbstractTransportPtr m_capture;
};

void tst_AudioDeviceMgr::initTestCase()
{
    registerHostMetaTypes();
}

void tst_AudioDeviceMgr::init()
{
    m_services = new cHostServices;
    m_services->registerAll();
    m_render = cTransportFactory::headset(TransportKind::Render);
    m_capture = cTransportFactory::headset(TransportKind::Capture);
}

void tst_AudioDeviceMgr::cleanup()
{
    delete m_services;
    m_render.reset();
    m_capture.reset();
}

cAudioDevicePtr tst_AudioDeviceMgr::create(const cAbstractDevicePtr &device)
{
    QWeakPointer<IAbstractDevice> weak = device;
    cAudioRenderTransportPtr render = qSharedPointerDynamicCast<IAudioRenderTransport>(m_render);
    cAudioCaptureTransportPtr capture = qSharedPointerDynamicCast<IAudioCaptureTransport>(m_capture);
    cAudioDevicePtr result;
    const bool ok = IServiceMgr::instance()->callService(
        g_service, QStringLiteral("createAudioDevice"), QGenericReturnArgument("cAudioDevicePtr", &result),
        QGenericArgument("QWeakPointer<IAbstractDevice>", &weak),
        QGenericArgument("cAudioRenderTransportPtr", &render),
        QGenericArgument("cAudioCaptureTransportPtr", &capture));
    if (!ok)
        qWarning("createAudioDevice could not be called by name");
    return result;
}

QStringList tst_AudioDeviceMgr::uids()
{
    cAudioDeviceList devices;
    if (!IServiceMgr::instance()->callService(g_service, QStringLiteral("getDevices"),
                                              QGenericReturnArgument("cAudioDeviceList", &devices)))
        qWarning("getDevices could not be called by name");
    QStringList result;
    for (const cAudioDevicePtr &device : std::as_const(devices))
        result << device->deviceUid();
    return result;
}

void tst_AudioDeviceMgr::createsFromTheDevicesInformation()
{
    cJsonValue info;
    info["audio_device_name"] = cJsonValue("Q71 Gaming Headset (Audio)");
    const cAbstractDevicePtr device(new cFakeDevice(QString(), info));
    const cAudioDevicePtr audio = create(device);
    QVERIFY(audio);
    QCOMPARE(audio->deviceName(), QStringLiteral("Q71 Gaming Headset (Audio)"));
    QCOMPARE(audio->deviceModel(), QStringLiteral("Fake"));
    QVERIFY(!audio->deviceUid().isEmpty());

    cAudioDevicePtr found;
    const QString uid = audio->deviceUid();
    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("getDevice"),
                                                 QGenericReturnArgument("cAudioDevicePtr", &found),
                                                 QGenericArgument("const QString", &uid)));
    QCOMPARE(found, audio);
}

void tst_AudioDeviceMgr::destroyOverloadsAreToldApartByTheirTag()
{
    const cAbstractDevicePtr device(new cFakeDevice(QString()));
    cAudioDevicePtr first = create(device);
    const cAudioDevicePtr second = create(device);
    const cAudioDevicePtr third = create(device);
    QCOMPARE(uids(), QStringList({first->deviceUid(), second->deviceUid(), third->deviceUid()}));

    const QString secondUid = second->deviceUid();
    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("destroyAudioDevice"),
                                                 QGenericArgument("const QString", &secondUid)));
    QCOMPARE(uids(), QStringList({first->deviceUid(), third->deviceUid()}));

    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("destroyAudioDevice"),
                                                 QGenericArgument("cAudioDevicePtr", &first)));
    QCOMPARE(uids(), QStringList({third->deviceUid()}));
}

void tst_AudioDeviceMgr::activeDeviceOverloads()
{
    cAudioDevicePtr active;
    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("getActiveDevice"),
                                                 QGenericReturnArgument("cAudioDevicePtr", &active)));
    QVERIFY(!active);

    const cAbstractDevicePtr device(new cFakeDevice(QString()));
    create(device);
    const cAudioDevicePtr latest = create(device);
    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("getActiveDevice"),
                                                 QGenericReturnArgument("cAudioDevicePtr", &active)));
    QCOMPARE(active, latest);

    const QString otherModel = QStringLiteral("Q70");
    QVERIFY(IServiceMgr::instance()->callService(g_service, QStringLiteral("getActiveDevice"),
                                                 QGenericReturnArgument("cAudioDevicePtr", &active),
                                                 QGenericArgument("const QString", &otherModel)));
    QVERIFY(!active);
}

void tst_AudioDeviceMgr::keepsTheDeviceOnlyWeakly()
{
    cAbstractDevicePtr device(new cFakeDevice(QString()));
    const QPointer<QObject> alive = device.data();
    const cAudioDevicePtr audio = create(device);
    const QSharedPointer<cHostAudioDevice> hostAudio = cAudioDeviceMgrService::hostDevice(audio);
    QVERIFY(hostAudio);
    QCOMPARE(hostAudio->device().toStrongRef(), device);

    device.reset();
    QVERIFY2(!alive, "the audio device manager kept the device alive");
    QVERIFY(hostAudio->device().toStrongRef().isNull());
}

void tst_AudioDeviceMgr::modelsAreNeverNullAndRecordTheirCalls()
{
    const cAudioDevicePtr audio = create(cAbstractDevicePtr(new cFakeDevice(QString())));
    QSignalSpy relayed(m_services->audioDeviceMgr(), &cAudioDeviceMgrService::modelCalled);

    const cVolumeModelPtr volume = audio->getVolumeModel();
    const cDolbyModelPtr dolby = audio->getDolbyModel();
    QVERIFY(volume);
    QVERIFY(dolby);
    QCOMPARE(audio->getVolumeModel(), volume);

    const quint32 before = volume->getVolume();
    volume->incVolume();
    dolby->enableDolby(true);
    volume->decVolume();
    volume->decVolume();
    dolby->enableDolby(false);
    QVERIFY(volume->getVolume() < before);

    const QStringList expected
        = {"incVolume()", "enableDolby(true)", "decVolume()", "decVolume()", "enableDolby(false)"};
    QCOMPARE(cAudioDeviceMgrService::hostDevice(audio)->modelCalls(), expected);
    QCOMPARE(relayed.count(), expected.size());
    QCOMPARE(relayed.at(1).at(0).toString(), audio->deviceUid());
    QCOMPARE(relayed.at(1).at(1).toString(), QStringLiteral("enableDolby(true)"));
}

void tst_AudioDeviceMgr::refusesWithoutBothEndpoints()
{
    const cAbstractDevicePtr device(new cFakeDevice(QString()));
    m_capture.reset();
    QVERIFY(!create(device));
    QVERIFY(uids().isEmpty());
}

QTEST_GUILESS_MAIN(tst_AudioDeviceMgr)
#include "tst_audiodevicemgr.moc"
