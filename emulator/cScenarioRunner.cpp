#include "cScenarioRunner.h"

#include "IAbstractDevice.h"
#include "NexaroHost.h"
#include "cCaptureReplay.h"
#include "cClock.h"
#include "cDeviceManager.h"
#include "cExpectationChecker.h"
#include "cHost.h"
#include "cMicrophoneClient.h"
#include "cProgressLine.h"
#include "cSimBus.h"
#include "cTransportFactory.h"

namespace {

cJsonValue choiceInfo(const cTransportChoice &choice)
{
    switch (choice.origin) {
    case cTransportChoice::Headset:
        return cTransportFactory::headsetInfo(choice.kind, 1);
    case cTransportChoice::Second:
        return cTransportFactory::headsetInfo(choice.kind, 2);
    case cTransportChoice::Foreign:
        break;
    }
    return cTransportFactory::foreignInfo(choice.kind, 1);
}

} // namespace

cScenarioRunner::cScenarioRunner(cHost &host, cSimBus &bus, cClock &clock, cTrace &trace, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_bus(bus)
    , m_clock(clock)
    , m_recorder(host, trace)
    , m_feed(bus, m_recorder)
{ }

cScenarioRunner::~cScenarioRunner() = default;

void cScenarioRunner::setReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs)
{
    m_replay.reset(new cCaptureReplay(capture, source, offsetMs, m_clock, m_recorder, m_feed));
    connect(m_replay.get(), &cCaptureReplay::played, this, [this] { showProgress(0); });
}

qint64 cScenarioRunner::replayLengthMs() const
{
    return m_replay ? m_replay->lengthMs() : 0;
}

void cScenarioRunner::run(const std::function<bool(cScenarioCommand *)> &next)
{
    cScenarioCommand command;
    const auto stopped = [this] { return m_stopRequested && m_stopRequested(); };
    while (!stopped() && next(&command)) {
        execute(command);
        showProgress(command.line);
    }
    if (m_replay)
        m_replay->end(stopped());
}

void cScenarioRunner::run(const cScenario &scenario)
{
    auto command = scenario.commands.cbegin();
    run([&](cScenarioCommand *next) {
        if (command == scenario.commands.cend())
            return false;
        *next = *command++;
        return true;
    });
}

void cScenarioRunner::execute(const cScenarioCommand &command)
{
    if (m_expectations && command.kind != cScenarioCommand::Expect)
        m_expectations->onCommand();
    switch (command.kind) {
    case cScenarioCommand::Plug:
        plug(command);
        break;
    case cScenarioCommand::Unplug:
        unplug(command);
        break;
    case cScenarioCommand::Start:
        start(command);
        break;
    case cScenarioCommand::Stop:
        stop(command);
        break;
    case cScenarioCommand::Input:
        input(command);
        break;
    case cScenarioCommand::Wait:
        // A replay's wait spans the whole capture: a signal must not have to wait for its end.
        m_clock.wait(command.ms, m_stopRequested);
        break;
    case cScenarioCommand::MicLight:
    case cScenarioCommand::MicNotify:
    case cScenarioCommand::MicRead:
        microphone(command);
        break;
    case cScenarioCommand::Info:
        info(command);
        break;
    case cScenarioCommand::Exit:
        exitApplication();
        break;
    case cScenarioCommand::Expect:
        if (m_expectations)
            m_expectations->check(command.expectation, command.line);
        break;
    case cScenarioCommand::Locale:
        m_recorder.record(TraceKind::Locale, {{QStringLiteral("name"), command.name}}, 0);
        Nexaro::setLocaleOverride(command.name);
        break;
    case cScenarioCommand::Latency:
        setLatency(int(command.ms));
        break;
    case cScenarioCommand::Completions:
        setCompletions(command.completions);
        break;
    case cScenarioCommand::Service:
        setService(command.service, command.up);
        break;
    }
}

