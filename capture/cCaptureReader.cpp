#include "cCaptureReader.h"

#include "cUsbmonHeader.h"

#include <QFile>
#include <QMap>
#include <QPair>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <pcap/pcap.h>
#include <utility>

namespace {

// USBPcap's packed little-endian USBPCAP_BUFFER_PACKET_HEADER. Transfer-specific fields may
// follow it; headerLen counts them, and the data starts after headerLen bytes.
constexpr int g_usbpcapBaseLength = 27;
constexpr int g_usbpcapInfo = 16;
constexpr int g_usbpcapBus = 17;
constexpr int g_usbpcapDevice = 19;
constexpr int g_usbpcapEndpoint = 21;
constexpr int g_usbpcapTransfer = 22;
constexpr int g_usbpcapDataLength = 23;
// Set on what travels from the device's physical object up to its driver: a completion.
constexpr quint8 g_usbpcapInfoPdoToFdo = 0x01;

// What one packet holds for replay: nothing, an interrupt transfer that may be an input report, or
// a reason the file is unusable.
struct cPacketResult
{
    bool interrupt = false;
    bool report = false;
    QString problem;
    QByteArray data;
    int bus = 0;
    int address = 0;
};

QString cutShort(quint32 captured, quint32 needed)
{
    return QStringLiteral("cut short, it holds %1 of the %2 bytes its USB header announces")
        .arg(captured)
        .arg(needed);
}

// headerLength is the record's: the 48-byte LINKTYPE_USB_LINUX header is the start of the 64-byte
// one, and libpcap hands both over in the reading host's byte order.
cPacketResult parseUsbmon(const u_char *bytes, quint32 captured, quint32 headerLength)
{
    cPacketResult result;
    if (captured < headerLength) {
        result.problem = cutShort(captured, headerLength);
        return result;
    }
    cUsbmonHeader header {};
    std::memcpy(&header, bytes, headerLength);
    if (header.xferType != g_usbXferInterrupt)
        return result;
    result.interrupt = true;
    result.bus = header.busnum;
    result.address = header.devnum;
    if (header.type != 'C' || !(header.epnum & g_usbEndpointIn) || header.lenCap == 0)
        return result;
    // Isochronous descriptors, which len_cap would count too, come only with isochronous
    // transfers, so an interrupt completion's captured length is all data.
    if (captured - headerLength < header.lenCap) {
        result.problem = cutShort(captured, headerLength + header.lenCap);
        return result;
    }
    result.report = true;
    result.data = QByteArray(reinterpret_cast<const char *>(bytes + headerLength), int(header.lenCap));
    return result;
}

cPacketResult parseUsbpcap(const u_char *bytes, quint32 captured)
{
    cPacketResult result;
    if (captured < quint32(g_usbpcapBaseLength)) {
        result.problem = cutShort(captured, g_usbpcapBaseLength);
        return result;
    }
    const quint32 headerLength = qFromLittleEndian<quint16>(bytes);
    if (headerLength < quint32(g_usbpcapBaseLength)) {
        result.problem
            = QStringLiteral("its USBPcap header length %1 is shorter than the %2-byte base header")
                  .arg(headerLength)
                  .arg(g_usbpcapBaseLength);
        return result;
    }
    if (captured < headerLength) {
        result.problem = cutShort(captured, headerLength);
        return result;
    }
    const quint32 dataLength = qFromLittleEndian<quint32>(bytes + g_usbpcapDataLength);
    if (bytes[g_usbpcapTransfer] != g_usbXferInterrupt)
        return result;
    result.interrupt = true;
    result.bus = qFromLittleEndian<quint16>(bytes + g_usbpcapBus);
    result.address = qFromLittleEndian<quint16>(bytes + g_usbpcapDevice);
    if (!(bytes[g_usbpcapEndpoint] & g_usbEndpointIn) || !(bytes[g_usbpcapInfo] & g_usbpcapInfoPdoToFdo)
        || dataLength == 0)
        return result;
    if (captured - headerLength < dataLength) {
        result.problem = cutShort(captured, headerLength + dataLength);
        return result;
    }
    result.report = true;
    result.data = QByteArray(reinterpret_cast<const char *>(bytes + headerLength), int(dataLength));
    return result;
}

// Microseconds since the epoch, for a time from 1970 on whose microseconds fit in 63 bits: a pcapng
// file may count in any unit, and one that counts in seconds reaches times libpcap hands over
// as seconds that no microsecond count holds. Times after the epoch only, so that the difference of
// two never overflows either.
bool toUsec(const timeval &time, qint64 *usec)
{
    constexpr qint64 usecPerSecond = 1000000;
    constexpr qint64 lastSecond = std::numeric_limits<qint64>::max() / usecPerSecond - 1;
    if (time.tv_sec < 0 || qint64(time.tv_sec) > lastSecond || time.tv_usec < 0
        || time.tv_usec >= usecPerSecond)
        return false;
    *usec = qint64(time.tv_sec) * usecPerSecond + time.tv_usec;
    return true;
}

// 0 for USBPcap, whose records give their own header length.
quint32 usbmonHeaderLength(int linkType)
{
    switch (linkType) {
    case DLT_USB_LINUX:
        return g_usbmonLength;
    case DLT_USB_LINUX_MMAPPED:
        return g_usbmonMmappedLength;
    default:
        return 0;
    }
}

} // namespace

