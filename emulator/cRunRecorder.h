#pragma once
#include "TraceKind.h"
#include "Types.h"
#include "cTraceEvent.h"

#include <QHash>
#include <QObject>

class IAbstractDevice;
class IAbstractTransport;
class ITransportBus;
class cHost;
struct cModelCall;
class cTrace;

// Hears what a host, its buses, their transports and its services do, and writes it to the trace:
// all a live run needs, and what a scenario's commands add their own events to.
//
// What goes into the trace, and when:
// - calls that return a result (createDevice, addTransport, validate, the microphone's setters)
//   are recorded when they return, after what they caused (an audio device made while a
//   transport was added comes before the addTransport line);
// - what the host sets off without waiting for a result (start, stop, an input report, the
//   application's exit, a transport appearing) is recorded before it happens;
// - events of one device carry the number the host's device manager gave it;
// - a key event belongs to the device whose HID transport took the last input report: the
//   profiler hears the key with the model's name only, and the report that set it off is the one
//   being decoded.
class cRunRecorder : public QObject
{
    Q_OBJECT
public:
    cRunRecorder(cHost &host, cTrace &trace, QObject *parent = nullptr);

    // Transports that appear on `bus` and go from it are traced and watched. Call it before the
    // host attaches the bus, so that a transport shows before what it causes.
    void watchBus(ITransportBus *bus);
    // What the transport tells its tap goes into the trace.
    void watch(const cAbstractTransportPtr &transport);
    // A plug or unplug event for `transport`, whoever plugged it.
    void announce(TraceKind::TraceKind_t kind, const cAbstractTransportPtr &transport);

    // An event with its documented fields, then the device's number when it belongs to one.
    void record(TraceKind::TraceKind_t kind, QList<cTraceEvent::Field> fields, int device);
    // An input report `transport` took, or, `dropped`, did not, since it was not started: traced,
    // and told as hidReceived() when taken. A simulated headset's input comes here from whoever
    // fed it, a real one's from its tap.
    void recordInput(const IAbstractTransport *transport, const QByteArray &report, bool dropped);
    // An "error" event: a command that made no sense in its state (line 0: none of the scenario).
    void error(int line, const QString &command, const QString &message);

    // The device whose HID transport took the last input report, the one key events name; 0
    // before any.
    int inputDevice() const { return m_inputDevice; }
    // The number of the device holding `transport`; 0 when none does.
    int numberHolding(const IAbstractTransport *transport) const;

signals:
    // A report written to, or read from, a HID transport, with the number of the device holding
    // it (0: none).
    void hidWritten(int device, const QByteArray &report);
    void hidReceived(int device, const QByteArray &report);
    // Something of that device was traced: its input, output, model calls, start or stop.
    void deviceTraced(int device);

private:
    void watchDeviceManager();
    void watchServices();

    void onAudioDeviceCreated(const QString &uid);
    void onAudioDeviceDestroyed(const QString &uid);
    void onModelCalled(const QString &uid, const cModelCall &call);
    void onGKey(bool pressed, int key, const QString &model, const QString &category);

    cHost &m_host;
    cTrace &m_trace;
    QHash<QString, int> m_audioDevices; // audio device uid -> device number
    int m_inputDevice = 0;
};
