#pragma once
#include "IDevMgrLow.h"

#include <QList>
#include <QString>

// The host's low-level device manager as plugins reach it by name ("DevMgr.DevMgrLow"): it keeps
// the registered device providers and buses, hands out uids and turns a manifest's device element
// into device information. Offering transports to the providers is cDeviceManager's part.
class cDevMgrLowService : public IDevMgrLow
{
    Q_OBJECT
public:
    struct cProvider
    {
        cAbstractDeviceProviderPtr provider;
        QString alias;
    };

    // The elements of a manifest's device element that transports are matched against, one name
    // per transport kind.
    static const char *const ProbeKeys[3];

    explicit cDevMgrLowService(QObject *parent = nullptr);

    void registerBus(cAbstractDevBusPtr bus) override;
    void unregisterBus(cAbstractDevBusPtr bus) override;
    void registerDeviceProvider(cAbstractDeviceProviderPtr deviceProvider, QString pluginAlias) override;
    void unregisterDeviceProvider(cAbstractDeviceProviderPtr deviceprovider) override;
    QString generateUid() override;
    cJsonValue parseManifest(const QDomElement &deviceXml) override;

    // In registration order, which is the order providers are offered transports in.
    QList<cProvider> providers() const { return m_providers; }
    cAbstractDeviceProviderPtr provider(const QString &alias) const;
    // Why the last provider was refused; empty when none was.
    QString lastRefusal() const { return m_lastRefusal; }

private:
    QList<cProvider> m_providers;
    // Held until they are unregistered. The host takes its transports from its ITransportBus
    // objects and never asks these.
    QList<cAbstractDevBusPtr> m_buses;
    QString m_lastRefusal;
};
