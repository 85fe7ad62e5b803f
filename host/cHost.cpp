#include "cHost.h"

#include "IServiceMgr.h"
#include "ITransportBus.h"
#include "cDevMgrLowService.h"
#include "cHostMetaTypes.h"

cHost::cHost(QObject *parent)
    : QObject(parent)
    , m_deviceManager(m_services.devMgr())
{
    registerHostMetaTypes();
    m_services.registerAll();
    m_profilerEvents.subscribe();
}

cHost::~cHost()
{
    // Devices may call the services while they let go of their transports, so the services
    // stay until the devices are gone.
    m_deviceManager.clear();
    shutdownPlugin();
    m_profilerEvents.unsubscribe();
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

void cHost::attachBus(ITransportBus *bus)
{
    if (!bus || m_buses.contains(bus))
        return;
    m_buses.append(bus);
    // Direct connections: a transport is offered, or taken back, before the bus's call returns,
    // so that whoever plugs or unplugs sees the devices as they now are.
    connect(bus, &ITransportBus::transportAdded, &m_deviceManager, &cDeviceManager::offerTransport,
            Qt::DirectConnection);
    connect(bus, &ITransportBus::transportRemoved, &m_deviceManager, &cDeviceManager::withdrawTransport,
            Qt::DirectConnection);
    connect(bus, &QObject::destroyed, this, [this, bus] { m_buses.removeAll(bus); });
    const QList<cAbstractTransportPtr> present = bus->transports();
    for (const cAbstractTransportPtr &transport : present)
        m_deviceManager.offerTransport(transport);
}

cAbstractDevicePtr cHost::deviceHolding(const cAbstractTransportPtr &transport) const
{
    return m_deviceManager.deviceHolding(transport);
}

int cHost::start()
{
    return m_deviceManager.startAll();
}

int cHost::stop()
{
    return m_deviceManager.stopAll();
}

bool cHost::exitApplication()
{
    return IServiceMgr::instance()->postEvent(QStringLiteral("MainApp_Events"),
                                              QStringLiteral("ExitApplication"));
}
