#pragma once
#include "ICaptureReader.h"
#include "Types.h"
#include "cModelCall.h"
#include "cScenario.h"
#include "cTraceEvent.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <functional>

class IAbstractDevice;
class IAbstractTransport;
class ITransportBus;
class cClock;
class cExpectationChecker;
class cProgressLine;
class cHost;
class cSimBus;
class cTrace;

// Plays a scenario against a host that has its plugin loaded, one command after the other on the
// run's clock, and records in the trace what the host, the plugin and the simulated
// headset do.
//
// What goes into the trace, and when:
// - calls that return a result (createDevice, addTransport, validate, the microphone's setters)
//   are recorded when they return, after what they caused (an audio device made while a
//   transport was added comes before the addTransport line);
// - what the host sets off without waiting for a result (start, stop, an input report, the
//   application's exit, a transport appearing) is recorded before it happens;
// - devices carry the host's numbers (cDeviceManager). Commands that address one device (mic, info,
//   input) address the one whose number they give, or without one, the oldest one still present
//   (input: the headset's HID transport, whichever device holds it);
// - a key event belongs to the device whose HID transport took the last input report: the
//   profiler hears the key with the model's name only, and the report that set it off is the one
//   being decoded.
//
// A command that makes no sense in the state (start with no device, input with no headset) is
// recorded as an "error" event and the run goes on.
class cScenarioRunner : public QObject
{
    Q_OBJECT
public:
    cScenarioRunner(cHost &host, cSimBus &bus, cClock &clock, cTrace &trace, QObject *parent = nullptr);
    ~cScenarioRunner() override;

    // The input reports of a capture (read() already, not owned) to play to the headset's HID
    // transport, each at its time after the capture's first packet counted from the scenario's
    // first start, shifted by `offsetMs`, so that the replayed run lines up with the recorded one.
    // Reports that an offset puts before that start play at it, in order. They are taken from the
    // file one at a time as they fall due. `source` names them in the trace.
    void setReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs = 0);
    // When the last of the replayed reports is due, in milliseconds after the first start.
    qint64 replayLengthMs() const;

    // Transports that appear on `bus` and go from it are traced and watched as plugged ones are.
    // Call it before the host attaches the bus, so that a transport shows before what it causes.
    void watchBus(ITransportBus *bus);
    // Asked before each command: true ends the run there (a signal asked the program to stop).
    void setStopRequested(std::function<bool()> stopRequested) { m_stopRequested = std::move(stopRequested); }
    // What checks the scenario's expect lines (not owned); without one they are passed over.
    void setExpectations(cExpectationChecker *checker) { m_expectations = checker; }
    // Where the run tells how far it has got (not owned); none by default.
    void setProgress(cProgressLine *progress) { m_progress = progress; }

    // Runs the commands that `next` hands over until it returns false.
    void run(const std::function<bool(cScenarioCommand *)> &next);
    void run(const cScenario &scenario);

    // The number the run gave `device` (from 1, in the order devices appeared); 0 for none.
    int number(const IAbstractDevice *device) const;
    // The device the run numbered `deviceNumber`, while the device manager still holds it.
    cAbstractDevicePtr deviceNumbered(int deviceNumber) const;
    // The device whose HID transport took the last input report, the one the trace's key events
    // name; 0 before any.
    int inputDevice() const { return m_inputDevice; }

signals:
    // A scenario's "mic light" or "mic notify" that the microphone model accepted.
    void microphoneSet(bool light, int value);
    // A report written to, or read from, a HID transport, as the transport tells of it, with the
    // number of the device holding it (0: none). The simulated headset's transport tells of no
    // input: what a scenario feeds is not repeated here.
    void hidWritten(int device, const QByteArray &report);
    void hidReceived(int device, const QByteArray &report);

private:
    void execute(const cScenarioCommand &command);
    void plug(const cScenarioCommand &command);
    void unplug(const cScenarioCommand &command);
    void start(const cScenarioCommand &command);
    void stop(const cScenarioCommand &command);
    void microphone(const cScenarioCommand &command);
    void info(const cScenarioCommand &command);
    void exitApplication();
    void setLatency(int ms);
    void setCompletions(cSimHidTransport::CompletionMode mode);
    void setService(cHostServices::Service service, bool up);

    void error(const cScenarioCommand &command, const QString &message);
    void error(int line, const QString &command, const QString &message);
    void input(const cScenarioCommand &command);
    bool feed(const QByteArray &report);
    void feed(const QSharedPointer<cSimHidTransport> &hid, const QByteArray &report);
    void beginReplay();
    void reportUnplayed();
    void onReplayTimer();
    void scheduleReplay();
    void takeNextReplayed();
    void showProgress(int line);

    void watchDeviceManager();
    void watchServices();
    void watch(const cAbstractTransportPtr &transport);
    cAbstractTransportPtr plugged(const cTransportChoice &choice) const;
    // The device a command names, or the oldest; null, with an "error" event, when there is none.
    cAbstractDevicePtr addressed(const cScenarioCommand &command);
    int numberHolding(const IAbstractTransport *transport) const;
    int numberOfAudioDevice(const QString &uid) const;
    void record(TraceKind::TraceKind_t kind, QList<cTraceEvent::Field> fields, int device);
    // A plug or unplug event for `transport`, whoever plugged it.
    void announce(TraceKind::TraceKind_t kind, const cAbstractTransportPtr &transport);

    void onDeviceRemoved(IAbstractDevice *device);
    void onAudioDeviceCreated(const QString &uid);
    void onAudioDeviceDestroyed(const QString &uid);
    void onModelCalled(const QString &uid, const cModelCall &call);
    void onGKey(bool pressed, int key, const QString &model, const QString &category);

    cHost &m_host;
    cSimBus &m_bus;
    cClock &m_clock;
    cTrace &m_trace;
    QHash<QString, int> m_audioDevices; // audio device uid -> device number
    int m_inputDevice = 0; // the device whose HID transport took the last input report
    int m_latencyMs = 1;
    // The HID transport input reports go to, while no plug or unplug changed it.
    QSharedPointer<cSimHidTransport> m_feedTarget;
    bool m_feedStale = true;
    cSimHidTransport::CompletionMode m_completionMode = cSimHidTransport::CompleteOnce;

    ICaptureReader *m_replay = nullptr;
    QString m_replaySource;
    qint64 m_replayOffsetMs = 0;
    cProgressLine *m_progress = nullptr;
    cExpectationChecker *m_expectations = nullptr;
    int m_line = 0; // of the last command run
    // The report due next, when there is one, and its time after the replay's start.
    cReplayedReport m_replayed;
    bool m_replayPending = false;
    qint64 m_replayedMs = 0;
    qint64 m_replayedCount = 0;
    // When the capture's first packet falls on the run's clock, once the replay has begun.
    qint64 m_replayBaseMs = 0;
    bool m_replayBegun = false;
    QTimer m_replayTimer;
    std::function<bool()> m_stopRequested;
};
