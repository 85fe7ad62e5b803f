#pragma once
#include "IAudioCaptureTransport.h"
#include "cSimTransportBase.h"

// The capture endpoint of a simulated headset.
class cSimAudioCaptureTransport : public cSimTransportBase<IAudioCaptureTransport>
{
    Q_OBJECT
public:
    explicit cSimAudioCaptureTransport(const cJsonValue &info);

    cSBVMModelPtr getSBVMModel() override { return cSBVMModelPtr(); }
};
