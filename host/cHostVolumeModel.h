#pragma once
#include "IVolumeModel.h"
#include "cModelCall.h"

// The volume controls of a host audio device. Every operation that changes something is announced
// with called(), in call order; nothing is kept of it, as a live host runs for days.
class cHostVolumeModel : public IVolumeModel
{
    Q_OBJECT
public:
    static constexpr quint32 MaxLevel = 100;
    static constexpr quint32 VolumeStep = 2;

    cHostVolumeModel();

    quint32 getVolume() override { return m_volume; }
    bool setVolume(quint32 level) override;
    bool handleVolumeBoost(bool isHID, bool volDown) override;
    quint32 getScaledVolume() override;
    bool isSpeakerMuted() override { return m_speakerMuted; }
    bool setSpeakerMute(bool mute) override;
    bool isMicMuted() override { return m_micMuted; }
    bool setMicMute(bool mute) override;
    quint32 getMicGain() override { return m_micGain; }
    bool setMicGain(quint32 level) override;
    quint32 getBass() override { return m_bass; }
    bool setBass(quint32 level) override;
    quint32 getTreble() override { return m_treble; }
    bool setTreble(quint32 level) override;
    bool incVolume() override;
    bool decVolume() override;
    bool incMicGain() override;
    bool decMicGain() override;
    AudioControlState::AudioControlState_t getControlState(AudioControl::AudioControl_t control) override;

signals:
    void called(const cModelCall &call);

private:
    void record(const QString &operation, const QVariantList &arguments = {});
    void recordStep(const QString &operation, int direction);
    bool setLevel(quint32 &level, quint32 value);

    quint32 m_volume = 50;
    quint32 m_micGain = 50;
    quint32 m_bass = 50;
    quint32 m_treble = 50;
    bool m_speakerMuted = false;
    bool m_micMuted = false;
};
