#include "cRunRecorder.h"

#include "ITransportBus.h"
#include "ReportMeaning.h"
#include "TransportKind.h"
#include "cAudioDeviceMgrService.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cModelCall.h"
#include "cProfilerEventReceiver.h"
#include "cTrace.h"
#include "cTransportTap.h"

#include <QJsonArray>

cRunRecorder::cRunRecorder(cHost &host, cTrace &trace, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_trace(trace)
{
    watchDeviceManager();
    watchServices();
}

void cRunRecorder::watchDeviceManager()
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
                       m_host.deviceManager()->number(device));
            });
    connect(devices, &cDeviceManager::removeTransportCalled, this,
            [this](IAbstractDevice *device, const QString &kind) {
                record(TraceKind::RemoveTransport, {{QStringLiteral("transport"), kind}},
                       m_host.deviceManager()->number(device));
            });
    connect(devices, &cDeviceManager::validated, this, [this](IAbstractDevice *device, int result) {
        record(TraceKind::Validate, {{QStringLiteral("result"), result}},
               m_host.deviceManager()->number(device));
    });
    connect(devices, &cDeviceManager::deviceStarting, this, [this](IAbstractDevice *device) {
        record(TraceKind::Start, {}, m_host.deviceManager()->number(device));
    });
    connect(devices, &cDeviceManager::deviceStopping, this, [this](IAbstractDevice *device) {
        record(TraceKind::Stop, {}, m_host.deviceManager()->number(device));
    });
    connect(devices, &cDeviceManager::deviceRemoved, this, [this, devices](IAbstractDevice *device) {
        record(TraceKind::DeviceRemoved, {}, devices->number(device));
    });
}

void cRunRecorder::watchServices()
{
    cAudioDeviceMgrService *audio = m_host.services().audioDeviceMgr();
    connect(audio, &cAudioDeviceMgrService::audioDeviceCreated, this, &cRunRecorder::onAudioDeviceCreated);
    connect(audio, &cAudioDeviceMgrService::audioDeviceDestroyed, this,
            &cRunRecorder::onAudioDeviceDestroyed);
    connect(audio, &cAudioDeviceMgrService::modelCalled, this, &cRunRecorder::onModelCalled);

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

void cRunRecorder::watch(const cAbstractTransportPtr &transport)
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
    // A real headset's input, as it arrives.
    connect(tap, &cTransportTap::received, this,
            [this, raw](const QByteArray &report) { recordInput(raw, report, false); });
}

void cRunRecorder::watchBus(ITransportBus *bus)
{
    connect(bus, &ITransportBus::transportAdded, this, [this](const cAbstractTransportPtr &transport) {
        watch(transport);
        announce(TraceKind::Plug, transport);
    });
    connect(bus, &ITransportBus::transportRemoved, this,
            [this](const cAbstractTransportPtr &transport) { announce(TraceKind::Unplug, transport); });
}

void cRunRecorder::announce(TraceKind::TraceKind_t kind, const cAbstractTransportPtr &transport)
{
    record(kind,
           {{QStringLiteral("transport"), TransportKind::nameOf(transport.data())},
            {QStringLiteral("uid"), transport->info()["uid"].toString()}},
           0);
}

void cRunRecorder::recordInput(const IAbstractTransport *transport, const QByteArray &report, bool dropped)
{
    QList<cTraceEvent::Field> fields {{QStringLiteral("report"), ReportMeaning::hex(report)}};
    if (dropped)
        fields.append({QStringLiteral("dropped"), true});
    const int device = numberHolding(transport);
    record(TraceKind::HidInput, fields, device);
    if (!dropped)
        emit hidReceived(device, report);
}

void cRunRecorder::record(TraceKind::TraceKind_t kind, QList<cTraceEvent::Field> fields, int device)
{
    // The documented fields of each kind come first; "device" follows them when the event
    // belongs to one.
    if (device > 0)
        fields.append({QStringLiteral("device"), device});
    if (kind == TraceKind::HidInput)
        m_inputDevice = device;
    m_trace.record(kind, fields);
    if (device > 0)
        emit deviceTraced(device);
}

void cRunRecorder::onAudioDeviceCreated(const QString &uid)
{
    int deviceNumber = 0;
    const QSharedPointer<cHostAudioDevice> audio
        = cAudioDeviceMgrService::hostDevice(m_host.services().audioDeviceMgr()->getDevice(uid));
    if (audio) {
        if (const cAbstractDevicePtr owner = audio->device().toStrongRef())
            deviceNumber = m_host.deviceManager()->number(owner.data());
    }
    m_audioDevices.insert(uid, deviceNumber);
    record(TraceKind::Audio, {{QStringLiteral("op"), QStringLiteral("create")}, {QStringLiteral("uid"), uid}},
           deviceNumber);
}

void cRunRecorder::onAudioDeviceDestroyed(const QString &uid)
{
    record(TraceKind::Audio,
           {{QStringLiteral("op"), QStringLiteral("destroy")}, {QStringLiteral("uid"), uid}},
           m_audioDevices.value(uid, 0));
    m_audioDevices.remove(uid);
}

void cRunRecorder::onModelCalled(const QString &uid, const cModelCall &call)
{
    // The steps and the switch that a headset's own controls drive get kinds of their own.
    const int deviceNumber = m_audioDevices.value(uid, 0);
    switch (call.effect) {
    case cModelCall::VolumeStep:
        record(TraceKind::Volume, {{QStringLiteral("op"), call.operation}}, deviceNumber);
        break;
    case cModelCall::DolbySwitch:
        record(TraceKind::Dolby, {{QStringLiteral("enable"), call.value != 0}}, deviceNumber);
        break;
    case cModelCall::NoEffect:
        record(TraceKind::Model, {{QStringLiteral("call"), call.text()}}, deviceNumber);
        break;
    }
}

void cRunRecorder::onGKey(bool pressed, int key, const QString &model, const QString &category)
{
    record(
        TraceKind::Event,
        {{QStringLiteral("source"), QStringLiteral("Profiler_Events")},
         {QStringLiteral("name"), pressed ? QStringLiteral("GKeyPressed") : QStringLiteral("GKeyReleased")},
         {QStringLiteral("args"), QJsonArray {key, model, category}}},
        m_inputDevice);
}

int cRunRecorder::numberHolding(const IAbstractTransport *transport) const
{
    return m_host.deviceManager()->numberHolding(transport);
}

void cRunRecorder::error(int line, const QString &command, const QString &message)
{
    record(TraceKind::Error,
           {{QStringLiteral("line"), line},
            {QStringLiteral("command"), command},
            {QStringLiteral("message"), message}},
           0);
}
