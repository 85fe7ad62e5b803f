#include "cLiveHost.h"

#include "ITransportBus.h"
#include "StderrLog.h"
#include "cHost.h"
#include "cRunRecorder.h"
#ifdef Q71_HAVE_LINUX_BUS
#include "cLinuxBus.h"
#include "cUdevDeviceFacts.h"
#endif

cLiveHost::cLiveHost() = default;

cLiveHost::~cLiveHost() = default;

bool cLiveHost::isAvailable()
{
#ifdef Q71_HAVE_LINUX_BUS
    return true;
#else
    return false;
#endif
}

IDeviceFacts *cLiveHost::newDeviceFacts()
{
#ifdef Q71_HAVE_LINUX_BUS
    return new cUdevDeviceFacts;
#else
    return nullptr;
#endif
}

QString cLiveHost::refusal(const QString &source, const cScenarioCommand &command)
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

void cLiveHost::begin(cHost &host, cRunRecorder &recorder)
{
#ifdef Q71_HAVE_LINUX_BUS
    auto *bus = new cLinuxBus;
    m_bus.reset(bus);
    recorder.watchBus(bus);
    host.deviceManager()->setAutoStart(true);
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
