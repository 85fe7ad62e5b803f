#pragma once
#include "Types.h"
#include "cJsonValue.h"

class IAbstractTransport;

// The headset's three transport kinds and the test that tells whether a transport is one of the
// headset's. The provider and the device apply the same test, so that a transport the provider
// built a device around is always accepted by that device.
namespace TransportProbe {

enum Kind { None, Hid, AudioRender, AudioCapture };

// A run-time type check against the kind's interface: the host's transports carry their own copy
// of the contract's type information, which a dynamic cast compares by name.
bool implements(IAbstractTransport *transport, Kind kind);

// The first kind whose interface the transport implements, tried as HID, render, capture.
Kind kindOf(IAbstractTransport *transport);

// The first probe of the kind in the device information is contained in the transport
// information's entry under the same key. Later probes of the manifest's list are not consulted.
bool matches(const cJsonValue &deviceInfo, Kind kind, const cJsonValue &transportInfo);

} // namespace TransportProbe
