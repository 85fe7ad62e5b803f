#include "cDevMgrLow.h"

#include "IServiceMgr.h"
#include "cServiceCall.h"

#define DEVMGR_CALL(method) Q71_SERVICE_CALL(Q71_DEVMGR_SERVICE, method)

cDevMgrLow::cDevMgrLow()
{
    IServiceMgr::instance()->requireService(QStringLiteral(Q71_DEVMGR_SERVICE), QStringLiteral("1"));
}

void cDevMgrLow::registerBus(cAbstractDevBusPtr bus)
{
    DEVMGR_CALL("registerBus").arg("cAbstractDevBusPtr", &bus).run();
}

void cDevMgrLow::unregisterBus(cAbstractDevBusPtr bus)
{
    DEVMGR_CALL("unregisterBus").arg("cAbstractDevBusPtr", &bus).run();
}

void cDevMgrLow::registerDeviceProvider(cAbstractDeviceProviderPtr deviceProvider, QString pluginAlias)
{
    DEVMGR_CALL("registerDeviceProvider")
        .arg("cAbstractDeviceProviderPtr", &deviceProvider)
        .arg("QString", &pluginAlias)
        .run();
}

void cDevMgrLow::unregisterDeviceProvider(cAbstractDeviceProviderPtr deviceprovider)
{
    DEVMGR_CALL("unregisterDeviceProvider").arg("cAbstractDeviceProviderPtr", &deviceprovider).run();
}

QString cDevMgrLow::generateUid()
{
    QString result;
    DEVMGR_CALL("generateUid").run(QGenericReturnArgument("QString", &result));
    return result;
}

cJsonValue cDevMgrLow::parseManifest(const QDomElement &deviceXml)
{
    cJsonValue result(cJsonValue::JsonValueType(0));
    DEVMGR_CALL("parseManifest")
        .arg("const QDomElement", &deviceXml)
        .run(QGenericReturnArgument("cJsonValue", &result));
    return result;
}
