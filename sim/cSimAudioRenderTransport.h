#pragma once
#include "IAudioRenderTransport.h"
#include "cSimTransportBase.h"

// The render endpoint of a simulated headset. It offers no audio models of its own: the host's
// audio device carries the ones a device drives.
class cSimAudioRenderTransport : public cSimTransportBase<IAudioRenderTransport>
{
    Q_OBJECT
public:
    explicit cSimAudioRenderTransport(const cJsonValue &info);

    cDolbyModelPtr getDolbyModel() override { return cDolbyModelPtr(); }
    cChannelAttenuationModelPtr getChannelAttenuationModel() override
    {
        return cChannelAttenuationModelPtr();
    }
    cGainModelPtr getGainModel() override { return cGainModelPtr(); }
    cEqualizerModelPtr getSimpleEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEqualizerModel() override { return cEqualizerModelPtr(); }
    cEqualizerModelPtr getAdvancedEnggEqualizerModel() override { return cEqualizerModelPtr(); }

signals:
    void runningChanged(bool running);

protected:
    void notifyRunning(bool running) override { emit runningChanged(running); }
};
