#include "cFakeProvider.h"

#include "TransportKind.h"
#include "cFakeDevice.h"

cFakeProvider::cFakeProvider(const QString &uidPrefix)
    : m_uidPrefix(uidPrefix)
{ }

cAbstractDevicePtr cFakeProvider::createDevice(cAbstractTransportPtr transport)
{
    ++m_createDeviceCalls;
    const QString uid = transport->info()["uid"].toString();
    if (TransportKind::of(transport.data()) == TransportKind::Other || !uid.startsWith(m_uidPrefix))
        return cAbstractDevicePtr();
    // "Q71-2-hid" belongs to unit "Q71-2-".
    const QString unit = uid.left(uid.lastIndexOf(QLatin1Char('-')) + 1);
    const cAbstractDevicePtr device(new cFakeDevice(unit));
    device->addTransport(transport);
    return device;
}
