#include "cPcapWriter.h"

#include "cUsbmonHeader.h"

#include <QFile>

#include <cstring>
#include <pcap/pcap.h>

namespace {

// Linux's errno values, whatever the host: the capture claims to come from a Linux usbmon.
constexpr qint32 g_statusInProgress = -115;
// The transfer flag with which the kernel marks URBs that read from the device.
constexpr quint32 g_urbDirIn = 0x0200;
// A full-speed HID device polled every frame (bInterval 1); usbmon reports it in frames.
constexpr qint32 g_pollInterval = 1;
constexpr int g_snapLength = 262144;
// URB ids are kernel addresses of the URB structure; only their equality matters to a reader,
// which pairs a completion with its submission by id.
constexpr quint64 g_inUrbId = 0xffff888004a21c00ULL;
constexpr quint64 g_outUrbBase = 0xffff888004a3e000ULL;
constexpr quint64 g_outUrbStride = 0x100;
constexpr qint64 g_usecPerSec = 1000000;

} // namespace

cPcapWriter::cPcapWriter(quint16 bus, quint8 address, quint8 inEndpoint, quint8 outEndpoint)
    : m_bus(bus)
    , m_address(address)
    , m_inEndpoint(inEndpoint | g_usbEndpointIn)
    , m_outEndpoint(outEndpoint & ~g_usbEndpointIn)
{ }

cPcapWriter::~cPcapWriter()
{
    close();
}

bool cPcapWriter::open(const QString &fileName)
{
    close();
    m_error.clear();
    m_pendingOut.clear();
    m_nextOutUrb = 0;
    m_inSubmitted = false;
    m_inBufferLength = 0;
    m_fileName = fileName;

    m_pcap = pcap_open_dead_with_tstamp_precision(DLT_USB_LINUX_MMAPPED, g_snapLength,
                                                  PCAP_TSTAMP_PRECISION_MICRO);
    if (!m_pcap) {
        m_error = QStringLiteral("cannot write capture %1: libpcap could not set up a writer").arg(fileName);
        return false;
    }
    m_dumper = pcap_dump_open(m_pcap, QFile::encodeName(fileName).constData());
    if (!m_dumper) {
        m_error = QStringLiteral("cannot write capture %1: %2")
                      .arg(fileName, QString::fromLocal8Bit(pcap_geterr(m_pcap)));
        pcap_close(m_pcap);
        m_pcap = nullptr;
        return false;
    }
    return true;
}

bool cPcapWriter::flush()
{
    if (!m_dumper)
        return false;
    if (pcap_dump_flush(m_dumper) != 0) {
        m_error = QStringLiteral("cannot write capture %1: the data could not be written").arg(m_fileName);
        return false;
    }
    return true;
}

bool cPcapWriter::close()
{
    if (!m_dumper)
        return false;
    const bool flushed = flush();
    // pcap_dump_close reports no error, so a failure of the last write shows only through
    // the flush above.
    pcap_dump_close(m_dumper);
    pcap_close(m_pcap);
    m_dumper = nullptr;
    m_pcap = nullptr;
    return flushed;
}

bool cPcapWriter::checkWritable(qint64 usec)
{
    if (!m_dumper) {
        m_error = QStringLiteral("capture is not open");
        return false;
    }
    if (usec < 0) {
        m_error = QStringLiteral("cannot write capture %1: negative time %2 us").arg(m_fileName).arg(usec);
        return false;
    }
    return true;
}

void cPcapWriter::writePacket(quint64 urbId, char type, quint8 endpoint, qint64 usec, int status,
                              quint32 urbLength, const QByteArray &data)
{
    cUsbmonHeader header;
    std::memset(&header, 0, sizeof header);
    header.id = urbId;
    header.type = type;
    header.xferType = g_usbXferInterrupt;
    header.epnum = endpoint;
    header.devnum = m_address;
    header.busnum = m_bus;
    header.flagSetup = '-';
    // As the kernel does: '<' and '>' mark the events whose direction carries no data (an IN
    // submission, an OUT completion), 0 the others, even when their data is empty.
    const bool in = endpoint & g_usbEndpointIn;
    header.flagData = (in && type == 'S') ? '<' : (!in && type == 'C') ? '>' : 0;
    header.tsSec = usec / g_usecPerSec;
    header.tsUsec = static_cast<qint32>(usec % g_usecPerSec);
    header.status = status;
    header.length = urbLength;
    header.lenCap = static_cast<quint32>(data.size());
    header.interval = g_pollInterval;
    header.xferFlags = in ? g_urbDirIn : 0;

    QByteArray packet(reinterpret_cast<const char *>(&header), sizeof header);
    packet.append(data);

    pcap_pkthdr record;
    std::memset(&record, 0, sizeof record);
    record.ts.tv_sec = static_cast<decltype(record.ts.tv_sec)>(header.tsSec);
    record.ts.tv_usec = header.tsUsec;
    record.caplen = static_cast<bpf_u_int32>(packet.size());
    record.len = record.caplen;
    pcap_dump(reinterpret_cast<u_char *>(m_dumper), &record,
              reinterpret_cast<const u_char *>(packet.constData()));
}

bool cPcapWriter::writeOutput(qint64 usec, const QByteArray &report)
{
    return submitOutput(usec, report) && completeOutput(usec);
}

bool cPcapWriter::submitOutput(qint64 usec, const QByteArray &report)
{
    if (!checkWritable(usec))
        return false;
    const quint64 urbId = g_outUrbBase + m_nextOutUrb++ * g_outUrbStride;
    m_pendingOut.enqueue({urbId, quint32(report.size())});
    writePacket(urbId, 'S', m_outEndpoint, usec, g_statusInProgress, quint32(report.size()), report);
    return true;
}

bool cPcapWriter::completeOutput(qint64 usec)
{
    if (!checkWritable(usec))
        return false;
    if (m_pendingOut.isEmpty()) {
        m_error = QStringLiteral("no output transfer waits for a completion");
        return false;
    }
    const cPendingOutput output = m_pendingOut.dequeue();
    writePacket(output.urbId, 'C', m_outEndpoint, usec, 0, output.length, QByteArray());
    return true;
}

bool cPcapWriter::writeInput(qint64 usec, const QByteArray &report)
{
    if (!checkWritable(usec))
        return false;
    m_inBufferLength = qMax(m_inBufferLength, quint32(report.size()));
    if (!m_inSubmitted) {
        writePacket(g_inUrbId, 'S', m_inEndpoint, usec, g_statusInProgress, m_inBufferLength, QByteArray());
        m_inSubmitted = true;
    }
    writePacket(g_inUrbId, 'C', m_inEndpoint, usec, 0, quint32(report.size()), report);
    writePacket(g_inUrbId, 'S', m_inEndpoint, usec, g_statusInProgress, m_inBufferLength, QByteArray());
    return true;
}
