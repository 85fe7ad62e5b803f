#pragma once
#include "IAudioTransport.h"
#include "Types.h"

class IAudioCaptureTransport : public IAudioTransport
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cSBVMModelPtr getSBVMModel() = 0;
};
