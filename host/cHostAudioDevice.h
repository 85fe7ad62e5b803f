#pragma once
#include "IAbstractDevice.h"
#include "IAudioDevice.h"
#include "cModelCall.h"

#include <QString>
#include <QWeakPointer>

class cHostVolumeModel;
class cHostDolbyModel;

// The audio device the host makes for a headset's render and capture endpoints. It refers back to
// its device only weakly: the device owns the audio device, not the other way round.
class cHostAudioDevice : public IAudioDevice
{
    Q_OBJECT
public:
    cHostAudioDevice(const QString &uid, const QString &name, const QString &model,
                     const QWeakPointer<IAbstractDevice> &device, const cAudioRenderTransportPtr &render,
                     const cAudioCaptureTransportPtr &capture);
    ~cHostAudioDevice() override;

    QString deviceName() override { return m_name; }
    QString deviceModel() override { return m_model; }
    QString deviceUid() override { return m_uid; }
    bool audioStreaming() override;
    cDolbyModelPtr getDolbyModel() override;
    cChannelMixerModelPtr getChannelMixerModel() override { return cChannelMixerModelPtr(); }
    cGainModelPtr getGainModel() override { return cGainModelPtr(); }
    cEqualizerModelPtr getSimpleEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEnggEqualizerModel() override { return cEqualizerModelPtr(); }
    cSidetoneModelPtr getSidetoneModel() override { return cSidetoneModelPtr(); }
    cSBVMModelPtr getSBVMModel() override { return cSBVMModelPtr(); }
    cMicrophoneModelPtr getMicrophoneModel() override { return cMicrophoneModelPtr(); }
    cVolumeModelPtr getVolumeModel() override;
    cAudioFeedbackLoopModelPtr getAudioFeedbackLoopModel() override { return cAudioFeedbackLoopModelPtr(); }
    cAudioPlayerPtr getAudioPlayer() override { return cAudioPlayerPtr(); }

    QWeakPointer<IAbstractDevice> device() const { return m_device; }
    cAudioRenderTransportPtr renderTransport() const { return m_render; }
    cAudioCaptureTransportPtr captureTransport() const { return m_capture; }
    QSharedPointer<cHostVolumeModel> volumeModel() const { return m_volume; }

signals:
    // Each call of either model, as it is made; nothing is kept of it, as a live host runs for days.
    void modelCalled(const cModelCall &call);

private:
    QString m_uid;
    QString m_name;
    QString m_model;
    QWeakPointer<IAbstractDevice> m_device;
    cAudioRenderTransportPtr m_render;
    cAudioCaptureTransportPtr m_capture;
    QSharedPointer<cHostVolumeModel> m_volume;
    QSharedPointer<cHostDolbyModel> m_dolby;
};
