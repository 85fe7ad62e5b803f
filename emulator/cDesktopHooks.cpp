#include "cDesktopHooks.h"

#include "DesktopLog.h"
#include "HeadsetReport.h"
#include "TransportKind.h"
#include "cAudioDeviceMgrService.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cMicrophoneClient.h"
#include "cScenarioRunner.h"
#include "cTransportObserver.h"

#include <QSettings>
#include <QTimer>

namespace {

// The name of this class's observer among a transport's children, so that a device started again
// does not get a second one.
const char g_observerName[] = "q71-desktop";

bool isSetupStart(const QByteArray &report)
{
    return report.size() == HeadsetReport::ReportLength
        && quint8(report.at(0)) == HeadsetReport::OutputReportId
        && quint8(report.at(1)) == HeadsetReport::SetupStartCommand;
}

bool isStatus(const QByteArray &report)
{
    return report.size() == HeadsetReport::ReportLength
        && quint8(report.at(0)) == HeadsetReport::AnswerReportId
        && quint8(report.at(1)) == HeadsetReport::StatusSubId;
}

} // namespace

cDesktopHooks::cDesktopHooks(cHost &host, cScenarioRunner &runner, QSettings &settings, bool wallClock,
                             QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_runner(runner)
    , m_microphone(&settings)
{
    if (wallClock)
        m_actions.load(settings);
    else if (settings.childGroups().contains(QLatin1String("actions")))
        qCWarning(lcQ71Desktop, "[actions] run on the wall clock only (--realtime or --live)");
    connect(host.deviceManager(), &cDeviceManager::deviceStarting, this, &cDesktopHooks::onDeviceStarting);
    connect(host.services().audioDeviceMgr(), &cAudioDeviceMgrService::modelCalled, this,
            &cDesktopHooks::onModelCalled);
    cProfilerEventReceiver *profiler = host.profilerEvents();
    connect(profiler, &cProfilerEventReceiver::gKeyPressed, this,
            [this](int key, const QString &model) { onGKey(true, key, model); });
    connect(profiler, &cProfilerEventReceiver::gKeyReleased, this,
            [this](int key, const QString &model) { onGKey(false, key, model); });
    connect(&runner, &cScenarioRunner::microphoneSet, this,
            [this](bool light, int value) { m_microphone.remember(light, value); });
}

void cDesktopHooks::onDeviceStarting(IAbstractDevice *device)
{
    cDeviceManager *devices = m_host.deviceManager();
    for (const cAbstractDevicePtr &held : devices->devices()) {
        if (held.data() != device)
            continue;
        for (const cAbstractTransportPtr &transport : devices->transportsOf(held)) {
            if (TransportKind::of(transport.data()) == TransportKind::Hid)
                watchHid(transport);
        }
    }
}

void cDesktopHooks::watchHid(const cAbstractTransportPtr &transport)
{
    if (transport->findChild<cTransportObserver *>(QLatin1String(g_observerName), Qt::FindDirectChildrenOnly))
        return;
    auto *observer = new cTransportObserver(transport.data());
    observer->setObjectName(QLatin1String(g_observerName));
    const QWeakPointer<IAbstractTransport> weak = transport;
    connect(observer, &cTransportObserver::written, this,
            [this, weak](IAbstractTransport *, const QByteArray &report) {
                if (!isSetupStart(report))
                    return;
                // Not from within the plugin's own write: once it has returned, the settings queue up
                // behind the setup as any host call's would.
                const QWeakPointer<IAbstractDevice> device = holding(weak);
                QTimer::singleShot(0, this, [this, device] {
                    if (const cAbstractDevicePtr strong = device.toStrongRef())
                        m_microphone.applyTo(strong);
                });
            });
    connect(observer, &cTransportObserver::received, this,
            [this, weak](IAbstractTransport *, const QByteArray &report) {
                const cAbstractDevicePtr device = holding(weak);
                m_inputDevice = m_runner.number(device.data());
                if (!isStatus(report))
                    return;
                // Once the plugin has read the report, its microphone model says what it made of it.
                const QWeakPointer<IAbstractDevice> reported = device;
                QTimer::singleShot(0, this, [this, reported] {
                    if (const cAbstractDevicePtr strong = reported.toStrongRef())
                        onMicrophoneReported(strong);
                });
            });
}

void cDesktopHooks::onMicrophoneReported(const cAbstractDevicePtr &device)
{
    const cMicrophoneClient microphone(device);
    if (!microphone.isValid())
        return;
    const QPair<int, int> state(int(microphone.getLightConfig()), int(microphone.getNotificationConfig()));
    const int number = m_runner.number(device.data());
    const auto known = m_microphoneStates.constFind(number);
    if (known != m_microphoneStates.constEnd() && *known == state)
        return;
    m_microphoneStates.insert(number, state);
    qCInfo(lcQ71Desktop, "microphone of device %d: light %d, notification %d", number, state.first,
           state.second);
    m_actions.run(cDesktopActions::microphoneEvent(), device->model(), number,
                  {{QStringLiteral("Q71_MIC_LIGHT"), QString::number(state.first)},
                   {QStringLiteral("Q71_MIC_NOTIFICATION"), QString::number(state.second)}});
}

cAbstractDevicePtr cDesktopHooks::holding(const QWeakPointer<IAbstractTransport> &transport) const
{
    const cAbstractTransportPtr strong = transport.toStrongRef();
    return strong ? m_host.deviceHolding(strong) : cAbstractDevicePtr();
}

void cDesktopHooks::onModelCalled(const QString &uid, const cModelCall &call)
{
    if (call.model != cModelCall::Dolby || call.operation != QLatin1String("enableDolby"))
        return;
    const QSharedPointer<cHostAudioDevice> audio
        = cAudioDeviceMgrService::hostDevice(m_host.services().audioDeviceMgr()->getDevice(uid));
    const cAbstractDevicePtr device = audio ? audio->device().toStrongRef() : cAbstractDevicePtr();
    m_actions.run(cDesktopActions::dolbyEvent(call.arguments.value(0).toBool()),
                  audio ? audio->deviceModel() : QString(), m_runner.number(device.data()));
}

void cDesktopHooks::onGKey(bool pressed, int key, const QString &model)
{
    // A simulated headset's transport does not tell of its input: the oldest device of the model.
    int device = m_inputDevice;
    if (device == 0) {
        for (const cAbstractDevicePtr &candidate : m_host.deviceManager()->devices()) {
            if (candidate->model() == model) {
                device = m_runner.number(candidate.data());
                break;
            }
        }
    }
    m_actions.run(cDesktopActions::keyEvent(key, pressed), model, device);
}
