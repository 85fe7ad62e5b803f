#include "cSimBus.h"

#include "cHost.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

cAbstractTransportPtr cSimBus::plug(TransportKind::TransportKind_t kind, int unit)
{
    if (const cAbstractTransportPtr plugged = transport(kind, unit))
        return plugged;
    const cAbstractTransportPtr created = cTransportFactory::headset(kind, unit);
    plugTransport(created);
    return created;
}

void cSimBus::plugHeadset(int unit)
{
    plug(TransportKind::Hid, unit);
    plug(TransportKind::Render, unit);
    plug(TransportKind::Capture, unit);
}

bool cSimBus::plugTransport(const cAbstractTransportPtr &transport)
{
    if (!transport || m_plugged.contains(transport))
        return false;
    m_plugged.append(transport);
    emit transportAdded(transport);
    return true;
}

bool cSimBus::unplug(TransportKind::TransportKind_t kind, int unit)
{
    return unplugTransport(transport(kind, unit));
}

bool cSimBus::unplugTransport(const cAbstractTransportPtr &transport)
{
    if (!transport || !m_plugged.removeOne(transport))
        return false;
    emit transportRemoved(transport);
    return true;
}

void cSimBus::unplugAll()
{
    while (!m_plugged.isEmpty()) {
        const cAbstractTransportPtr last = m_plugged.constLast();
        unplugTransport(last);
    }
}

cAbstractTransportPtr cSimBus::transport(TransportKind::TransportKind_t kind, int unit) const
{
    const cJsonValue uid = cTransportFactory::headsetInfo(kind, unit)["uid"];
    for (const cAbstractTransportPtr &plugged : m_plugged) {
        if (plugged->info()["uid"] == uid && TransportKind::of(plugged.data()) == kind)
            return plugged;
    }
    return cAbstractTransportPtr();
}

QSharedPointer<cSimHidTransport> cSimBus::hidTransport(int unit) const
{
    return qSharedPointerDynamicCast<cSimHidTransport>(transport(TransportKind::Hid, unit));
}

cAbstractDevicePtr cSimBus::device(const cHost &host, int unit) const
{
    for (TransportKind::TransportKind_t kind :
         {TransportKind::Hid, TransportKind::Render, TransportKind::Capture}) {
        if (const cAbstractDevicePtr holder = host.deviceHolding(transport(kind, unit)))
            return holder;
    }
    return cAbstractDevicePtr();
}
