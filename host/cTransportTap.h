#pragma once
#include <QByteArray>
#include <QObject>

class IAbstractTransport;

// What a trace or a desktop needs to hear from a transport of any bus, as typed signals. The
// contract's transport interfaces carry no signals of their own, and the plugin connects to each
// transport's "readyRead()" and "writeComplete(int)" by name; this is the other side's view, which
// every transport built on cTransportBase emits through, whichever bus made it.
//
// Each signal comes before what the transport tells the plugin of the same thing, so that a
// trace shows a report or a completion before what the device does about it.
class cTransportTap : public QObject
{
    Q_OBJECT
public:
    explicit cTransportTap(IAbstractTransport *transport)
        : m_transport(transport)
    { }

    IAbstractTransport *transport() const { return m_transport; }

    // The tap of a transport built on cTransportBase; null for any other (a test's own fake, or
    // another host's).
    static cTransportTap *of(IAbstractTransport *transport);

signals:
    // The device started or stopped the transport.
    void runningChanged(bool running);
    // An output report and its cookie went to the transport (before it went out).
    void written(const QByteArray &report, int cookie);
    // The transport completed the write with that cookie.
    void writeCompleted(int cookie);
    // An input report came from the device.
    void received(const QByteArray &report);

private:
    IAbstractTransport *m_transport;
};
