#include "cScenarioRunner.h"

#include "IAbstractDevice.h"
#include "ITransportBus.h"
#include "NexaroHost.h"
#include "ReportMeaning.h"
#include "cAudioDeviceMgrService.h"
#include "cClock.h"
#include "cDeviceManager.h"
#include "cExpectationChecker.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cMicrophoneClient.h"
#include "cProfilerEventReceiver.h"
#include "cProgressLine.h"
#include "cSimBus.h"
#include "cTrace.h"
#include "cTransportFactory.h"
#include "cTransportTap.h"

#include <QJsonArray>

#include <algorithm>
#include <limits>

namespace {

// Errors of the replay name no line of the scenario.
const int g_replayLine = 0;
const char g_replayCommand[] = "replay";

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
    , m_trace(trace)
{
    watchDeviceManager();
    watchServices();
    // Whatever the bus gains or loses, the transport input goes to is looked up again.
    const auto busChanged = [this] {
        m_feedTarget.reset();
        m_feedStale = true;
    };
    connect(&m_bus, &ITransportBus::transportAdded, this, busChanged);
    connect(&m_bus, &ITransportBus::transportRemoved, this, busChanged);
    m_replayTimer.setSingleShot(true);
    m_replayTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replayTimer, &QTimer::timeout, this, &cScenarioRunner::onReplayTimer);
}

cScenarioRunner::~cScenarioRunner() = default;

void cScenarioRunner::watchDeviceManager()
{
    cDeviceManager *devices = m_host.deviceManager();
    connect(devices, &cDeviceManager::createDeviceCalled, this,
            [this](const QString &, const QString &kind, bool created) {
                // The device is announced right after this signal; it takes the next number.
                record(TraceKind::CreateDevice,
                       {{QStringLiteral("transport"), kind}, {QStringLiteral("result"), created}},
                       created ? m_host.deviceManager()->nextNumber() : 0);
            });
    connect(devices, &cDeviceManager::addTransportCalled, this,
            [this](IAbstractDevice *device, const QString &kind, bool accepted) {
                record(TraceKind::AddTransport,
                       {{QStringLiteral("transport"), kind}, {QStringLiteral("result"), accepted}},
                       number(device));
            });
    connect(devices, &cDeviceManager::removeTransportCalled, this,
            [this](IAbstractDevice *device, const QString &kind) {
                record(TraceKind::RemoveTransport, {{QStringLiteral("transport"), kind}}, number(device));
            });
    connect(devices, &cDeviceManager::validated, this, [this](IAbstractDevice *device, int result) {
        record(TraceKind::Validate, {{QStringLiteral("result"), result}}, number(device));
    });
    connect(devices, &cDeviceManager::deviceStarting, this,
            [this](IAbstractDevice *device) { record(TraceKind::Start, {}, number(device)); });
    connect(devices, &cDeviceManager::deviceStopping, this,
            [this](IAbstractDevice *device) { record(TraceKind::Stop, {}, number(device)); });
    connect(devices, &cDeviceManager::deviceRemoved, this, &cScenarioRunner::onDeviceRemoved);
}

void cScenarioRunner::watchServices()
{
    cAudioDeviceMgrService *audio = m_host.services().audioDeviceMgr();
    connect(audio, &cAudioDeviceMgrService::audioDeviceCreated, this, &cScenarioRunner::onAudioDeviceCreated);
    connect(audio, &cAudioDeviceMgrService::audioDeviceDestroyed, this,
            &cScenarioRunner::onAudioDeviceDestroyed);
    connect(audio, &cAudioDeviceMgrService::modelCalled, this, &cScenarioRunner::onModelCalled);

    // The trace is the run's record of key events: the receiver's own list is emptied as they
    // come, or a long run would hold every one of them.
    cProfilerEventReceiver *profiler = m_host.profilerEvents();
    connect(profiler, &cProfilerEventReceiver::gKeyPressed, this,
            [this, profiler](int key, const QString &model, const QString &category) {
                onGKey(true, key, model, category);
                profiler->clear();
            });
    connect(profiler, &cProfilerEventReceiver::gKeyReleased, this,
            [this, profiler](int key, const QString &model, const QString &category) {
                onGKey(false, key, model, category);
                profiler->clear();
            });
}

void cScenarioRunner::setReplay(ICaptureReader *capture, const QString &source, qint64 offsetMs)
{
    m_replay = capture;
    m_replaySource = source;
    m_replayOffsetMs = offsetMs;
}

