#include "cHost.h"

#include "IServiceMgr.h"
#include "cDevMgrLowService.h"
#include "cDeviceManager.h"
#include "cHostMetaTypes.h"
#include "cProfilerEventReceiver.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

cHost::cHost(QObject *parent)
    : QObject(parent)
    , m_deviceManager(new cDeviceManager(m_services.devMgr(), this))
    , m_profilerEvents(new cProfilerEventReceiver(this))
{
    registerHostMetaTypes();
    m_services.registerAll();
    m_profilerEvents->subscribe();
}

cHost::~cHost()
{
    // Devices may call the services while they let go of their transports, so the services
    // stay until the devices are gone.
    unplugAll();
    m_deviceManager->clear();
    shutdownPlugin();
    m_profilerEvents->unsubscribe();
    m_services.unregisterAll();
}

QString cHost::defaultPluginFile()
{
    return QStringLiteral(Q71_PLUGIN_DIR "/Q71Device");
}

bool cHost::loadPlugin(const QString &fileName, const QString &alias)
{
    m_pluginError.clear();
    if (!m_loader.load(fileName, alias)) {
        m_pluginError = m_loader.errorString();
        return false;
    }
    if (!provider()) {
        const QString refusal = m_services.devMgr()->lastRefusal();
        m_pluginError = !refusal.isEmpty()
            ? refusal
            : QStringLiteral("Plugin '%1' registered no device provider under alias '%2'")
                  .arg(fileName, alias);
        return false;
    }
    return true;
}

void cHost::shutdownPlugin()
{
    m_loader.shutdown();
}

cAbstractDeviceProviderPtr cHost::provider() const
{
    return m_loader.isLoaded() ? m_services.devMgr()->provider(m_loader.alias())
                               : cAbstractDeviceProviderPtr();
}

cAbstractTransportPtr cHost::plug(TransportKind::TransportKind_t kind, int unit)
{
    if (const cAbstractTransportPtr plugged = transport(kind, unit))
        return plugged;
    const cAbstractTransportPtr created = cTransportFactory::headset(kind, unit);
    plugTransport(created);
    return created;
}

cAbstractDevicePtr cHost::plugTransport(const cAbstractTransportPtr &transport)
{
    if (!transport)
        return cAbstractDevicePtr();
    if (!m_plugged.contains(transport))
        m_plugged.append(transport);
    return m_deviceManager->offerTransport(transport);
}

cAbstractDevicePtr cHost::plugHeadset(int unit)
{
    plug(TransportKind::Hid, unit);
    plug(TransportKind::Render, unit);
    plug(TransportKind::Capture, unit);
    return device(unit);
}

bool cHost::unplug(TransportKind::TransportKind_t kind, int unit)
{
    return unplugTransport(transport(kind, unit));
}

bool cHost::unplugTransport(const cAbstractTransportPtr &transport)
{
    if (!transport || !m_plugged.removeOne(transport))
        return false;
    m_deviceManager->withdrawTransport(transport);
    return true;
}

void cHost::unplugAll()
{
    while (!m_plugged.isEmpty()) {
        const cAbstractTransportPtr last = m_plugged.constLast();
        unplugTransport(last);
    }
}

cAbstractTransportPtr cHost::transport(TransportKind::TransportKind_t kind, int unit) const
{
    const cJsonValue uid = cTransportFactory::headsetInfo(kind, unit)["uid"];
    for (const cAbstractTransportPtr &plugged : m_plugged) {
        if (plugged->info()["uid"] == uid && TransportKind::of(plugged.data()) == kind)
            return plugged;
    }
    return cAbstractTransportPtr();
}

QSharedPointer<cSimHidTransport> cHost::hidTransport(int unit) const
{
    return qSharedPointerDynamicCast<cSimHidTransport>(transport(TransportKind::Hid, unit));
}

cAbstractDevicePtr cHost::device(int unit) const
{
    for (TransportKind::TransportKind_t kind :
         {TransportKind::Hid, TransportKind::Render, TransportKind::Capture}) {
        if (const cAbstractDevicePtr holder = m_deviceManager->deviceHolding(transport(kind, unit)))
            return holder;
    }
    return cAbstractDevicePtr();
}

int cHost::start()
{
    return m_deviceManager->startAll();
}

int cHost::stop()
{
    return m_deviceManager->stopAll();
}

bool cHost::exitApplication()
{
    return IServiceMgr::instance()->postEvent(QStringLiteral("MainApp_Events"),
                                              QStringLiteral("ExitApplication"));
}
