#pragma once
#include "IAudioDeviceMgr.h"
#include "cModelCall.h"

#include <QSharedPointer>

class cHostAudioDevice;

// The host's audio device manager as plugins reach it by name ("AudioDeviceManager.AudioDeviceMgr").
// It keeps every audio device it made until the device is destroyed by pointer or uid; the most
// recently made one is the active one.
class cAudioDeviceMgrService : public IAudioDeviceMgr
{
    Q_OBJECT
public:
    explicit cAudioDeviceMgrService(QObject *parent = nullptr);

    // Null unless both endpoints are given. The name is the device's "audio_device_name", read
    // now if the device is still alive; the device itself is not kept alive by the audio device.
    cAudioDevicePtr createAudioDevice(QWeakPointer<IAbstractDevice> device,
                                      cAudioRenderTransportPtr renderTransport,
                                      cAudioCaptureTransportPtr captureTransport) override;
    void destroyAudioDevice(cAudioDevicePtr device) override;
    void destroyAudioDevice(const QString &deviceUid) override;
    cAudioDevicePtr getDevice(const QString &deviceUid) override;
    cAudioDevicePtr getActiveDevice(const QString &deviceModel) override;
    cAudioDevicePtr getActiveDevice() override;
    cAudioDeviceList getDevices() override { return m_devices; }

    // The host's own class behind an audio device this manager made; null for any other.
    static QSharedPointer<cHostAudioDevice> hostDevice(const cAudioDevicePtr &device);
    // The headset behind the audio device with that uid, while both are alive; null otherwise.
    cAbstractDevicePtr deviceOf(const QString &deviceUid);

signals:
    void audioDeviceCreated(const QString &uid);
    void audioDeviceDestroyed(const QString &uid);
    // Every call a plugin made on the audio models of the device with that uid.
    void modelCalled(const QString &uid, const cModelCall &call);
    // The calls a headset's own controls drive, right after their modelCalled().
    void volumeStepped(const QString &uid, int direction);
    void dolbySwitched(const QString &uid, bool on);

private:
    void remove(int index);

    cAudioDeviceList m_devices;
    int m_created = 0;
};
