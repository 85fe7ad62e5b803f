#pragma once
#include "IAbstractTransport.h"

// Base of the two audio transports: its kind is its identity, told by a dynamic cast.
class IAudioTransport : public IAbstractTransport
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
};
