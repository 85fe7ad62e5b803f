#pragma once
#include "IAudioTransport.h"
#include "Types.h"

class IAudioRenderTransport : public IAudioTransport
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cDolbyModelPtr getDolbyModel() = 0;
    Q_INVOKABLE virtual cChannelAttenuationModelPtr getChannelAttenuationModel() = 0;
    Q_INVOKABLE virtual cGainModelPtr getGainModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getSimpleEqualizerModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getAdvancedEqualizerModel() = 0;
    Q_INVOKABLE virtual cEqualizerModelPtr getAdvancedEnggEqualizerModel() = 0;
};
