#pragma once
#include "IDeviceFacts.h"

// The simulated bus's facts: every headset it plugs is the one HeadsetDescriptors describes, on
// bus 1, at the address the capture gives it.
class cSimDeviceFacts : public IDeviceFacts
{
public:
    cHidDeviceFacts hidDevice(const QString &uid) const override;
};
