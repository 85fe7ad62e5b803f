#pragma once
#include "ITransportBus.h"
#include "TransportKind.h"

class cHost;
class cSimHidTransport;

// The simulated bus: transports appear and go when the caller says so. Headset transports are
// made by cTransportFactory, one unit per headset, each with uids of its own; any other transport
// (another product's, a second object with a known uid) can be put on the bus as well.
class cSimBus : public ITransportBus
{
    Q_OBJECT
public:
    using ITransportBus::ITransportBus;

    QList<cAbstractTransportPtr> transports() const override { return m_plugged; }

    // A headset transport of unit `unit` appears. One of that kind and unit that is already on
    // the bus is returned as it is, and not announced again.
    cAbstractTransportPtr plug(TransportKind::TransportKind_t kind, int unit = 1);
    // HID, render and capture of one unit, in that order.
    void plugHeadset(int unit = 1);
    // Any transport appears. False for null, or for an object already on the bus.
    bool plugTransport(const cAbstractTransportPtr &transport);

    bool unplug(TransportKind::TransportKind_t kind, int unit = 1);
    bool unplugTransport(const cAbstractTransportPtr &transport);
    // Every transport goes, newest first.
    void unplugAll();

    // The plugged headset transport of that kind and unit, or null.
    cAbstractTransportPtr transport(TransportKind::TransportKind_t kind, int unit = 1) const;
    QSharedPointer<cSimHidTransport> hidTransport(int unit = 1) const;
    // The device that `host` made of headset unit `unit`: the one holding any of its transports.
    cAbstractDevicePtr device(const cHost &host, int unit = 1) const;

private:
    QList<cAbstractTransportPtr> m_plugged;
};
