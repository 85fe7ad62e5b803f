#include "cSimAudioRenderTransport.h"

cSimAudioRenderTransport::cSimAudioRenderTransport(const cJsonValue &info)
    : cSimTransportBase<IAudioRenderTransport>(info)
{ }
