#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "IServiceMgr.h"
#include "cAudioDeviceMgrService.h"
#include "cFakeDevice.h"
#include "cHostAudioDevice.h"
#include "cHostMetaTypes.h"
#include "cHostServices.h"
#include "cTransportFactory.h"

#include <QtTest>

// The plugin reaches the overloads by name, with the proxies' type tags; the tag alone decides
// which overload runs.
class tst_AudioDeviceMgr : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { registerHostMetaTypes(); }
    void init();
    void cleanup() { delete m_services; }
    void overloadsAreToldApartByTheirTag();
    void refusesWithoutBothEndpoints();

private:
    cAudioDevicePtr create(const cAbstractDevicePtr &device, bool withCapture = true);
    QStringList uids();
    template<class... Arguments> bool call(const char *method, Arguments... arguments)
    {
        return IServiceMgr::instance()->callService(QStringLiteral("AudioDeviceManager.AudioDeviceMgr"),
                                                    QLatin1String(method), arguments...);
    }

    cHostServices *m_services = nullptr;
};

void tst_AudioDeviceMgr::init()
{
    m_services = new cHostServices;
    m_services->registerAll();
}

cAudioDevicePtr tst_AudioDeviceMgr::create(const cAbstractDevicePtr &device, bool withCapture)
{
    QWeakPointer<IAbstractDevice> weak = device;
    cAudioRenderTransportPtr render
        = qSharedPointerDynamicCast<IAudioRenderTransport>(cTransportFactory::headset(TransportKind::Render));
    cAudioCaptureTransportPtr capture;
    if (withCapture)
        capture = qSharedPointerDynamicCast<IAudioCaptureTransport>(
            cTransportFactory::headset(TransportKind::Capture));
    cAudioDevicePtr result;
    if (!call("createAudioDevice", QGenericReturnArgument("cAudioDevicePtr", &result),
              QGenericArgument("QWeakPointer<IAbstractDevice>", &weak),
              QGenericArgument("cAudioRenderTransportPtr", &render),
              QGenericArgument("cAudioCaptureTransportPtr", &capture)))
        qWarning("createAudioDevice could not be called by name");
    return result;
}

QStringList tst_AudioDeviceMgr::uids()
{
    cAudioDeviceList devices;
    if (!call("getDevices", QGenericReturnArgument("cAudioDeviceList", &devices)))
        qWarning("getDevices could not be called by name");
    QStringList result;
    for (const cAudioDevicePtr &device : std::as_const(devices))
        result << device->deviceUid();
    return result;
}

void tst_AudioDeviceMgr::overloadsAreToldApartByTheirTag()
{
    cAudioDevicePtr active;
    QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active)));
    QVERIFY(!active);

    cJsonValue info;
    info["audio_device_name"] = cJsonValue("Q71 Gaming Headset (Audio)");
    const cAbstractDevicePtr device(new cFakeDevice(QString(), info));
    cAudioDevicePtr first = create(device);
    const cAudioDevicePtr second = create(device);
    const cAudioDevicePtr third = create(device);
    QCOMPARE(third->deviceName(), QStringLiteral("Q71 Gaming Headset (Audio)"));
    QCOMPARE(third->deviceModel(), QStringLiteral("Fake"));
    QCOMPARE(uids(), QStringList({first->deviceUid(), second->deviceUid(), third->deviceUid()}));

    const QString secondUid = second->deviceUid();
    cAudioDevicePtr found;
    QVERIFY(call("getDevice", QGenericReturnArgument("cAudioDevicePtr", &found),
                 QGenericArgument("const QString", &secondUid)));
    QCOMPARE(found, second);
    QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active)));
    QCOMPARE(active, third);
    const QString otherModel = QStringLiteral("Q70");
    QVERIFY(call("getActiveDevice", QGenericReturnArgument("cAudioDevicePtr", &active),
                 QGenericArgument("const QString", &otherModel)));
    QVERIFY(!active);

    QVERIFY(call("destroyAudioDevice", QGenericArgument("const QString", &secondUid)));
    QCOMPARE(uids(), QStringList({first->deviceUid(), third->deviceUid()}));
    QVERIFY(call("destroyAudioDevice", QGenericArgument("cAudioDevicePtr", &first)));
    QCOMPARE(uids(), QStringList({third->deviceUid()}));
}

void tst_AudioDeviceMgr::refusesWithoutBothEndpoints()
{
    QVERIFY(!create(cAbstractDevicePtr(new cFakeDevice(QString())), false));
    QVERIFY(uids().isEmpty());
}

QTEST_GUILESS_MAIN(tst_AudioDeviceMgr)
#include "tst_audiodevicemgr.moc"
