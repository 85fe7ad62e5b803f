#pragma once
#include "ITransportBus.h"
#include "UdevPtr.h"
#include "cUdevTransportFactory.h"

#include <QList>
#include <QString>

class QSocketNotifier;

// The machine's USB devices as a bus: their hidraw nodes and their sound cards' PCMs, found with
// libudev, each one a transport (see cUdevTransportFactory). Nothing happens until start(), so
// that the host can attach first: start() listens for hotplug, then announces what is plugged
// already, one USB device at a time, its HID transports first, then render, then capture, as a
// headset's transports appear when it is plugged in.
//
// Afterwards udev's "add" puts a node's transport on the bus and "remove" takes away every
// transport of that node (or of the nodes below it). A HID transport whose node fails is taken
// away as well, from the event loop, once the transport's own call has returned.
class cLinuxBus : public ITransportBus
{
    Q_OBJECT
public:
    explicit cLinuxBus(QObject *parent = nullptr);
    ~cLinuxBus() override;

    // Call once. False when udev cannot be listened to: what is plugged now is announced all the
    // same, but no hotplug will be seen.
    bool start();

    QList<cAbstractTransportPtr> transports() const override;

private:
    bool listen();
    void enumerate();
    void onUdevEvent();
    void plug(const cUdevTransportFactory::cMade &made);
    // Every transport of the node at `syspath` or below it goes, newest first.
    void unplugAt(const QString &syspath);
    // Nothing happens for a transport no longer on the bus.
    void unplug(IAbstractTransport *transport);

    tUdevPtr<udev> m_udev;
    tUdevPtr<udev_monitor> m_monitor;
    QSocketNotifier *m_monitorNotifier = nullptr;
    QList<cUdevTransportFactory::cMade> m_plugged;
};
