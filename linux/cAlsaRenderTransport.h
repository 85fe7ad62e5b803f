#pragma once
#include "IAudioRenderTransport.h"
#include "cLinuxTransportBase.h"

// A USB sound card's playback PCM. It carries the endpoint's identity and its started state; the
// sound itself goes through the sound server, not through the host.
class cAlsaRenderTransport : public cLinuxTransportBase<IAudioRenderTransport>
{
    Q_OBJECT
public:
    explicit cAlsaRenderTransport(const cJsonValue &info);

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
