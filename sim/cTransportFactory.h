#pragma once
#include "TransportKind.h"
#include "Types.h"
#include "cJsonValue.h"

// Makes the simulated transports a bus would report: those of a Q71 headset (one unit per
// number, each with its own uids), those of another product, and transports of a kind no
// headset has. Every transport is wrapped once, right after `new`; the caller owns it.
class cTransportFactory
{
public:
    // Information of a headset's transport: its "uid" and the probe entry the shipped manifest
    // matches. For TransportKind::Other it claims the HID probe, so that only the object's type
    // tells it apart from the headset's HID transport.
    static cJsonValue headsetInfo(TransportKind::TransportKind_t kind, int unit = 1);
    // The same shape for another product of the same vendor: no headset probe is contained in it.
    static cJsonValue foreignInfo(TransportKind::TransportKind_t kind, int unit = 1);

    static cAbstractTransportPtr create(TransportKind::TransportKind_t kind, const cJsonValue &info);
    static cAbstractTransportPtr headset(TransportKind::TransportKind_t kind, int unit = 1);
    static cAbstractTransportPtr foreign(TransportKind::TransportKind_t kind, int unit = 1);
};
