#include "cEmulatorRun.h"

#include "ManifestCheck.h"
#include "NexaroHost.h"
#include "RunExit.h"
#include "cDesktop.h"
#include "cEmulatorOptions.h"
#include "cHidRecordSink.h"
#include "cHost.h"
#include "cJsonLinesSink.h"
#include "cLiveHost.h"
#include "cLogCapture.h"
#include "cPcapSink.h"
#include "cProfilerEventReceiver.h"
#include "cRunInputs.h"
#include "cScenarioParser.h"
#include "cScenarioRunner.h"
#include "cServiceCallTracer.h"
#include "cSimDeviceFacts.h"
#include "cTerminalPrinter.h"
#include "cTimelineSink.h"
#ifdef Q71_HAVE_SESSION_BUS
#include "StderrLog.h"
#include "cHeadsetsService.h"
#endif

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// How long a run that ends waits for the user's commands it started, in all.
const int g_commandGraceMs = 3000;

} // namespace

cEmulatorRun::cEmulatorRun(const cEmulatorOptions &options, cRunInputs &inputs)
    : m_options(options)
    , m_inputs(inputs)
    , m_signalStop(!m_clock.isVirtual())
    , m_trace(m_clock)
    , m_progress(stderr)
{
    QObject::connect(&m_signalStop, &cSignalStop::caught, [] { QCoreApplication::exit(); });
}

cEmulatorRun::~cEmulatorRun() = default;

bool cEmulatorRun::stopped()
{
    return cSignalStop::caughtSignal() != 0;
}

int cEmulatorRun::exec()
{
    if (m_options.locale)
        Nexaro::setLocaleOverride(*m_options.locale);
    // The framework's reasons for a failed call are counted in every run and shown in verbose
    // ones (cLogCapture), so that the summary does not depend on what was shown.
    QLoggingCategory::setFilterRules(QStringLiteral("nexaro.services.warning=true"));
    if (m_options.live)
        m_live.reset(new cLiveHost);
    m_host.reset(new cHost);
    m_host->attachBus(&m_bus);
    if (const int status = serveSessionBus())
        return status;
    m_out.open(stdout, QIODevice::WriteOnly);
    QString error;
    if (!openSinks(&error))
        return RunExit::fail(error);
    attachSinks();

    const int status = conclude(play());
    // What the scenario left running is taken down untraced, as the host application closes; the
    // services it took away come back first, so that the teardown finds them.
    for (cHostServices::Service service : cHostServices::All)
        m_host->services().setAvailable(service, true);
    return status;
}

// The trace names the plugin as the user gave it; it is loaded from where the stage put it.
bool cEmulatorRun::openSinks(QString *error)
{
    if (m_options.json)
        m_printerSink.reset(new cJsonLinesSink(&m_out, m_options.quiet));
    else
        m_printerSink.reset(new cTimelineSink(
            &m_out,
            QStringLiteral("q71-host %1: %2 on the %3 clock, plugin %4")
                .arg(QCoreApplication::applicationVersion(), m_inputs.title,
                     m_clock.isVirtual() ? QStringLiteral("virtual") : QStringLiteral("real"),
                     cScenarioParser::printable(
                         QDir::cleanPath(QFileInfo(m_options.pluginFile).absoluteFilePath()))),
            m_options.quiet));
    // The session bus, taken first, may hold the facts already.
    if ((m_options.pcapFile || m_options.recordFile) && !m_facts)
        m_facts.reset(m_options.live ? cLiveHost::newDeviceFacts() : new cSimDeviceFacts);
    if (m_options.pcapFile) {
        m_pcap.reset(
            new cPcapSink(*m_facts, m_clock.isVirtual() ? 0 : QDateTime::currentMSecsSinceEpoch() * 1000));
        if (!m_pcap->open(*m_options.pcapFile))
            *error = m_pcap->errorString();
    }
    if (m_options.recordFile && error->isEmpty()) {
        m_record.reset(new cHidRecordSink(*m_facts));
        if (!m_record->open(*m_options.recordFile))
            *error = m_record->errorString();
    }
    return error->isEmpty();
}

