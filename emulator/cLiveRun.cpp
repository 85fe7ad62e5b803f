#include "cLiveRun.h"

#include "ITransportBus.h"
#include "cHost.h"
#include "cScenarioRunner.h"
#ifdef Q71_HAVE_LINUX_BUS
#include "cLinuxBus.h"
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

void cLiveRun::begin(cHost &host, cScenarioRunner &runner)
{
#ifdef Q71_HAVE_LINUX_BUS
    auto *bus = new cLinuxBus;
    m_bus.reset(bus);
    runner.watchBus(bus);
    host.deviceManager()->setAutoStart(true);
#ifdef Q71_HAVE_PULSE
    auto *volume = new cHeadsetVolume(host.services().audioDeviceMgr());
    if (m_volumeStep > 0)
        volume->setStep(m_volumeStep);
    m_volume.reset(volume);
#endif
    host.attachBus(bus);
    bus->start();
#else
    Q_UNUSED(host);
    Q_UNUSED(runner);
#endif
}
