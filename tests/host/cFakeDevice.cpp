#include "cFakeDevice.h"

cFakeDevice::cFakeDevice(const QString &unitPrefix, const cJsonValue &info)
    : m_unitPrefix(unitPrefix)
    , m_info(info)
{ }

bool cFakeDevice::addTransport(cAbstractTransportPtr transport)
{
    const TransportKind::TransportKind_t kind = TransportKind::of(transport.data());
    const bool accepted = kind != TransportKind::Other && !m_transports.contains(kind)
        && transport->info()["uid"].toString().startsWith(m_unitPrefix);
    if (accepted)
        m_transports.insert(kind, transport);
    return accepted;
}

DeviceValidationResult::DeviceValidationResult_t cFakeDevice::validate()
{
    if (m_transports.isEmpty())
        return DeviceValidationResult::Invalid;
    return m_transports.size() == 3 ? DeviceValidationResult::Complete : DeviceValidationResult::Incomplete;
}