void cScenarioRunner::plug(const cScenarioCommand &command)
{
    for (const cTransportChoice &choice : command.transports) {
        const cJsonValue info = choiceInfo(choice);
        const QString uid = info["uid"].toString();
        const QString kind = TransportKind::name(choice.kind);
        if (plugged(choice)) {
            error(command, QStringLiteral("%1 transport %2 is already plugged").arg(kind, uid));
            continue;
        }
        const cAbstractTransportPtr transport = cTransportFactory::create(choice.kind, info);
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport)) {
            hid->setCompletionLatency(m_latencyMs);
            hid->setCompletionMode(m_completionMode);
        }
        // Watched before it is offered, so that the trace sees the transport as its device does.
        m_recorder.watch(transport);
        m_recorder.announce(TraceKind::Plug, transport);
        m_bus.plugTransport(transport);
    }
}

void cScenarioRunner::unplug(const cScenarioCommand &command)
{
    for (const cTransportChoice &choice : command.transports) {
        const cAbstractTransportPtr transport = plugged(choice);
        const QString kind = TransportKind::name(choice.kind);
        const QString uid = choiceInfo(choice)["uid"].toString();
        if (!transport) {
            error(command, QStringLiteral("%1 transport %2 is not plugged").arg(kind, uid));
            continue;
        }
        m_recorder.announce(TraceKind::Unplug, transport);
        m_bus.unplugTransport(transport);
    }
}

void cScenarioRunner::start(const cScenarioCommand &command)
{
    cDeviceManager *devices = m_host.deviceManager();
    const cAbstractDeviceList present = devices->devices();
    if (present.isEmpty()) {
        error(command, QStringLiteral("no device to start"));
        return;
    }
    bool started = false;
    for (const cAbstractDevicePtr &device : present) {
        if (devices->isStarted(device)) {
            error(command, QStringLiteral("device %1 is already started").arg(number(device.data())));
        } else if (!devices->startDevice(device)) {
            // The host starts complete devices only: a device does not check that itself.
            error(command,
                  QStringLiteral("device %1 is not complete (validate() is %2), so it is not started")
                      .arg(number(device.data()))
                      .arg(int(device->validate())));
        } else {
            started = true;
        }
    }
    if (started && m_replay)
        m_replay->begin();
}

void cScenarioRunner::stop(const cScenarioCommand &command)
{
    if (m_host.deviceManager()->stopAll() == 0)
        error(command, QStringLiteral("no device is started"));
}

void cScenarioRunner::microphone(const cScenarioCommand &command)
{
    const cAbstractDevicePtr device = addressed(command);
    if (!device)
        return;
    const int deviceNumber = number(device.data());
    const cMicrophoneClient mic = cHost::microphone(device);
    if (!mic.isValid()) {
        error(command, QStringLiteral("device %1 has no microphone model").arg(deviceNumber));
        return;
    }

    if (command.kind == cScenarioCommand::MicRead) {
        const int caps = mic.getCaps();
        const int light = mic.getLightConfig();
        const int notify = mic.getNotificationConfig();
        const bool muted = mic.isMuted();
        m_recorder.record(TraceKind::Mic,
                          {{QStringLiteral("caps"), caps},
                           {QStringLiteral("light"), light},
                           {QStringLiteral("notify"), notify},
                           {QStringLiteral("muted"), muted}},
                          deviceNumber);
        return;
    }

    bool invoked = false;
    setMicrophone(deviceNumber, command.kind == cScenarioCommand::MicLight, command.value, &invoked);
    if (!invoked)
        error(command,
              QStringLiteral("the microphone model of device %1 could not be called").arg(deviceNumber));
}

bool cScenarioRunner::setMicrophone(int device, bool light, int value, bool *invoked)
{
    const bool result
        = cHost::microphone(m_host.deviceManager()->deviceNumbered(device)).set(light, value, invoked);
    if (!*invoked)
        return false;
    m_recorder.record(
        TraceKind::MicSet,
        {{QStringLiteral("setting"), light ? QStringLiteral("light") : QStringLiteral("notify")},
         {QStringLiteral("value"), value},
         {QStringLiteral("result"), result}},
        device);
    if (result)
        emit microphoneSet(light, value);
    return result;
}

