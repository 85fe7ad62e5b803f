#pragma once
#include "IAbstractTransport.h"
#include "Types.h"

#include <QList>
#include <QObject>

// A source of transports: a simulated bus, or the machine's USB devices. The host listens to its
// buses, offers each transport that appears to its devices and takes back each one that goes;
// it never learns which kind of bus a transport came from.
//
// A bus announces a transport once when it appears and once when it goes, and emits both on the
// thread that owns the host, so that a device hears of its transports on its own thread.
class ITransportBus : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The transports present now, in the order in which they appeared.
    virtual QList<cAbstractTransportPtr> transports() const = 0;

signals:
    void transportAdded(const cAbstractTransportPtr &transport);
    void transportRemoved(const cAbstractTransportPtr &transport);
};
