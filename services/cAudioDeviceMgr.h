#pragma once
#include "IAudioDeviceMgr.h"

#define Q71_AUDIO_DEVICE_MGR_SERVICE "AudioDeviceManager.AudioDeviceMgr"

// Proxy of the host's audio device manager. The overloads of destroyAudioDevice and
// getActiveDevice share a method name; the service tells them apart by the argument type names.
class cAudioDeviceMgr : public IAudioDeviceMgr
{
public:
    cAudioDeviceMgr();

    cAudioDevicePtr createAudioDevice(QWeakPointer<IAbstractDevice> device,
                                      cAudioRenderTransportPtr renderTransport,
                                      cAudioCaptureTransportPtr captureTransport) override;
    void destroyAudioDevice(cAudioDevicePtr device) override;
    void destroyAudioDevice(const QString &deviceUid) override;
    cAudioDevicePtr getDevice(const QString &deviceUid) override;
    cAudioDevicePtr getActiveDevice(const QString &deviceModel) override;
    cAudioDevicePtr getActiveDevice() override;
    cAudioDeviceList getDevices() override;
};
