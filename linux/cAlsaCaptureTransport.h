#pragma once
#include "IAudioCaptureTransport.h"
#include "cTransportBase.h"

// A USB sound card's capture PCM: the endpoint's identity and its started state.
class cAlsaCaptureTransport : public cTransportBase<IAudioCaptureTransport>
{
    Q_OBJECT
public:
    explicit cAlsaCaptureTransport(const cJsonValue &info);

    cSBVMModelPtr getSBVMModel() override { return cSBVMModelPtr(); }
};
