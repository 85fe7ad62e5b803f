#pragma once
#include "cSoundServerState.h"

struct pa_proplist;

// A sink or source as libpulse lists it, with the properties that tell its sound card: the bus path
// is "device.bus_path" on PulseAudio and "device.bus-path" on PipeWire.
cSoundDevice pulseDevice(const char *name, const pa_proplist *properties);