qint64 cScenarioRunner::replayLengthMs() const
{
    return m_replay ? std::max<qint64>(0, m_replay->lengthUsec() / 1000 + m_replayOffsetMs) : 0;
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

void cScenarioRunner::run(const std::function<bool(cScenarioCommand *)> &next)
{
    cScenarioCommand command;
    const auto stopped = [this] { return m_stopRequested && m_stopRequested(); };
    while (!stopped() && next(&command)) {
        execute(command);
        showProgress(command.line);
    }

    // A run the user stopped did not end early by a fault of its scenario.
    if (m_replay && !stopped())
        reportUnplayed();
    m_replayTimer.stop();
    m_replayPending = false;
}

void cScenarioRunner::reportUnplayed()
{
    if (!m_replayBegun)
        error(g_replayLine, QLatin1String(g_replayCommand),
              QStringLiteral("no device was started, so no report of %1 was played").arg(m_replaySource));
    else if (m_replayPending)
        error(g_replayLine, QLatin1String(g_replayCommand),
              QStringLiteral("the scenario ended before %1 of the %2 reports of %3 were due")
                  .arg(m_replay->reportCount() - m_replayedCount)
                  .arg(m_replay->reportCount())
                  .arg(m_replaySource));
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
        record(TraceKind::Locale, {{QStringLiteral("name"), command.name}}, 0);
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
        watch(transport);
        announce(TraceKind::Plug, transport);
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
        announce(TraceKind::Unplug, transport);
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
    if (started)
        beginReplay();
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
        record(TraceKind::Mic,
               {{QStringLiteral("caps"), caps},
                {QStringLiteral("light"), light},
                {QStringLiteral("notify"), notify},
                {QStringLiteral("muted"), muted}},
               deviceNumber);
        return;
    }

    const bool light = command.kind == cScenarioCommand::MicLight;
    bool invoked = false;
    const bool result = mic.set(light, command.value, &invoked);
    if (!invoked) {
        error(command,
              QStringLiteral("the microphone model of device %1 could not be called").arg(deviceNumber));
        return;
    }
    record(TraceKind::MicSet,
           {{QStringLiteral("setting"), light ? QStringLiteral("light") : QStringLiteral("notify")},
            {QStringLiteral("value"), command.value},
            {QStringLiteral("result"), result}},
           deviceNumber);
    if (result)
        emit microphoneSet(light, command.value);
}

void cScenarioRunner::info(const cScenarioCommand &command)
{
    const cAbstractDevicePtr device = addressed(command);
    if (!device)
        return;
    const QString id = device->id();
    const QJsonValue deviceInfo = device->deviceInfo().toJsonValue();
    record(TraceKind::Info, {{QStringLiteral("id"), id}, {QStringLiteral("deviceInfo"), deviceInfo}},
           number(device.data()));
}

void cScenarioRunner::exitApplication()
{
    record(TraceKind::Exit,
           {{QStringLiteral("source"), QStringLiteral("MainApp_Events")},
            {QStringLiteral("name"), QStringLiteral("ExitApplication")}},
           0);
    m_host.exitApplication();
}

void cScenarioRunner::setLatency(int ms)
{
    m_latencyMs = ms;
    record(TraceKind::Latency, {{QStringLiteral("ms"), m_latencyMs}}, 0);
    for (const cAbstractTransportPtr &transport : m_bus.transports()) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport))
            hid->setCompletionLatency(m_latencyMs);
    }
}

void cScenarioRunner::setCompletions(cSimHidTransport::CompletionMode mode)
{
    m_completionMode = mode;
    record(TraceKind::Completions, {{QStringLiteral("mode"), cScenarioCommand::completionsName(mode)}}, 0);
    for (const cAbstractTransportPtr &transport : m_bus.transports()) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport))
            hid->setCompletionMode(m_completionMode);
    }
}

void cScenarioRunner::setService(cHostServices::Service service, bool up)
{
    record(TraceKind::Service,
           {{QStringLiteral("name"), cHostServices::name(service)}, {QStringLiteral("available"), up}}, 0);
    m_host.services().setAvailable(service, up);
}

void cScenarioRunner::error(const cScenarioCommand &command, const QString &message)
{
    error(command.line, command.keyword(), message);
}

void cScenarioRunner::error(int line, const QString &command, const QString &message)
{
    record(TraceKind::Error,
           {{QStringLiteral("line"), line},
            {QStringLiteral("command"), command},
            {QStringLiteral("message"), message}},
           0);
}

void cScenarioRunner::input(const cScenarioCommand &command)
{
    if (command.device == 0) {
        if (!feed(command.report))
            error(command, QStringLiteral("no headset HID transport is plugged"));
        return;
    }
    const cAbstractDevicePtr device = addressed(command);
    if (!device)
        return;
    for (const cAbstractTransportPtr &transport : m_host.deviceManager()->transportsOf(device)) {
        if (const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(transport)) {
            feed(hid, command.report);
            return;
        }
    }
    error(command, QStringLiteral("device %1 holds no HID transport").arg(command.device));
}