void cCaptureReader::clear()
{
    m_file.reset();
    m_linkType = -1;
    m_devices.clear();
    m_filterBus = -1;
    m_filterAddress = -1;
    m_reportCount = 0;
    m_firstUsec = 0;
    m_lengthUsec = 0;
    m_stream.reset();
}

bool cCaptureReader::parseDevice(const QString &text, int *bus, int *address)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})\\.(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int parsedBus = match.captured(1).toInt();
    const int parsedAddress = match.captured(2).toInt();
    if (parsedBus > 0xffff || parsedAddress > 0xffff)
        return false;
    *bus = parsedBus;
    *address = parsedAddress;
    return true;
}

QString cCaptureReader::deviceName(int bus, int address)
{
    return QStringLiteral("%1.%2").arg(bus).arg(address);
}

void cCaptureReader::cPcapClose::operator()(pcap *capture) const
{
    pcap_close(capture);
}

bool cCaptureReader::isPcap(const QByteArray &head)
{
    // pcap's magic numbers for microsecond and nanosecond times in either byte order, and the
    // pcapng section header's block type, which reads the same in both.
    static const quint32 magics[] = {0xa1b2c3d4, 0xd4c3b2a1, 0xa1b23c4d, 0x4d3cb2a1, 0x0a0d0d0a};
    if (head.size() < 4)
        return false;
    const quint32 magic = qFromBigEndian<quint32>(head.constData());
    return std::find(std::begin(magics), std::end(magics), magic) != std::end(magics);
}

bool cCaptureReader::read(std::shared_ptr<const cCaptureSpool> file, const QString &deviceFilter)
{
    m_error.clear();
    clear();
    if (!file->errorString().isEmpty()) {
        m_error = file->errorString();
        return false;
    }
    if (!deviceFilter.isEmpty() && !parseDevice(deviceFilter, &m_filterBus, &m_filterAddress)) {
        m_error = QStringLiteral("invalid device filter \"%1\": expected BUS.ADDRESS, e.g. 1.5")
                      .arg(deviceFilter);
        return false;
    }
    m_file = std::move(file);
    const cPcapHandle capture = open();
    if (capture && collect(capture.get()))
        return true;
    clear();
    return false;
}

bool cCaptureReader::rewind()
{
    m_stream.reset();
    if (!m_file)
        return false;
    m_stream = open();
    return m_stream != nullptr;
}

bool cCaptureReader::next(cReplayedReport *report)
{
    bool isReport = false;
    while (m_stream) {
        const int status = readPacket(m_stream.get(), report, &isReport);
        if (status <= 0)
            m_stream.reset();
        else if (isReport && counts(*report)) {
            report->usecFromFirst = report->usec - m_firstUsec;
            return true;
        }
    }
    return false;
}

