#pragma once
#include "IAbstractTransport.h"
#include "cSimTransportBase.h"

// A transport of none of the kinds a headset has (a serial port, a vendor bus): whatever its
// information says, no headset device may take it.
class cSimPlainTransport : public cSimTransportBase<IAbstractTransport>
{
    Q_OBJECT
public:
    explicit cSimPlainTransport(const cJsonValue &info);
};
