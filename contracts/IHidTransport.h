#pragma once
#include "IAbstractTransport.h"

// A HID transport: its kind is its identity, told by a dynamic cast.
class IHidTransport : public IAbstractTransport
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
};