cCaptureReader::cPcapHandle cCaptureReader::open()
{
    m_packetNumber = 0;
    const QString fileName = m_file->name();
    char message[PCAP_ERRBUF_SIZE] = {};
    cPcapHandle capture(pcap_open_offline_with_tstamp_precision(QFile::encodeName(m_file->path()).constData(),
                                                                PCAP_TSTAMP_PRECISION_MICRO, message));
    if (!capture) {
        m_error = QStringLiteral("cannot read capture %1: %2").arg(fileName, QString::fromLocal8Bit(message));
        return capture;
    }
    m_linkType = pcap_datalink(capture.get());
    if (m_linkType == DLT_USB_LINUX || m_linkType == DLT_USB_LINUX_MMAPPED || m_linkType == DLT_USBPCAP)
        return capture;
    const char *name = pcap_datalink_val_to_name(m_linkType);
    m_error = QStringLiteral("capture %1 is not a USB capture: its link type is %2 (%3); replay reads usbmon "
                             "(189, 220) and USBPcap (249) captures")
                  .arg(fileName)
                  .arg(m_linkType)
                  .arg(name ? QString::fromLatin1(name) : QStringLiteral("unknown"));
    capture.reset();
    return capture;
}

bool cCaptureReader::collect(pcap *capture)
{
    QMap<QPair<int, int>, bool> devices;
    cReplayedReport report;
    bool isReport = false;
    bool anyPacket = false;
    int status = 0;
    while ((status = readPacket(capture, &report, &isReport)) > 0) {
        if (isReport)
            devices.insert(qMakePair(report.bus, report.address), true);
        if (!counts(report))
            continue;
        if (!anyPacket)
            m_firstUsec = report.usec;
        anyPacket = true;
        if (!isReport)
            continue;
        ++m_reportCount;
        m_lengthUsec = std::max(m_lengthUsec, report.usec - m_firstUsec);
    }
    if (status < 0)
        return false;
    for (auto it = devices.keyBegin(); it != devices.keyEnd(); ++it)
        m_devices.append(deviceName(it->first, it->second));
    if (m_filterBus < 0 || devices.contains(qMakePair(m_filterBus, m_filterAddress)))
        return true;
    m_error = QStringLiteral("capture %1 holds no interrupt IN data from device %2 (%3)")
                  .arg(m_file->name(), deviceName(m_filterBus, m_filterAddress),
                       heldDevices(m_devices, QStringLiteral("it holds none from any device")));
    return false;
}

int cCaptureReader::readPacket(pcap *capture, cReplayedReport *report, bool *isReport)
{
    const quint32 headerLength = usbmonHeaderLength(m_linkType);
    for (;;) {
        pcap_pkthdr *record = nullptr;
        const u_char *bytes = nullptr;
        const int status = pcap_next_ex(capture, &record, &bytes);
        if (status == PCAP_ERROR_BREAK)
            return 0;
        if (status != 1) {
            m_error = QStringLiteral("cannot read capture %1 after packet %2: %3")
                          .arg(m_file->name())
                          .arg(m_packetNumber)
                          .arg(QString::fromLocal8Bit(pcap_geterr(capture)));
            return -1;
        }
        ++m_packetNumber;
        cPacketResult packet = headerLength ? parseUsbmon(bytes, record->caplen, headerLength)
                                            : parseUsbpcap(bytes, record->caplen);
        if (!packet.problem.isEmpty()) {
            m_error = QStringLiteral("cannot read capture %1 at packet %2: %3")
                          .arg(m_file->name())
                          .arg(m_packetNumber)
                          .arg(packet.problem);
            return -1;
        }
        if (!packet.interrupt)
            continue;
        if (!toUsec(record->ts, &report->usec)) {
            m_error = QStringLiteral("cannot read capture %1 at packet %2: its time stamp, %3 s from the "
                                     "epoch, is out of range")
                          .arg(m_file->name())
                          .arg(m_packetNumber)
                          .arg(qint64(record->ts.tv_sec));
            return -1;
        }
        *isReport = packet.report;
        report->data = std::move(packet.data);
        report->bus = packet.bus;
        report->address = packet.address;
        return 1;
    }
}

bool cCaptureReader::counts(const cReplayedReport &report) const
{
    return m_filterBus < 0 || (report.bus == m_filterBus && report.address == m_filterAddress);
}
