#include "cSimAudioRenderTransport.h"

cSimAudioRenderTransport::cSimAudioRenderTransport(const cJsonValue &info)
    : cRenderWithoutModels<cSimTransportBase<IAudioRenderTransport>>(info)
{ }
