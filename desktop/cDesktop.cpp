#include "cDesktop.h"

#include "DesktopLog.h"
#include "HeadsetReport.h"
#include "cAudioDeviceMgrService.h"
#include "cDesktopConfig.h"
#include "cDeviceManager.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cMicrophoneClient.h"
#ifdef Q71_HAVE_PULSE
#include "cHeadsetDefaults.h"
#include "cHeadsetVolume.h"
#endif

#include <QSettings>
#include <QTimer>

namespace {

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

cDesktop::cDesktop(cHost &host, const cDesktopConfig &config, const cSetup &setup, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_setup(setup)
    , m_configPath(config.settings()->fileName())
    , m_microphone(config.settings())
{
    QSettings &settings = *config.settings();
    if (setup.wallClock)
        m_actions.load(settings);
    else if (settings.childGroups().contains(QLatin1String("actions")))
        qCWarning(lcQ71Desktop, "[actions] run on the wall clock only (--realtime or --live)");
    connect(host.services().audioDeviceMgr(), &cAudioDeviceMgrService::dolbySwitched, this,
            &cDesktop::onDolbySwitched);
#ifdef Q71_HAVE_PULSE
    if (setup.soundServer) {
        auto *volume
            = new cHeadsetVolume(host.services().audioDeviceMgr(), volumeStep(setup.volumeStep, config));
        m_volume.reset(volume);
        m_setVolumeStep = [volume](int step) { volume->setStep(step); };
        connect(volume, &cHeadsetVolume::volumeChanged, this, [this](const QString &uid, int percent) {
            const cAbstractDevicePtr device = m_host.services().audioDeviceMgr()->deviceOf(uid);
            if (const int number = m_host.deviceManager()->number(device.data()))
                emit volumeChanged(number, percent);
        });
        if (config.audioDefault()) {
            auto *defaults = new cHeadsetDefaults(host.services().audioDeviceMgr());
            m_defaults.reset(defaults);
            m_settleDefaults = [defaults] { defaults->settleNow(); };
        }
    }
#endif
}

bool cDesktop::reload(QString *error)
{
    cDesktopConfig config;
    if (!config.open(m_configPath, true, error))
        return false;
    if (m_setup.wallClock)
        m_actions.reload(*config.settings());
    if (m_setVolumeStep)
        m_setVolumeStep(volumeStep(m_setup.volumeStep, config));
    return true;
}

cDesktop::~cDesktop() = default;

void cDesktop::finish(int timeoutMs, const std::function<bool()> &stopped)
{
    if (m_settleDefaults)
        m_settleDefaults();
    m_actions.finish(timeoutMs, stopped);
}

int cDesktop::volumeStep(std::optional<int> option, const cDesktopConfig &config)
{
    return option.value_or(config.volumeStep().value_or(cDesktopConfig::DefaultVolumeStep));
}

void cDesktop::hidWritten(int device, const QByteArray &report)
{
    if (!isSetupStart(report))
        return;
    // Not from within the plugin's own write: once it has returned, the settings queue up behind
    // the setup as any host call's would.
    QTimer::singleShot(0, this, [this, device] {
        if (const cAbstractDevicePtr held = m_host.deviceManager()->deviceNumbered(device))
            m_microphone.applyTo(held);
    });
}

void cDesktop::hidReceived(int device, const QByteArray &report)
{
    if (!isStatus(report))
        return;
    // What the headset says, not what the microphone model holds: the model may keep a setting
    // the host gave it since, and the plugin passes over a status that did not change.
    const quint8 status = quint8(report.at(2));
    const QPair<int, int> state(HeadsetReport::micLightOf(status), HeadsetReport::micNotificationOf(status));
    // Told after what the plugin makes of the report, as the trace shows that first.
    QTimer::singleShot(0, this, [this, device, state] { onMicrophoneReported(device, state); });
}

void cDesktop::key(bool pressed, int key, const QString &model, int device)
{
    m_actions.run(cDesktopActions::keyEvent(key, pressed), model, device);
}

void cDesktop::onMicrophoneReported(int device, const QPair<int, int> &state)
{
    const cAbstractDevicePtr held = m_host.deviceManager()->deviceNumbered(device);
    if (!cMicrophoneClient(held).isValid())
        return;
    const auto known = m_microphoneStates.constFind(device);
    if (known != m_microphoneStates.constEnd() && *known == state)
        return;
    m_microphoneStates.insert(device, state);
    qCInfo(lcQ71Desktop, "microphone of device %d: light %d, notification %d", device, state.first,
           state.second);
    m_actions.run(cDesktopActions::microphoneEvent(), held->model(), device,
                  {{QStringLiteral("Q71_MIC_LIGHT"), QString::number(state.first)},
                   {QStringLiteral("Q71_MIC_NOTIFICATION"), QString::number(state.second)}});
}

void cDesktop::onDolbySwitched(const QString &uid, bool on)
{
    cAudioDeviceMgrService *audioDevices = m_host.services().audioDeviceMgr();
    const QSharedPointer<cHostAudioDevice> audio
        = cAudioDeviceMgrService::hostDevice(audioDevices->getDevice(uid));
    m_actions.run(cDesktopActions::dolbyEvent(on), audio ? audio->deviceModel() : QString(),
                  m_host.deviceManager()->number(audioDevices->deviceOf(uid).data()));
}