void cEmulatorRun::attachSinks()
{
    m_printer.reset(new cTerminalPrinter(m_printerSink.get(), stdout, m_progress));
    m_trace.addSink(m_printer.get());
    if (m_pcap)
        m_trace.addSink(m_pcap.get());
    if (m_record)
        m_trace.addSink(m_record.get());
    cRunChecks &checks = m_inputs.checks;
    checks.setStopRequested(&cEmulatorRun::stopped);
    checks.attach(m_trace, m_inputs.scenario.source(), [this](const QString &line) {
        m_progress.clear();
        RunExit::printLines({line});
    });
}

// Every Qt message of the time goes into the trace; what the scenario played with goes before the
// rest of the run ends.
int cEmulatorRun::play()
{
    m_log.reset(new cLogCapture(m_trace, m_options.verbose));
    if (m_options.verbose)
        m_serviceTracer.reset(new cServiceCallTracer(m_trace));
    const int status = playScenario();
#ifdef Q71_HAVE_SESSION_BUS
    m_service.reset();
#endif
    m_desktop.reset();
    m_runner.reset();
    m_serviceTracer.reset();
    m_log.reset();
    return status;
}

// A live run, and one a signal stopped, end as if every transport were unplugged, traced.
int cEmulatorRun::playScenario()
{
    for (const QString &problem :
         ManifestCheck::problems(m_inputs.stage.manifestPath(), m_inputs.stage.manifestFile()))
        m_trace.record(
            TraceKind::Log,
            {{QStringLiteral("level"), QStringLiteral("warning")}, {QStringLiteral("message"), problem}});
    if (!m_host->loadPlugin(m_inputs.stage.pluginFile()))
        return RunExit::fail(m_host->pluginError());

    m_runner.reset(new cScenarioRunner(*m_host, m_bus, m_clock, m_trace));
    m_runner->setStopRequested(&cEmulatorRun::stopped);
    if (m_inputs.config.settings())
        composeDesktop();
    composeService();
    if (m_live)
        m_live->begin(*m_host, m_runner->recorder());
    m_runner->setProgress(&m_progress);
    m_runner->setExpectations(m_inputs.checks.expectations());
    if (m_options.replayFile)
        m_runner->setReplay(m_inputs.capture.get(), QFileInfo(*m_options.replayFile).fileName(),
                            m_options.replayOffsetMs);
    if (m_options.replayFile && !m_options.scenario)
        m_runner->run(cRunInputs::replayScenario(m_runner->replayLengthMs()));
    else if (m_options.scenario || !m_live)
        m_runner->run([this](cScenarioCommand *command) { return m_inputs.scenario.next(command); });
    m_progress.clear();
    // A scenario that cannot be read to its end the second time did not run as written.
    if (!m_inputs.scenario.errorString().isEmpty())
        return RunExit::fail(cScenarioParser::printable(m_inputs.scenario.errorString()));
    // The signal's notifier ends the event loop. A run that serves the session bus with --dbus
    // keeps its headsets there for others until then.
    if (((m_live && !m_options.scenario) || (m_options.dbus && servesSessionBus())) && !stopped())
        QCoreApplication::exec();
    if (m_live || stopped())
        m_host->deviceManager()->clear();
    // A signal while the commands finish stops them and the run at once, with its exit code.
    if (m_desktop)
        m_desktop->finish(g_commandGraceMs, &cEmulatorRun::stopped);
    m_trace.finish();
    const int signal = cSignalStop::caughtSignal();
    return signal != 0 ? cSignalStop::exitCode(signal) : 0;
}

