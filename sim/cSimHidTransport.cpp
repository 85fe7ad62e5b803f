#include "cSimHidTransport.h"

#include <QTimer>

cSimHidTransport::cSimHidTransport(const cJsonValue &info)
    : cSimTransportBase<IHidTransport>(info)
{ }

QByteArray cSimHidTransport::read()
{
    if (m_input.isEmpty())
        return QByteArray();
    return m_input.takeFirst();
}

void cSimHidTransport::write(int cookie, const QByteArray &outputReport)
{
    m_writes.append({outputReport, cookie});
    emit tap().written(outputReport, cookie);

    // A completion never arrives inside write(): a real transport reports it from its own I/O
    // path, and a device must cope with the completion coming after it returned.
    const int completions = m_completionMode == CompleteNever ? 0 : m_completionMode == CompleteTwice ? 2 : 1;
    for (int i = 0; i < completions; ++i)
        QTimer::singleShot(m_completionLatency, this, [this, cookie] {
            emit tap().writeCompleted(cookie);
            emit writeComplete(cookie);
        });
}

bool cSimHidTransport::feedInput(const QByteArray &report)
{
    if (!started())
        return false;
    m_input.append(report);
    emit readyRead();
    return true;
}
