#pragma once
#include "ICaptureReader.h"
#include "Types.h"
#include "cHeadsetFeed.h"
#include "cHostServices.h"
#include "cRunRecorder.h"
#include "cScenario.h"
#include "cSimHidTransport.h"

#include <QObject>

#include <functional>
#include <memory>

class IAbstractDevice;
class cCaptureReplay;
class cClock;
class cExpectationChecker;
class cProgressLine;
class cHost;
class cSimBus;
class cTrace;

// Plays a scenario against a host that has its plugin loaded, one command after the other on the
// run's clock. Its recorder writes what the host, the plugin and the simulated headset do to the
// trace; the commands add what the host asked.
//
// Commands that address one device (mic, info, input) address the one whose number they give, or
// without one, the oldest one still present (input: the headset's HID transport, whichever device
// holds it). A command that makes no sense in the state (start with no device, input with no
// headset) is recorded as an "error" event and the run goes on.
class cScenarioRunner : public QObject
{
    Q_OBJECT
public:
    cScenarioRunner(cHost &host, cSimBus &bus, cClock &clock, cTrace &trace, QObject *parent = nullptr);
    ~cScenarioRunner() override;

    // What writes the run's trace: a live bus is watched through it too.
    cRunRecorder &recorder() { return m_recorder; }

    // A capture (read() already, not owned) to play to the headset from the first start on (see
    // cCaptureReplay). `source` names it in the trace.
    void setReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs = 0);
    // When the last of the replayed reports is due, in milliseconds after the first start.
    qint64 replayLengthMs() const;

    // Asked before each command and while time passes: true ends the run there (a signal asked
    // the program to stop).
    void setStopRequested(std::function<bool()> stopRequested) { m_stopRequested = std::move(stopRequested); }
    // What checks the scenario's expect lines (not owned); without one they are passed over.
    void setExpectations(cExpectationChecker *checker) { m_expectations = checker; }
    // Where the run tells how far it has got (not owned); none by default.
    void setProgress(cProgressLine *progress) { m_progress = progress; }

    // Runs the commands that `next` hands over until it returns false.
    void run(const std::function<bool(cScenarioCommand *)> &next);
    void run(const cScenario &scenario);

    // Gives `device`'s microphone model a light (`light`) or notification setting as "mic light"
    // and "mic notify" do, traced the same way; the model's answer. `invoked` is false when the
    // device has no microphone model or it could not be called.
    bool setMicrophone(int device, bool light, int value, bool *invoked);

signals:
    // A scenario's "mic light" or "mic notify" that the microphone model accepted.
    void microphoneSet(bool light, int value);

private:
    void execute(const cScenarioCommand &command);
    void plug(const cScenarioCommand &command);
    void unplug(const cScenarioCommand &command);
    void start(const cScenarioCommand &command);
    void stop(const cScenarioCommand &command);
    void microphone(const cScenarioCommand &command);
    void info(const cScenarioCommand &command);
    void input(const cScenarioCommand &command);
    void exitApplication();
    void setLatency(int ms);
    void setCompletions(cSimHidTransport::CompletionMode mode);
    void setService(cHostServices::Service service, bool up);

    void error(const cScenarioCommand &command, const QString &message);
    void showProgress(int line);
    cAbstractTransportPtr plugged(const cTransportChoice &choice) const;
    // The device a command names, or the oldest; null, with an "error" event, when there is none.
    cAbstractDevicePtr addressed(const cScenarioCommand &command);
    int number(const IAbstractDevice *device) const;

    cHost &m_host;
    cSimBus &m_bus;
    cClock &m_clock;
    cRunRecorder m_recorder;
    cHeadsetFeed m_feed;
    std::unique_ptr<cCaptureReplay> m_replay;
    int m_latencyMs = 1;
    cSimHidTransport::CompletionMode m_completionMode = cSimHidTransport::CompleteOnce;
    cProgressLine *m_progress = nullptr;
    cExpectationChecker *m_expectations = nullptr;
    int m_line = 0; // of the last command run
    std::function<bool()> m_stopRequested;
};
