#pragma once
#include "IAudioRenderTransport.h"
#include "cTransportBase.h"

// A USB sound card's playback PCM. It carries the endpoint's identity and its started state; the
// sound itself goes through the sound server, not through the host.
class cAlsaRenderTransport : public cRenderWithoutModels<cTransportBase<IAudioRenderTransport>>
{
    Q_OBJECT
public:
    explicit cAlsaRenderTransport(const cJsonValue &info);
};
