#pragma once
#include "cClock.h"
#include "cProgressLine.h"
#include "cSignalStop.h"
#include "cSimBus.h"
#include "cTrace.h"

#include <QFile>

#include <memory>

class IDeviceFacts;
class ITraceSink;
class cDesktop;
class cHeadsetsService;
class cHidRecordSink;
class cHost;
class cLiveHost;
class cLogCapture;
class cPcapSink;
class cRunInputs;
class cScenarioRunner;
class cServiceCallTracer;
class cTerminalPrinter;
struct cEmulatorOptions;

// One run of q71-host, composed once from its options and its opened inputs: the clock, the
// trace and where it goes (the printer on standard output, the capture files), the host with the
// simulated bus and, with --live, the machine's own headsets (cLiveHost), the runner that plays
// the scenario and traces the transports, and the desktop the configuration asks for.
//
// The parts are made in the order they were always made, each when the run comes to it: the
// buses before the host, which takes every transport back from the devices as it goes, and the
// runner and desktop only once the plugin loaded, with every Qt message going into the trace. The
// session bus is taken before anything is written, so that a second instance says only who owns it.
class cEmulatorRun
{
public:
    // Both must outlive the run.
    cEmulatorRun(const cEmulatorOptions &options, cRunInputs &inputs);
    ~cEmulatorRun();

    // Runs to the end and gives the program's exit code.
    int exec();

private:
    bool openSinks(QString *error);
    void attachSinks();
    // 0, or the exit code of a plugin that did not load, of a scenario that could not be read
    // again, or of a run a signal stopped.
    int play();
    int playScenario();
    void composeDesktop();
    // 0, or the exit code of a session bus whose name another program holds.
    int serveSessionBus();
    // The service hears what the runner watches on the transports and what it sets.
    void composeService();
    bool servesSessionBus() const;
    // The exit code once the run's checks are told and its output is flushed.
    int conclude(int status);
    static bool stopped();

    const cEmulatorOptions &m_options;
    cRunInputs &m_inputs;
    QFile m_out;
    cClock m_clock;
    // A signal ends every loop the run is in (the wall clock's waits are event loops); on the
    // virtual clock the runner sees it before its next command. Made before anything of the run
    // starts a thread, which then starts with the signals blocked.
    cSignalStop m_signalStop;
    cTrace m_trace;
    // What the captures say of the devices: the live bus's or the simulated one's.
    std::unique_ptr<IDeviceFacts> m_facts;
    std::unique_ptr<ITraceSink> m_printerSink;
    std::unique_ptr<cPcapSink> m_pcap;
    std::unique_ptr<cHidRecordSink> m_record;
    cProgressLine m_progress;
    std::unique_ptr<cTerminalPrinter> m_printer;
    // A live run's simulated bus stays empty: it refuses the commands that would use it.
    cSimBus m_bus;
    std::unique_ptr<cLiveHost> m_live;
    std::unique_ptr<cHost> m_host;
    // For the time the scenario plays.
    std::unique_ptr<cLogCapture> m_log;
    std::unique_ptr<cServiceCallTracer> m_serviceTracer;
    std::unique_ptr<cScenarioRunner> m_runner;
    std::unique_ptr<cDesktop> m_desktop;
#ifdef Q71_HAVE_SESSION_BUS
    // The headsets on the session bus, while it is served.
    std::unique_ptr<cHeadsetsService> m_service;
#endif
};
