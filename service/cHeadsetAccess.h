#pragma once
#include <functional>

class IDeviceFacts;
class cDesktop;
class cHost;

// What the session-bus objects reach the run's parts through; the run fills it in as it composes
// them, and each part may be missing (no desktop without a configuration file, no facts).
struct cHeadsetAccess
{
    explicit cHeadsetAccess(cHost &runHost)
        : host(runHost)
    { }

    cHost &host;
    // Where the devices' nodes and sound cards are known.
    const IDeviceFacts *facts = nullptr;
    cDesktop *desktop = nullptr;
    // Gives a device's microphone model a setting, traced as the run traces its own (device,
    // light or notification, value, invoked): the model's answer.
    std::function<bool(int, bool, int, bool *)> setMicrophone;
};