void cScenarioRunner::info(const cScenarioCommand &command)
{
    const cAbstractDevicePtr device = addressed(command);
    if (!device)
        return;
    const QString id = device->id();
    const QJsonValue deviceInfo = device->deviceInfo().toJsonValue();
    m_recorder.record(TraceKind::Info,
                      {{QStringLiteral("id"), id}, {QStringLiteral("deviceInfo"), deviceInfo}},
                      number(device.data()));
}

void cScenarioRunner::exitApplication()
{
    m_recorder.record(TraceKind::Exit,
                      {{QStringLiteral("source"), QStringLiteral("MainApp_Events")},
                       {QStringLiteral("name"), QStringLiteral("ExitApplication")}},
                      0);
    m_host.exitApplication();
}

void cScenarioRunner::setLatency(int ms)
{
    m_latencyMs = ms;
    m_recorder.record(TraceKind::Latency, {{QStringLiteral("ms"), m_latencyMs}}, 0);
    for (const cAbstractTransportPtr &transport : m_bus.transports()) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport))
            hid->setCompletionLatency(m_latencyMs);
    }
}

void cScenarioRunner::setCompletions(cSimHidTransport::CompletionMode mode)
{
    m_completionMode = mode;
    m_recorder.record(TraceKind::Completions,
                      {{QStringLiteral("mode"), cScenarioCommand::completionsName(mode)}}, 0);
    for (const cAbstractTransportPtr &transport : m_bus.transports()) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport))
            hid->setCompletionMode(m_completionMode);
    }
}

void cScenarioRunner::setService(cHostServices::Service service, bool up)
{
    m_recorder.record(
        TraceKind::Service,
        {{QStringLiteral("name"), cHostServices::name(service)}, {QStringLiteral("available"), up}}, 0);
    m_host.services().setAvailable(service, up);
}

void cScenarioRunner::input(const cScenarioCommand &command)
{
    if (command.device == 0) {
        if (!m_feed.feed(command.report))
            error(command, QStringLiteral("no headset HID transport is plugged"));
        return;
    }
    const cAbstractDevicePtr device = addressed(command);
    if (!device)
        return;
    for (const cAbstractTransportPtr &transport : m_host.deviceManager()->transportsOf(device)) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport)) {
            m_feed.feed(hid, command.report);
            return;
        }
    }
    error(command, QStringLiteral("device %1 holds no HID transport").arg(command.device));
}

cAbstractTransportPtr cScenarioRunner::plugged(const cTransportChoice &choice) const
{
    const cJsonValue uid = choiceInfo(choice)["uid"];
    for (const cAbstractTransportPtr &transport : m_bus.transports()) {
        if (transport->info()["uid"] == uid && TransportKind::of(transport.data()) == choice.kind)
            return transport;
    }
    return cAbstractTransportPtr();
}

cAbstractDevicePtr cScenarioRunner::addressed(const cScenarioCommand &command)
{
    if (command.device == 0) {
        const cAbstractDevicePtr oldest = m_host.deviceManager()->oldestDevice();
        if (!oldest)
            error(command, QStringLiteral("no device"));
        return oldest;
    }
    const cAbstractDevicePtr device = m_host.deviceManager()->deviceNumbered(command.device);
    if (!device)
        error(command, QStringLiteral("no device %1").arg(command.device));
    return device;
}

void cScenarioRunner::error(const cScenarioCommand &command, const QString &message)
{
    m_recorder.error(command.line, command.keyword(), message);
}

void cScenarioRunner::showProgress(int line)
{
    if (line > 0)
        m_line = line;
    if (m_progress)
        m_progress->update(m_clock.nowMs(), m_line, m_replay ? m_replay->playedCount() : 0);
}

int cScenarioRunner::number(const IAbstractDevice *device) const
{
    return m_host.deviceManager()->number(device);
}
