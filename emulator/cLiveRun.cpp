#include "cLiveRun.h"

#include "ITransportBus.h"
#include "StderrLog.h"
#include "cHost.h"
#include "cRunRecorder.h"
#ifdef Q71_HAVE_LINUX_BUS
#include "cLinuxBus.h"
#include "cUdevDeviceFacts.h"
#endif
#ifdef Q71_HAVE_PULSE
#include "cHeadsetVolume.h"
#endif

cLiveRun::cLiveRun() = default;

cLiveRun::~cLiveRun() = default;

bool cLiveRun::isAvailable()
{
#ifdef Q71_HAVE_LINUX_BUS
    return true;
#else
    return false;
#endif
}

IDeviceFacts *cLiveRun::newDeviceFacts()
{
#ifdef Q71_HAVE_LINUX_BUS
    return new cUdevDeviceFacts;
#else
    return nullptr;
#endif
}

QString cLiveRun::refusal(const QString &source, const cScenarioCommand &command)
{
    switch (command.kind) {
    case cScenarioCommand::Plug:
    case cScenarioCommand::Unplug:
    case cScenarioCommand::Input:
    case cScenarioCommand::Latency:
    case cScenarioCommand::Completions:
    case cScenarioCommand::Service:
        return QStringLiteral("%1:%2: %3 cannot be used with --live")
            .arg(source)
            .arg(command.line)
            .arg(command.keyword());
    default:
        return QString();
    }
}

void cLiveRun::begin(cHost &host, cRunRecorder &recorder)
{
#ifdef Q71_HAVE_LINUX_BUS
    auto *bus = new cLinuxBus;
    m_bus.reset(bus);
    recorder.watchBus(bus);
    host.deviceManager()->setAutoStart(true);
#ifdef Q71_HAVE_PULSE
    auto *volume = new cHeadsetVolume(host.services().audioDeviceMgr());
    if (m_volumeStep > 0)
        volume->setStep(m_volumeStep);
    m_volume.reset(volume);
#endif
    host.attachBus(bus);
    bus->start();
    // A service started before the headset is plugged would otherwise say nothing at all.
    if (host.deviceManager()->devices().isEmpty())
        StderrLog::write(QtInfoMsg, QStringLiteral("no headset yet: waiting for one to be plugged in"));
#else
    Q_UNUSED(host);
    Q_UNUSED(recorder);
#endif
}
