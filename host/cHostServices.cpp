#include "cHostServices.h"

#include "NexaroHost.h"
#include "cAudioDeviceMgrService.h"
#include "cDevMgrLowService.h"
#include "cProfilerService.h"

const cHostServices::Service cHostServices::All[3] = {DevMgr, Profiler, AudioDeviceMgr};

cHostServices::cHostServices()
    : m_devMgr(std::make_unique<cDevMgrLowService>())
    , m_profiler(std::make_unique<cProfilerService>())
    , m_audioDeviceMgr(std::make_unique<cAudioDeviceMgrService>())
{ }

// Taken off the service manager first, so that no call by name reaches a service while it goes.
cHostServices::~cHostServices()
{
    unregisterAll();
}

QString cHostServices::name(Service service)
{
    switch (service) {
    case DevMgr:
        return QStringLiteral("DevMgr.DevMgrLow");
    case Profiler:
        return QStringLiteral("Profiler.Profiler");
    case AudioDeviceMgr:
        break;
    }
    return QStringLiteral("AudioDeviceManager.AudioDeviceMgr");
}

QObject *cHostServices::object(Service service) const
{
    switch (service) {
    case DevMgr:
        return m_devMgr.get();
    case Profiler:
        return m_profiler.get();
    case AudioDeviceMgr:
        break;
    }
    return m_audioDeviceMgr.get();
}

void cHostServices::setAvailable(Service service, bool available)
{
    if (available)
        Nexaro::registerService(name(service), object(service));
    else if (isAvailable(service))
        Nexaro::unregisterService(name(service));
}

bool cHostServices::isAvailable(Service service) const
{
    return Nexaro::service(name(service)) == object(service);
}

void cHostServices::registerAll()
{
    for (Service service : All)
        setAvailable(service, true);
}

void cHostServices::unregisterAll()
{
    for (Service service : All)
        setAvailable(service, false);
}
