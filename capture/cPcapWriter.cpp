#include "cPcapWriter.h"

#include "cUsbmonHeader.h"

#include <QFile>

#include <cstdio>
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
// which pairs a completion with its submission by id. Each device keeps its own interrupt IN and
// control URBs; output URBs are numbered across the capture.
constexpr quint64 g_deviceUrbBase = 0xffff888004a00000ULL;
constexpr quint64 g_deviceUrbStride = 0x1000;
constexpr quint64 g_controlUrbOffset = 0x800;
constexpr quint64 g_outUrbBase = 0xffff888005000000ULL;
constexpr quint64 g_outUrbStride = 0x100;
constexpr qint64 g_usecPerSec = 1000000;

// The standard requests and descriptor types with which a host reads a device, its configuration
// and a HID interface's report descriptor, and sets the configuration.
constexpr quint8 g_requestInStandardDevice = 0x80;
constexpr quint8 g_requestInStandardInterface = 0x81;
constexpr quint8 g_requestOutStandardDevice = 0x00;
constexpr quint8 g_getDescriptor = 6;
constexpr quint8 g_setConfiguration = 9;
constexpr quint16 g_deviceDescriptor = 0x0100;
constexpr quint16 g_configurationDescriptor = 0x0200;
constexpr quint16 g_hidReportDescriptor = 0x2200;
constexpr quint8 g_setupLength = 8;

quint64 inUrbId(quint8 address)
{
    return g_deviceUrbBase + address * g_deviceUrbStride;
}

quint64 controlUrbId(quint8 address)
{
    return inUrbId(address) + g_controlUrbOffset;
}

} // namespace

cPcapWriter::cPcapWriter(quint16 bus, quint8 inEndpoint, quint8 outEndpoint)
    : m_bus(bus)
    , m_inEndpoint(inEndpoint | g_usbEndpointIn)
    , m_outEndpoint(outEndpoint & ~g_usbEndpointIn)
{ }

cPcapWriter::~cPcapWriter()
{
    close();
}

bool cPcapWriter::open(const QString &fileName)
{
    return open(std::fopen(QFile::encodeName(fileName).constData(), "wb"), fileName);
}

