#pragma once
#include "cScenario.h"

#include <QScopedPointer>

class IDeviceFacts;
class ITransportBus;
class cHost;
class cRunRecorder;

// The machine's own headsets hosted (q71-host --live): their transports come from the Linux bus,
// on the wall clock, and the host starts each device as soon as it is complete, as the host
// application does. Only the commands that ask the host for something make sense then; the
// scenario's own headset (plug, unplug, input) and the faults it simulates do not. What the
// headsets do on the desktop is the run's cDesktop, which hears the same host.
//
// The object holds the bus, which must outlive the host that is given it.
class cLiveHost
{
public:
    cLiveHost();
    ~cLiveHost();

    // False where the program was built without libudev.
    static bool isAvailable();
    // What the machine tells of the devices the live bus plugs, for the captures of a live run;
    // null where the program was built without libudev. The caller owns it.
    static IDeviceFacts *newDeviceFacts();
    // "FILE:LINE: ... cannot be used with --live" for a command a live run refuses; empty for one
    // it runs.
    static QString refusal(const QString &source, const cScenarioCommand &command);

    // Puts the machine's devices on `host`, each transport traced by `runner` before the host
    // sees it. Where udev cannot be listened to, the bus warns, and what is plugged now is there
    // all the same.
    void begin(cHost &host, cRunRecorder &recorder);

private:
    QScopedPointer<ITransportBus> m_bus;
};
