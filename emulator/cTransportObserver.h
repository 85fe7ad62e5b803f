#pragma once
#include <QByteArray>
#include <QObject>

class IAbstractTransport;

// What a trace needs to hear from a transport, whichever bus made it: the transport interfaces
// carry no signals, so each transport class declares its own. The observer connects to those of
// them that the transport's class has, by their signatures, and repeats them with the transport
// named:
//   runningChanged(bool)            the device started or stopped the transport
//   written(QByteArray,int)         an output report and its cookie went to the transport
//   writeComplete(int)              the transport completed the write with that cookie
//   received(QByteArray)            an input report came from the device
// The observer is the transport's child, so that it goes with it.
class cTransportObserver : public QObject
{
    Q_OBJECT
public:
    explicit cTransportObserver(IAbstractTransport *transport);

signals:
    void runningChanged(IAbstractTransport *transport, bool running);
    void written(IAbstractTransport *transport, const QByteArray &report, int cookie);
    void writeComplete(IAbstractTransport *transport, int cookie);
    void received(IAbstractTransport *transport, const QByteArray &report);

private slots:
    void onRunningChanged(bool running);
    void onWritten(const QByteArray &report, int cookie);
    void onWriteComplete(int cookie);
    void onReceived(const QByteArray &report);

private:
    void follow(const char *signal, const char *slot);

    IAbstractTransport *m_transport;
};