bool cPcapWriter::open(std::FILE *stream, const QString &name)
{
    close();
    m_error.clear();
    m_devices.clear();
    m_nextOutUrb = 0;
    m_fileName = name;

    if (!stream) {
        m_error = QStringLiteral("cannot write capture %1: %2").arg(name, qt_error_string());
        return false;
    }
    m_pcap = pcap_open_dead_with_tstamp_precision(DLT_USB_LINUX_MMAPPED, g_snapLength,
                                                  PCAP_TSTAMP_PRECISION_MICRO);
    if (!m_pcap) {
        std::fclose(stream);
        m_error = QStringLiteral("cannot write capture %1: libpcap could not set up a writer").arg(name);
        return false;
    }
    // libpcap closes the stream when it cannot write the file header to it.
    m_dumper = pcap_dump_fopen(m_pcap, stream);
    if (!m_dumper) {
        m_error = QStringLiteral("cannot write capture %1: %2")
                      .arg(name, QString::fromLocal8Bit(pcap_geterr(m_pcap)));
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
    // libpcap's writes report nothing: a write that failed once the stream's buffer was full shows
    // only in the stream's error flag, which a later flush with nothing left to write leaves alone.
    if (pcap_dump_flush(m_dumper) != 0 || std::ferror(pcap_dump_file(m_dumper))) {
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

void cPcapWriter::writePacket(const cUrb &urb, qint64 usec, const QByteArray &data)
{
    cUsbmonHeader header;
    std::memset(&header, 0, sizeof header);
    header.id = urb.id;
    header.type = urb.type;
    const bool control = (urb.endpoint & ~g_usbEndpointIn) == 0;
    header.xferType = control ? g_usbXferControl : g_usbXferInterrupt;
    header.epnum = urb.endpoint;
    header.devnum = urb.address;
    const auto device = m_devices.constFind(urb.address);
    header.busnum = device != m_devices.cend() && device->bus != 0 ? device->bus : m_bus;
    // 0 marks a setup packet that was captured: a control transfer's submission carries one.
    header.flagSetup = urb.setup ? 0 : '-';
    if (urb.setup)
        std::memcpy(header.setup, urb.setup, g_setupLength);
    // As the kernel does: '<' and '>' mark the events whose direction carries no data (an IN
    // submission, an OUT completion), 0 the others, even when their data is empty.
    const bool in = urb.endpoint & g_usbEndpointIn;
    header.flagData = (in && urb.type == 'S') ? '<' : (!in && urb.type == 'C') ? '>' : 0;
    header.tsSec = usec / g_usecPerSec;
    header.tsUsec = static_cast<qint32>(usec % g_usecPerSec);
    header.status = urb.status;
    header.length = urb.length;
    header.lenCap = static_cast<quint32>(data.size());
    header.interval = control ? 0 : g_pollInterval;
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

void cPcapWriter::writeControlIn(qint64 usec, quint8 address, quint8 requestType, quint16 value,
                                 quint16 index, const QByteArray &data)
{
    const quint16 length = quint16(data.size());
    const quint8 setup[g_setupLength]
        = {requestType,   g_getDescriptor,    quint8(value),  quint8(value >> 8),
           quint8(index), quint8(index >> 8), quint8(length), quint8(length >> 8)};
    const quint64 id = controlUrbId(address);
    writePacket({id, 'S', address, g_usbEndpointIn, g_statusInProgress, length, setup}, usec, QByteArray());
    writePacket({id, 'C', address, g_usbEndpointIn, 0, length, nullptr}, usec, data);
}

void cPcapWriter::writeControlOut(qint64 usec, quint8 address, quint8 request, quint16 value)
{
    const quint8 setup[g_setupLength]
        = {g_requestOutStandardDevice, request, quint8(value), quint8(value >> 8), 0, 0, 0, 0};
    const quint64 id = controlUrbId(address);
    writePacket({id, 'S', address, 0, g_statusInProgress, 0, setup}, usec, QByteArray());
    writePacket({id, 'C', address, 0, 0, 0, nullptr}, usec, QByteArray());
}

bool cPcapWriter::writeEnumeration(qint64 usec, quint8 address, const cUsbDeviceDescriptors &descriptors,
                                   quint16 bus)
{
    if (!checkWritable(usec))
        return false;
    m_devices.remove(address);
    m_devices[address].bus = bus;
    // bConfigurationValue of the (first and only) configuration, byte 5 of its descriptor.
    const QByteArray &all = descriptors.configuration;
    const quint8 configuration = all.size() > 5 ? quint8(all.at(5)) : 1;
    writeControlIn(usec, address, g_requestInStandardDevice, g_deviceDescriptor, 0, descriptors.device);
    writeControlIn(usec, address, g_requestInStandardDevice, g_configurationDescriptor, 0,
                   descriptors.configuration);
    writeControlOut(usec, address, g_setConfiguration, configuration);
    writeControlIn(usec, address, g_requestInStandardInterface, g_hidReportDescriptor,
                   descriptors.hidInterface, descriptors.hidReport);
    return true;
}

bool cPcapWriter::writeOutput(qint64 usec, quint8 address, const QByteArray &report)
{
    return submitOutput(usec, address, report) && completeOutput(usec, address);
}

bool cPcapWriter::submitOutput(qint64 usec, quint8 address, const QByteArray &report)
{
    if (!checkWritable(usec))
        return false;
    const quint64 urbId = g_outUrbBase + m_nextOutUrb++ * g_outUrbStride;
    m_devices[address].pendingOut.enqueue({urbId, quint32(report.size())});
    writePacket({urbId, 'S', address, m_outEndpoint, g_statusInProgress, quint32(report.size()), nullptr},
                usec, report);
    return true;
}

bool cPcapWriter::completeOutput(qint64 usec, quint8 address)
{
    if (!checkWritable(usec))
        return false;
    if (pendingOutputs(address) == 0) {
        m_error = QStringLiteral("no output transfer of device %1 waits for a completion").arg(address);
        return false;
    }
    const cDeviceState::cPendingOutput output = m_devices[address].pendingOut.dequeue();
    writePacket({output.urbId, 'C', address, m_outEndpoint, 0, output.length, nullptr}, usec, QByteArray());
    return true;
}

int cPcapWriter::pendingOutputs(quint8 address) const
{
    const auto device = m_devices.constFind(address);
    return device == m_devices.cend() ? 0 : int(device->pendingOut.size());
}

bool cPcapWriter::writeInput(qint64 usec, quint8 address, const QByteArray &report)
{
    if (!checkWritable(usec))
        return false;
    cDeviceState &device = m_devices[address];
    device.inBufferLength = qMax(device.inBufferLength, quint32(report.size()));
    const cUrb submission {inUrbId(address),      'S',    address, m_inEndpoint, g_statusInProgress,
                           device.inBufferLength, nullptr};
    if (!device.inSubmitted) {
        writePacket(submission, usec, QByteArray());
        device.inSubmitted = true;
    }
    writePacket({inUrbId(address), 'C', address, m_inEndpoint, 0, quint32(report.size()), nullptr}, usec,
                report);
    writePacket(submission, usec, QByteArray());
    return true;
}
