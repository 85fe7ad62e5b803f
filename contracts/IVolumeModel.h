#pragma once
#include "Types.h"

#include <QObject>

class IVolumeModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual quint32 getVolume() = 0;
    Q_INVOKABLE virtual bool setVolume(quint32 level) = 0;
    Q_INVOKABLE virtual bool handleVolumeBoost(bool isHID, bool volDown) = 0;
    Q_INVOKABLE virtual quint32 getScaledVolume() = 0;
    Q_INVOKABLE virtual bool isSpeakerMuted() = 0;
    Q_INVOKABLE virtual bool setSpeakerMute(bool mute) = 0;
    Q_INVOKABLE virtual bool isMicMuted() = 0;
    Q_INVOKABLE virtual bool setMicMute(bool mute) = 0;
    Q_INVOKABLE virtual quint32 getMicGain() = 0;
    Q_INVOKABLE virtual bool setMicGain(quint32 level) = 0;
    Q_INVOKABLE virtual quint32 getBass() = 0;
    Q_INVOKABLE virtual bool setBass(quint32 level) = 0;
    Q_INVOKABLE virtual quint32 getTreble() = 0;
    Q_INVOKABLE virtual bool setTreble(quint32 level) = 0;
    Q_INVOKABLE virtual bool incVolume() = 0;
    Q_INVOKABLE virtual bool decVolume() = 0;
    Q_INVOKABLE virtual bool incMicGain() = 0;
    Q_INVOKABLE virtual bool decMicGain() = 0;
    Q_INVOKABLE virtual AudioControlState::AudioControlState_t
    getControlState(AudioControl::AudioControl_t control)
        = 0;
};
