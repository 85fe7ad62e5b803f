#include "cSimAudioCaptureTransport.h"

cSimAudioCaptureTransport::cSimAudioCaptureTransport(const cJsonValue &info)
    : cSimTransportBase<IAudioCaptureTransport>(info)
{ }