bool cScenarioRunner::feed(const QByteArray &report)
{
    // The headset talks through its own HID transport: unit 1's, or the second unit's when the
    // first is gone. Another product's transport never carries the headset's reports.
    // Looked up again only when the bus changed: a replay feeds millions of reports through the
    // same transport.
    if (m_feedStale) {
        for (int unit : {1, 2}) {
            if (!m_feedTarget)
                m_feedTarget = m_bus.hidTransport(unit);
        }
        m_feedStale = false;
    }
    // A copy: what the report sets off may plug or unplug, which resets the target.
    const QSharedPointer<cSimHidTransport> hid = m_feedTarget;
    if (!hid)
        return false;
    feed(hid, report);
    return true;
}

void cScenarioRunner::feed(const QSharedPointer<cSimHidTransport> &hid, const QByteArray &report)
{
    // Traced before it happens, like everything the headset sets off; a transport that is not
    // started will drop it, and the trace says so.
    QList<cTraceEvent::Field> fields {{QStringLiteral("report"), ReportMeaning::hex(report)}};
    if (!hid->started())
        fields.append({QStringLiteral("dropped"), true});
    record(TraceKind::HidInput, fields, numberHolding(hid.data()));
    hid->feedInput(report);
}

void cScenarioRunner::beginReplay()
{
    if (!m_replay || m_replayBegun)
        return;
    m_replayBegun = true;
    m_replayBaseMs = m_clock.nowMs() + m_replayOffsetMs;
    // The capture's own time of its first packet, as tshark shows a packet's epoch time.
    const qint64 first = m_replay->firstPacketUsec();
    record(TraceKind::Replay,
           {{QStringLiteral("file"), m_replaySource},
            {QStringLiteral("reports"), m_replay->reportCount()},
            {QStringLiteral("first"),
             QStringLiteral("%1.%2").arg(first / 1000000).arg(first % 1000000, 6, 10, QLatin1Char('0'))},
            {QStringLiteral("offset"), m_replayOffsetMs}},
           0);
    if (m_replay->rewind())
        takeNextReplayed();
    else
        error(g_replayLine, QLatin1String(g_replayCommand), m_replay->errorString());
    scheduleReplay();
}

void cScenarioRunner::takeNextReplayed()
{
    m_replayPending = m_replay->next(&m_replayed);
    // Merged captures can step back in time; the reports keep their order all the same.
    if (m_replayPending)
        m_replayedMs = std::max(m_replayedMs, m_replayed.usecFromFirst / 1000);
    else if (!m_replay->errorString().isEmpty())
        error(g_replayLine, QLatin1String(g_replayCommand), m_replay->errorString());
}

