#include "cTransportObserver.h"

#include "IAbstractTransport.h"

#include <QMetaObject>

cTransportObserver::cTransportObserver(IAbstractTransport *transport)
    : QObject(transport)
    , m_transport(transport)
{
    follow(SIGNAL(runningChanged(bool)), SLOT(onRunningChanged(bool)));
    follow(SIGNAL(written(QByteArray, int)), SLOT(onWritten(QByteArray, int)));
    follow(SIGNAL(writeComplete(int)), SLOT(onWriteComplete(int)));
    follow(SIGNAL(received(QByteArray)), SLOT(onReceived(QByteArray)));
}

void cTransportObserver::follow(const char *signal, const char *slot)
{
    // SIGNAL() puts a code digit before the signature; a class without the signal is no fault,
    // and is left alone so that Qt does not warn about it.
    const QByteArray signature = QMetaObject::normalizedSignature(signal + 1);
    if (m_transport->metaObject()->indexOfSignal(signature.constData()) >= 0)
        connect(m_transport, signal, this, slot);
}

void cTransportObserver::onRunningChanged(bool running)
{
    emit runningChanged(m_transport, running);
}

void cTransportObserver::onWritten(const QByteArray &report, int cookie)
{
    emit written(m_transport, report, cookie);
}

void cTransportObserver::onWriteComplete(int cookie)
{
    emit writeComplete(m_transport, cookie);
}

void cTransportObserver::onReceived(const QByteArray &report)
{
    emit received(m_transport, report);
}
