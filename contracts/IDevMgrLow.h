#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QDomElement>
#include <QObject>
#include <QString>

// The host's low-level device manager, service "DevMgr.DevMgrLow".
class IDevMgrLow : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual void registerBus(cAbstractDevBusPtr bus) = 0;
    Q_INVOKABLE virtual void unregisterBus(cAbstractDevBusPtr bus) = 0;
    Q_INVOKABLE virtual void registerDeviceProvider(cAbstractDeviceProviderPtr deviceProvider,
                                                    QString pluginAlias)
        = 0;
    Q_INVOKABLE virtual void unregisterDeviceProvider(cAbstractDeviceProviderPtr deviceprovider) = 0;
    Q_INVOKABLE virtual QString generateUid() = 0;
    // Turns a manifest's device element into device information.
    Q_INVOKABLE virtual cJsonValue parseManifest(const QDomElement &deviceXml) = 0;
};