// The desktop hears the host itself; what the runner watches on the transports, and which device
// a key belongs to, it is told here.
void cEmulatorRun::composeDesktop()
{
    m_desktop.reset(
        new cDesktop(*m_host, m_inputs.config, {!m_clock.isVirtual(), m_options.live, m_options.volumeStep}));
    cDesktop *desktop = m_desktop.get();
    cRunRecorder &recorder = m_runner->recorder();
    QObject::connect(&recorder, &cRunRecorder::hidWritten, desktop, &cDesktop::hidWritten);
    QObject::connect(&recorder, &cRunRecorder::hidReceived, desktop, &cDesktop::hidReceived);
    cProfilerEventReceiver *profiler = m_host->profilerEvents();
    QObject::connect(profiler, &cProfilerEventReceiver::gKeyPressed, desktop,
                     [desktop, &recorder](int key, const QString &model) {
                         desktop->key(true, key, model, recorder.inputDevice());
                     });
    QObject::connect(profiler, &cProfilerEventReceiver::gKeyReleased, desktop,
                     [desktop, &recorder](int key, const QString &model) {
                         desktop->key(false, key, model, recorder.inputDevice());
                     });
    // What a scenario sets holds for this run only: a scenario never writes the user's file.
    QObject::connect(m_runner.get(), &cScenarioRunner::microphoneSet, desktop, &cDesktop::rememberMicrophone);
}

int cEmulatorRun::serveSessionBus()
{
#ifdef Q71_HAVE_SESSION_BUS
    if (!m_options.servesSessionBus())
        return 0;
    m_service.reset(new cHeadsetsService(*m_host));
    QString message;
    switch (m_service->start(&message)) {
    case cHeadsetsService::Serving:
        break;
    case cHeadsetsService::NameTaken:
        m_service.reset();
        return RunExit::fail(message);
    case cHeadsetsService::NoBus:
        m_service.reset();
        StderrLog::write(QtWarningMsg, message);
        return 0;
    }
    // The nodes and sound cards of what the bus plugs; the captures share them.
    m_facts.reset(m_options.live ? cLiveHost::newDeviceFacts() : new cSimDeviceFacts);
    m_service->access().facts = m_facts.get();
#endif
    return 0;
}

bool cEmulatorRun::servesSessionBus() const
{
#ifdef Q71_HAVE_SESSION_BUS
    return m_service != nullptr;
#else
    return false;
#endif
}

void cEmulatorRun::composeService()
{
#ifdef Q71_HAVE_SESSION_BUS
    if (!m_service)
        return;
    cHeadsetsService *service = m_service.get();
    cScenarioRunner *runner = m_runner.get();
    service->access().setMicrophone = [runner](int device, bool light, int value, bool *invoked) {
        return runner->setMicrophone(device, light, value, invoked);
    };
    service->setDesktop(m_desktop.get());
    cRunRecorder &recorder = runner->recorder();
    QObject::connect(&recorder, &cRunRecorder::deviceTraced, service, &cHeadsetsService::traffic);
    cProfilerEventReceiver *profiler = m_host->profilerEvents();
    QObject::connect(profiler, &cProfilerEventReceiver::gKeyPressed, service,
                     [service, &recorder](int key) { service->key(true, key, recorder.inputDevice()); });
    QObject::connect(profiler, &cProfilerEventReceiver::gKeyReleased, service,
                     [service, &recorder](int key) { service->key(false, key, recorder.inputDevice()); });
#endif
}

int cEmulatorRun::conclude(int status)
{
    // A run a signal stopped tells what it compared until then, and keeps its exit code.
    cRunChecks &checks = m_inputs.checks;
    const QStringList failures = status == 0 ? checks.failures(m_trace.summary())
        : stopped()                          ? checks.stoppedReport()
                                             : QStringList();
    RunExit::printLines(failures);
    if (status == 0 && !failures.isEmpty())
        status = RunExit::CheckFailed;
    // A run a signal stopped keeps its exit code (130, 143) unless its output was lost too.
    if (status == RunExit::Failure)
        return status;
    QString error;
    if (m_pcap && !m_pcap->close())
        error = m_pcap->errorString();
    else if (m_record && !m_record->close())
        error = m_record->errorString();
    if (!error.isEmpty()) {
        RunExit::fail(error);
        status = RunExit::OutputFailure;
    }
    if (status != RunExit::Failure && (!m_out.flush() || std::fflush(stdout) != 0 || std::ferror(stdout))) {
        RunExit::fail(QStringLiteral("cannot write to standard output: %1")
                          .arg(m_out.error() != QFileDevice::NoError
                                   ? m_out.errorString()
                                   : QString::fromLocal8Bit(std::strerror(errno))));
        status = RunExit::OutputFailure;
    }
    return status;
}
