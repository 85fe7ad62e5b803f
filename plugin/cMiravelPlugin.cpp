#include "cMiravelPlugin.h"

#include "PluginGlobals.h"
#include "cDevMgrLow.h"
#include "cQ71DeviceProvider.h"

QString g_pluginAlias;
cLog g_log;

bool cMiravelPlugin::initialize(IPluginContext *context)
{
    g_pluginAlias = context->pluginAlias();
    g_log = context->log();

    // An earlier provider, from an initialize() without shutdown(), is dropped here.
    m_deviceProvider = cAbstractDeviceProviderPtr(new cQ71DeviceProvider());

    cDevMgrLow devMgr;
    devMgr.registerDeviceProvider(m_deviceProvider, g_pluginAlias);
    // The host learns of no failure: a provider the device manager refused is still held, and a
    // later shutdown() unregisters and drops it as usual.
    return true;
}

void cMiravelPlugin::shutdown()
{
    cDevMgrLow devMgr;
    devMgr.unregisterDeviceProvider(m_deviceProvider);
    m_deviceProvider.reset();
}
