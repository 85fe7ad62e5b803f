#include "cPcapSink.h"

#include "OutputFile.h"

#include "HeadsetDescriptors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Addresses as a Linux host hands them out: the root hub and the hubs and devices that a machine
// has before the headset is plugged take the first few; after 127 the host starts again at 1.
constexpr quint8 g_firstAddress = 5;
constexpr quint8 g_lastAddress = 127;

} // namespace

cPcapSink::cPcapSink(qint64 epochUsec)
    : m_nextAddress(g_firstAddress)
    , m_epochUsec(epochUsec)
{
    m_descriptors.device = HeadsetDescriptors::deviceDescriptor();
    m_descriptors.configuration = HeadsetDescriptors::configurationDescriptor();
    m_descriptors.hidReport = HeadsetDescriptors::reportDescriptor();
    m_descriptors.hidInterface = HeadsetDescriptors::g_hidInterface;
}

bool cPcapSink::open(const QString &fileName)
{
    m_fileName = fileName;
    if (OutputFile::writesInPlace(fileName)) {
        if (m_writer.open(fileName))
            return true;
        m_error = m_writer.errorString();
        return false;
    }
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
    if (!m_temporary)
        return m_error.isEmpty();
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
        m_error = m_temporary ? QString(error).replace(m_temporary->fileName(), m_fileName) : error;
}

void cPcapSink::enumerate(qint64 usec, const cTraceEvent &event)
{
    // A device that takes a HID transport has just seen it plugged; one that refuses it (another
    // product's) has no traffic to show.
    if (event.value(QStringLiteral("transport")).toString() != QLatin1String("hid")
        || !event.value(QStringLiteral("result")).toBool())
        return;
    const quint8 address = m_nextAddress;
    m_nextAddress = m_nextAddress == g_lastAddress ? 1 : m_nextAddress + 1;
    m_addresses.insert(event.value(QStringLiteral("device")).toInt(), address);
    if (!m_writer.writeEnumeration(usec, address, m_descriptors))
        fail(m_writer.errorString());
}

quint8 cPcapSink::addressOf(const cTraceEvent &event) const
{
    return m_addresses.value(event.value(QStringLiteral("device")).toInt(), 0);
}

void cPcapSink::write(const cTraceEvent &event)
{
    if (!m_writer.isOpen())
        return;
    const qint64 usec = m_epochUsec + event.msecs() * 1000;
    const auto report = [&event] {
        return QByteArray::fromHex(event.value(QStringLiteral("report")).toString().toLatin1());
    };
    const quint8 address = addressOf(event);
    switch (event.kind()) {
    case TraceKind::CreateDevice:
    case TraceKind::AddTransport:
        enumerate(usec, event);
        break;
    case TraceKind::HidWrite:
        if (address != 0 && !m_writer.submitOutput(usec, address, report()))
            fail(m_writer.errorString());
        break;
    case TraceKind::HidComplete:
        // A completion with no transfer waiting (a transport that completes twice) has no URB
        // to finish; the capture shows each transfer's first completion only.
        if (m_writer.pendingOutputs(address) > 0 && !m_writer.completeOutput(usec, address))
            fail(m_writer.errorString());
        break;
    case TraceKind::HidInput:
        // A report that no started transport took never crossed the bus.
        if (address != 0 && !event.value(QStringLiteral("dropped")).toBool()
            && !m_writer.writeInput(usec, address, report()))
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
