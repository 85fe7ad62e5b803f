#pragma once
#include "IDevMgrLow.h"

#define Q71_DEVMGR_SERVICE "DevMgr.DevMgrLow"

// Proxy of the host's low-level device manager. Short-lived: constructing one declares the use
// of the service; each operation is one call by name.
class cDevMgrLow : public IDevMgrLow
{
public:
    cDevMgrLow();

    void registerBus(cAbstractDevBusPtr bus) override;
    void unregisterBus(cAbstractDevBusPtr bus) override;
    void registerDeviceProvider(cAbstractDeviceProviderPtr deviceProvider, QString pluginAlias) override;
    void unregisterDeviceProvider(cAbstractDeviceProviderPtr deviceprovider) override;
    QString generateUid() override;
    cJsonValue parseManifest(const QDomElement &deviceXml) override;
};
