#pragma once
#include "cScenario.h"

#include <QScopedPointer>

class IDeviceFacts;
class ITransportBus;
class cHost;
class cRunRecorder;

// A run with the machine's own headsets (q71-host --live): their transports come from the Linux
// bus, on the wall clock, and the host starts each device as soon as it is complete, as the host
// application does. Only the commands that ask the host for something make sense then; the
// scenario's own headset (plug, unplug, input) and the faults it simulates do not.
//
// The object holds the bus, which must outlive the host that is given it.
class cLiveRun
{
public:
    cLiveRun();
    ~cLiveRun();

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

    // How far one step of a headset's volume wheel moves its sink on the sound server, in percent
    // of the full volume; set before begin(). 0 leaves the volume's own default.
    void setVolumeStep(int percent) { m_volumeStep = percent; }

private:
    QScopedPointer<ITransportBus> m_bus;
    // The headsets' volume on the sound server, where the program was built with libpulse.
    QScopedPointer<QObject> m_volume;
    int m_volumeStep = 0;
};
