#pragma once
#include "IAbstractDeviceProvider.h"

// Makes a cFakeDevice for any headset-kind transport whose uid starts with `uidPrefix`; the
// device is named after the unit part of the uid ("Q71-2-"), so that each unit gets its own.
class cFakeProvider : public IAbstractDeviceProvider
{
    Q_OBJECT
public:
    explicit cFakeProvider(const QString &uidPrefix);

    cAbstractDevicePtr createDevice(cAbstractTransportPtr transport) override;
    QDomElement deviceMetaData(const QString &) override { return QDomElement(); }

    int createDeviceCalls() const { return m_createDeviceCalls; }

private:
    QString m_uidPrefix;
    int m_createDeviceCalls = 0;
};

// The same provider built against another revision of the contract.
class cFakeProviderV2 : public cFakeProvider
{
    Q_OBJECT
    Q_CLASSINFO("version", "2")
public:
    using cFakeProvider::cFakeProvider;
};
