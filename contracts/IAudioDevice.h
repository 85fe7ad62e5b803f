#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The host's audio device of one headset, with its models. A live audio device never returns
// a null volume or Dolby model.
class IAudioDevice : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString deviceName() = 0;
    Q_INVOKABLE virtual QString deviceModel() = 0;
    Q_INVOKABLE virtual QString deviceUid() = 0;
    Q_INVOKABLE virtual bool audioStreaming() = 0;
    Q_INVOKABLE virtual cDolbyModelPtr getDolbyModel() = 0;
    Q_INVOKABLE virtual cChannelMixerModelPtr getChannelMixerModel() = 0;
    Q_INVOKABLE virtual cGainModelPtr getGainModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getSimpleEqualizerModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getAdvancedEqualizerModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getAdvancedEnggEqualizerModel() = 0;
    Q_INVOKABLE virtual cSidetoneModelPtr getSidetoneModel() = 0;
    Q_INVOKABLE virtual cSBVMModelPtr getSBVMModel() = 0;
    Q_INVOKABLE virtual cMicrophoneModelPtr getMicrophoneModel() = 0;
    Q_INVOKABLE virtual cVolumeModelPtr getVolumeModel() = 0;
    Q_INVOKABLE virtual cAudioFeedbackLoopModelPtr getAudioFeedbackLoopModel() = 0;
    Q_INVOKABLE virtual cAudioPlayerPtr getAudioPlayer() = 0;
};
