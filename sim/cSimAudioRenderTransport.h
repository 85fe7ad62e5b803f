#pragma once
#include "IAudioRenderTransport.h"
#include "cSimTransportBase.h"

// The render endpoint of a simulated headset.
class cSimAudioRenderTransport : public cRenderWithoutModels<cSimTransportBase<IAudioRenderTransport>>
{
    Q_OBJECT
public:
    explicit cSimAudioRenderTransport(const cJsonValue &info);
};
