#include "cPcapSink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

cPcapSink::cPcapSink(qint64 epochUsec)
    : m_epochUsec(epochUsec)
{ }

bool cPcapSink::open(const QString &fileName)
{
    m_fileName = fileName;
    // The temporary file only reserves a name in the capture's folder (a rename never crosses
    // file systems); libpcap writes it by that name.
    m_temporary.reset(new QTemporaryFile(fileName + QStringLiteral(".XXXXXX")));
    if (!m_temporary->open()) {
        m_error = QStringLiteral("cannot write capture %1: %2").arg(fileName, m_temporary->errorString());
        return false;
    }
    m_temporary->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                | QFileDevice::ReadOther);
    if (m_writer.open(m_temporary->fileName()))
        return true;
    m_error = m_writer.errorString();
    return false;
}

bool cPcapSink::close()
{
    if (!m_writer.isOpen())
        return m_error.isEmpty();
    if (!m_writer.close())
        fail(m_writer.errorString());
    // std::rename replaces an existing capture in one step, which QFile::rename refuses to do.
    if (m_error.isEmpty()
        && std::rename(QFile::encodeName(m_temporary->fileName()).constData(),
                       QFile::encodeName(m_fileName).constData())
            != 0)
        fail(QStringLiteral("cannot write capture %1: %2")
                 .arg(m_fileName, QString::fromLocal8Bit(std::strerror(errno))));
    else if (m_error.isEmpty())
        m_temporary->setAutoRemove(false);
    return m_error.isEmpty();
}

void cPcapSink::fail(const QString &error)
{
    // The user named the capture, not the temporary file it is written under.
    if (m_error.isEmpty())
        m_error = QString(error).replace(m_temporary->fileName(), m_fileName);
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
        // A report that no started transport took never crossed the bus.
        if (!event.value(QStringLiteral("dropped")).toBool() && !m_writer.writeInput(usec, report()))
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
