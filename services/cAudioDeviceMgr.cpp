#include "cAudioDeviceMgr.h"

#include "IServiceMgr.h"
#include "cServiceCall.h"

#define AUDIO_CALL(method) Q71_SERVICE_CALL(Q71_AUDIO_DEVICE_MGR_SERVICE, method)

cAudioDeviceMgr::cAudioDeviceMgr()
{
    IServiceMgr::instance()->requireService(QStringLiteral(Q71_AUDIO_DEVICE_MGR_SERVICE),
                                            QStringLiteral("1"));
}

cAudioDevicePtr cAudioDeviceMgr::createAudioDevice(QWeakPointer<IAbstractDevice> device,
                                                   cAudioRenderTransportPtr renderTransport,
                                                   cAudioCaptureTransportPtr captureTransport)
{
    cAudioDevicePtr result;
    AUDIO_CALL("createAudioDevice")
        .arg("QWeakPointer<IAbstractDevice>", &device)
        .arg("cAudioRenderTransportPtr", &renderTransport)
        .arg("cAudioCaptureTransportPtr", &captureTransport)
        .run(QGenericReturnArgument("cAudioDevicePtr", &result));
    return result;
}

void cAudioDeviceMgr::destroyAudioDevice(cAudioDevicePtr device)
{
    AUDIO_CALL("destroyAudioDevice").arg("cAudioDevicePtr", &device).run();
}

void cAudioDeviceMgr::destroyAudioDevice(const QString &deviceUid)
{
    AUDIO_CALL("destroyAudioDevice").arg("const QString", &deviceUid).run();
}

cAudioDevicePtr cAudioDeviceMgr::getDevice(const QString &deviceUid)
{
    cAudioDevicePtr result;
    AUDIO_CALL("getDevice")
        .arg("const QString", &deviceUid)
        .run(QGenericReturnArgument("cAudioDevicePtr", &result));
    return result;
}

cAudioDevicePtr cAudioDeviceMgr::getActiveDevice(const QString &deviceModel)
{
    cAudioDevicePtr result;
    AUDIO_CALL("getActiveDevice")
        .arg("const QString", &deviceModel)
        .run(QGenericReturnArgument("cAudioDevicePtr", &result));
    return result;
}

cAudioDevicePtr cAudioDeviceMgr::getActiveDevice()
{
    cAudioDevicePtr result;
    AUDIO_CALL("getActiveDevice").run(QGenericReturnArgument("cAudioDevicePtr", &result));
    return result;
}

cAudioDeviceList cAudioDeviceMgr::getDevices()
{
    cAudioDeviceList result;
    AUDIO_CALL("getDevices").run(QGenericReturnArgument("cAudioDeviceList", &result));
    return result;
}
