#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The host's audio device manager, service "AudioDeviceManager.AudioDeviceMgr".
class IAudioDeviceMgr : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    // `device` refers back to the device without keeping it alive.
    Q_INVOKABLE virtual cAudioDevicePtr createAudioDevice(QWeakPointer<IAbstractDevice> device,
                                                          cAudioRenderTransportPtr renderTransport,
                                                          cAudioCaptureTransportPtr captureTransport)
        = 0;
    Q_INVOKABLE virtual void destroyAudioDevice(cAudioDevicePtr device) = 0;
    Q_INVOKABLE virtual void destroyAudioDevice(const QString &deviceUid) = 0;
    Q_INVOKABLE virtual cAudioDevicePtr getDevice(const QString &deviceUid) = 0;
    Q_INVOKABLE virtual cAudioDevicePtr getActiveDevice(const QString &deviceModel) = 0;
    Q_INVOKABLE virtual cAudioDevicePtr getActiveDevice() = 0;
    Q_INVOKABLE virtual cAudioDeviceList getDevices() = 0;
};
