#pragma once
#include "IAbstractDevice.h"
#include "TransportKind.h"

#include <QMap>
#include <QStringList>

// A device of one unit: it takes one transport of each headset kind whose uid starts with its
// unit prefix, and writes its starts and stops into calls().
class cFakeDevice : public IAbstractDevice
{
    Q_OBJECT
public:
    explicit cFakeDevice(const QString &unitPrefix, const cJsonValue &info = cJsonValue());

    cObjectPtr queryInterface(const QString &) override { return cObjectPtr(); }
    QString id() override { return m_id; }
    void setId(const QString &id) override { m_id = id; }
    QString model() override { return "Fake"; }
    QString displayName() override { return "Fake device"; }
    const cJsonValue &deviceInfo() override { return m_info; }
    void writeProperty(const cJsonValue &) override { }
    bool addTransport(cAbstractTransportPtr transport) override;
    void removeTransport(cAbstractTransportPtr t) override
    {
        m_transports.remove(TransportKind::of(t.data()));
    }
    DeviceValidationResult::DeviceValidationResult_t validate() override;
    void start() override { m_calls.append("start"); }
    void stop() override { m_calls.append("stop"); }

    QStringList calls() const { return m_calls; }

private:
    QString m_id;
    QString m_unitPrefix;
    cJsonValue m_info;
    QMap<TransportKind::TransportKind_t, cAbstractTransportPtr> m_transports;
    QStringList m_calls;
};
