#include "PulseDevice.h"

#include <pulse/proplist.h>

cSoundDevice pulseDevice(const char *name, const pa_proplist *properties)
{
    const char *busPath = pa_proplist_gets(properties, "device.bus_path");
    if (!busPath)
        busPath = pa_proplist_gets(properties, "device.bus-path");
    return {QString::fromUtf8(name), QString::fromUtf8(pa_proplist_gets(properties, "sysfs.path")),
            QString::fromUtf8(busPath)};
}
