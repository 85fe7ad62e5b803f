#include "cHostAudioDevice.h"

#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "cHostDolbyModel.h"
#include "cHostVolumeModel.h"

cHostAudioDevice::cHostAudioDevice(const QString &uid, const QString &name, const QString &model,
                                   const QWeakPointer<IAbstractDevice> &device,
                                   const cAudioRenderTransportPtr &render,
                                   const cAudioCaptureTransportPtr &capture)
    : m_uid(uid)
    , m_name(name)
    , m_model(model)
    , m_device(device)
    , m_render(render)
    , m_capture(capture)
    , m_volume(new cHostVolumeModel)
    , m_dolby(new cHostDolbyModel)
{
    connect(m_volume.data(), &cHostVolumeModel::called, this, &cHostAudioDevice::modelCalled);
    connect(m_dolby.data(), &cHostDolbyModel::called, this, &cHostAudioDevice::modelCalled);
}

cHostAudioDevice::~cHostAudioDevice() = default;

bool cHostAudioDevice::audioStreaming()
{
    return m_render && m_capture && m_render->started() && m_capture->started();
}

cDolbyModelPtr cHostAudioDevice::getDolbyModel()
{
    return m_dolby;
}

cVolumeModelPtr cHostAudioDevice::getVolumeModel()
{
    return m_volume;
}
