#include "cPcapSink.h"

cPcapSink::cPcapSink(qint64 epochUsec)
    : m_epochUsec(epochUsec)
{ }

bool cPcapSink::open(const QString &fileName)
{
    if (m_writer.open(fileName))
        return true;
    m_error = m_writer.errorString();
    return false;
}

bool cPcapSink::close()
{
    if (m_writer.isOpen() && !m_writer.close())
        fail(m_writer.errorString());
    return m_error.isEmpty();
}

void cPcapSink::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
}

void cPcapSink::write(const cTraceEvent &event)
{
    if (!m_writer.isOpen())
        return;
    const qint64 usec = m_epochUsec + event.msecs() * 1000;
    const auto report = [&event] {
        return QByteArray::fromHex(event.value(QStringLiteral("report")).toString().toLatin1());
    };
    switch (event.kind()) {
    case TraceKind::HidWrite:
        if (!m_writer.submitOutput(usec, report()))
            fail(m_writer.errorString());
        break;
    case TraceKind::HidComplete:
        // A completion with no transfer waiting (a transport that completes twice) has no URB
        // to finish; the capture shows each transfer's first completion only.
        if (m_writer.pendingOutputs() > 0 && !m_writer.completeOutput(usec))
            fail(m_writer.errorString());
        break;
    case TraceKind::HidInput:
        if (!m_writer.writeInput(usec, report()))
            fail(m_writer.errorString());
        break;
    default:
        break;
    }
}

void cPcapSink::finish(const cTraceEvent &)
{
    close();
}