void cScenarioRunner::scheduleReplay()
{
    if (!m_replayPending)
        return;
    // A QTimer takes an int of milliseconds: a report further off than that is reached in steps.
    const qint64 wait = m_replayBaseMs + m_replayedMs - m_clock.nowMs();
    m_replayTimer.start(int(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

void cScenarioRunner::onReplayTimer()
{
    // Reports due at the same millisecond go out together, in capture order.
    const qint64 now = m_clock.nowMs();
    while (m_replayPending && m_replayBaseMs + m_replayedMs <= now) {
        if (!feed(m_replayed.data)) {
            error(g_replayLine, QLatin1String(g_replayCommand),
                  QStringLiteral("no headset HID transport is plugged: %1 reports of %2 were not played")
                      .arg(m_replay->reportCount() - m_replayedCount)
                      .arg(m_replaySource));
            m_replayPending = false;
            return;
        }
        ++m_replayedCount;
        takeNextReplayed();
    }
    showProgress(0);
    scheduleReplay();
}

void cScenarioRunner::showProgress(int line)
{
    if (line > 0)
        m_line = line;
    if (m_progress)
        m_progress->update(m_clock.nowMs(), m_line, m_replayedCount);
}

void cScenarioRunner::watch(const cAbstractTransportPtr &transport)
{
    cTransportTap *tap = cTransportTap::of(transport.data());
    if (!tap)
        return;
    IAbstractTransport *raw = transport.data();
    connect(tap, &cTransportTap::runningChanged, this, [this, raw](bool on) {
        record(TraceKind::Transport,
               {{QStringLiteral("transport"), TransportKind::nameOf(raw)},
                {QStringLiteral("op"), on ? QStringLiteral("start") : QStringLiteral("stop")}},
               numberHolding(raw));
    });
    connect(tap, &cTransportTap::written, this, [this, raw](const QByteArray &report, int cookie) {
        const int device = numberHolding(raw);
        record(TraceKind::HidWrite,
               {{QStringLiteral("report"), ReportMeaning::hex(report)}, {QStringLiteral("cookie"), cookie}},
               device);
        emit hidWritten(device, report);
    });
    connect(tap, &cTransportTap::writeCompleted, this, [this, raw](int cookie) {
        record(TraceKind::HidComplete, {{QStringLiteral("cookie"), cookie}}, numberHolding(raw));
    });
    // A simulated headset's input is recorded as the scenario feeds it; a real one's as it arrives.
    connect(tap, &cTransportTap::received, this, [this, raw](const QByteArray &report) {
        const int device = numberHolding(raw);
        record(TraceKind::HidInput, {{QStringLiteral("report"), ReportMeaning::hex(report)}}, device);
        emit hidReceived(device, report);
    });
}

void cScenarioRunner::watchBus(ITransportBus *bus)
{
    connect(bus, &ITransportBus::transportAdded, this, [this](const cAbstractTransportPtr &transport) {
        watch(transport);
        announce(TraceKind::Plug, transport);
    });
    connect(bus, &ITransportBus::transportRemoved, this,
            [this](const cAbstractTransportPtr &transport) { announce(TraceKind::Unplug, transport); });
}

void cScenarioRunner::announce(TraceKind::TraceKind_t kind, const cAbstractTransportPtr &transport)
{
    record(kind,
           {{QStringLiteral("transport"), TransportKind::nameOf(transport.data())},
            {QStringLiteral("uid"), transport->info()["uid"].toString()}},
           0);
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
    const cAbstractDevicePtr device = deviceNumbered(command.device);
    if (!device)
        error(command, QStringLiteral("no device %1").arg(command.device));
    return device;
}

cAbstractDevicePtr cScenarioRunner::deviceNumbered(int deviceNumber) const
{
    return m_host.deviceManager()->deviceNumbered(deviceNumber);
}

int cScenarioRunner::number(const IAbstractDevice *device) const
{
    return m_host.deviceManager()->number(device);
}

int cScenarioRunner::numberHolding(const IAbstractTransport *transport) const
{
    return m_host.deviceManager()->numberHolding(transport);
}

int cScenarioRunner::numberOfAudioDevice(const QString &uid) const
{
    return m_audioDevices.value(uid, 0);
}

void cScenarioRunner::record(TraceKind::TraceKind_t kind, QList<cTraceEvent::Field> fields, int device)
{
    // The documented fields of each kind come first; "device" follows them when the event
    // belongs to one.
    if (device > 0)
        fields.append({QStringLiteral("device"), device});
    if (kind == TraceKind::HidInput)
        m_inputDevice = device;
    m_trace.record(kind, fields);
}

void cScenarioRunner::onDeviceRemoved(IAbstractDevice *device)
{
    record(TraceKind::DeviceRemoved, {}, number(device));
}

void cScenarioRunner::onAudioDeviceCreated(const QString &uid)
{
    int deviceNumber = 0;
    const QSharedPointer<cHostAudioDevice> audio
        = cAudioDeviceMgrService::hostDevice(m_host.services().audioDeviceMgr()->getDevice(uid));
    if (audio) {
        if (const cAbstractDevicePtr owner = audio->device().toStrongRef())
            deviceNumber = number(owner.data());
    }
    m_audioDevices.insert(uid, deviceNumber);
    record(TraceKind::Audio, {{QStringLiteral("op"), QStringLiteral("create")}, {QStringLiteral("uid"), uid}},
           deviceNumber);
}

void cScenarioRunner::onAudioDeviceDestroyed(const QString &uid)
{
    record(TraceKind::Audio,
           {{QStringLiteral("op"), QStringLiteral("destroy")}, {QStringLiteral("uid"), uid}},
           numberOfAudioDevice(uid));
    m_audioDevices.remove(uid);
}

void cScenarioRunner::onModelCalled(const QString &uid, const cModelCall &call)
{
    // The steps and the switch that a headset's own controls drive get kinds of their own.
    const int deviceNumber = numberOfAudioDevice(uid);
    const bool volumeStep = call.model == cModelCall::Volume
        && (call.operation == QLatin1String("incVolume") || call.operation == QLatin1String("decVolume"));
    if (volumeStep)
        record(TraceKind::Volume, {{QStringLiteral("op"), call.operation}}, deviceNumber);
    else if (call.model == cModelCall::Dolby && call.operation == QLatin1String("enableDolby"))
        record(TraceKind::Dolby, {{QStringLiteral("enable"), call.arguments.value(0).toBool()}},
               deviceNumber);
    else
        record(TraceKind::Model, {{QStringLiteral("call"), call.text()}}, deviceNumber);
}

void cScenarioRunner::onGKey(bool pressed, int key, const QString &model, const QString &category)
{
    record(
        TraceKind::Event,
        {{QStringLiteral("source"), QStringLiteral("Profiler_Events")},
         {QStringLiteral("name"), pressed ? QStringLiteral("GKeyPressed") : QStringLiteral("GKeyReleased")},
         {QStringLiteral("args"), QJsonArray {key, model, category}}},
        m_inputDevice);
}
