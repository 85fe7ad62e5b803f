#include "cCaptureReader.h"

#include "cUsbmonHeader.h"

#include <QFile>
#include <QMap>
#include <QPair>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <pcap/pcap.h>

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

// What one packet holds for replay: nothing, an input report, or a reason the file is unusable.
struct cPacketResult
{
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
    if (header.type != 'C' || header.xferType != g_usbXferInterrupt || !(header.epnum & g_usbEndpointIn)
        || header.lenCap == 0)
        return result;
    // Isochronous descriptors, which len_cap would count too, come only with isochronous
    // transfers, so an interrupt completion's captured length is all data.
    if (captured - headerLength < header.lenCap) {
        result.problem = cutShort(captured, headerLength + header.lenCap);
        return result;
    }
    result.report = true;
    result.data = QByteArray(reinterpret_cast<const char *>(bytes + headerLength), int(header.lenCap));
    result.bus = header.busnum;
    result.address = header.devnum;
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
    if (bytes[g_usbpcapTransfer] != g_usbXferInterrupt || !(bytes[g_usbpcapEndpoint] & g_usbEndpointIn)
        || !(bytes[g_usbpcapInfo] & g_usbpcapInfoPdoToFdo) || dataLength == 0)
        return result;
    if (captured - headerLength < dataLength) {
        result.problem = cutShort(captured, headerLength + dataLength);
        return result;
    }
    result.report = true;
    result.data = QByteArray(reinterpret_cast<const char *>(bytes + headerLength), int(dataLength));
    result.bus = qFromLittleEndian<quint16>(bytes + g_usbpcapBus);
    result.address = qFromLittleEndian<quint16>(bytes + g_usbpcapDevice);
    return result;
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
    m_error.clear();
    m_linkType = -1;
    m_reports.clear();
    m_devices.clear();
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

bool cCaptureReader::read(const QString &fileName, const QString &deviceFilter)
{
    clear();
    int filterBus = -1;
    int filterAddress = -1;
    if (!deviceFilter.isEmpty() && !parseDevice(deviceFilter, &filterBus, &filterAddress)) {
        m_error = QStringLiteral("invalid device filter \"%1\": expected BUS.ADDRESS, e.g. 1.5")
                      .arg(deviceFilter);
        return false;
    }
    const std::unique_ptr<pcap, cPcapClose> capture = open(fileName);
    QVector<cReplayedReport> found;
    if (!capture || !collect(capture.get(), fileName, &found))
        return false;
    if (filterBus >= 0 && !filterDevice(&found, fileName, filterBus, filterAddress))
        return false;
    m_reports = found;
    const qint64 first = m_reports.isEmpty() ? 0 : m_reports.constFirst().usec;
    for (cReplayedReport &report : m_reports)
        report.usecFromFirst = report.usec - first;
    return true;
}

std::unique_ptr<pcap, cCaptureReader::cPcapClose> cCaptureReader::open(const QString &fileName)
{
    char message[PCAP_ERRBUF_SIZE] = {};
    std::unique_ptr<pcap, cPcapClose> capture(pcap_open_offline_with_tstamp_precision(
        QFile::encodeName(fileName).constData(), PCAP_TSTAMP_PRECISION_MICRO, message));
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

bool cCaptureReader::collect(pcap *capture, const QString &fileName, QVector<cReplayedReport> *found)
{
    const quint32 headerLength = usbmonHeaderLength(m_linkType);
    QMap<QPair<int, int>, bool> devices;
    for (qint64 packetNumber = 0;; ++packetNumber) {
        pcap_pkthdr *record = nullptr;
        const u_char *bytes = nullptr;
        const int status = pcap_next_ex(capture, &record, &bytes);
        if (status == PCAP_ERROR_BREAK)
            break;
        if (status != 1) {
            m_error = QStringLiteral("cannot read capture %1 after packet %2: %3")
                          .arg(fileName)
                          .arg(packetNumber)
                          .arg(QString::fromLocal8Bit(pcap_geterr(capture)));
            return false;
        }
        const cPacketResult packet = headerLength ? parseUsbmon(bytes, record->caplen, headerLength)
                                                  : parseUsbpcap(bytes, record->caplen);
        if (!packet.problem.isEmpty()) {
            m_error = QStringLiteral("cannot read capture %1 at packet %2: %3")
                          .arg(fileName)
                          .arg(packetNumber + 1)
                          .arg(packet.problem);
            return false;
        }
        if (!packet.report)
            continue;
        devices.insert(qMakePair(packet.bus, packet.address), true);
        cReplayedReport report;
        report.usec = qint64(record->ts.tv_sec) * 1000000 + record->ts.tv_usec;
        report.data = packet.data;
        report.bus = packet.bus;
        report.address = packet.address;
        found->append(report);
    }
    for (auto it = devices.keyBegin(); it != devices.keyEnd(); ++it)
        m_devices.append(deviceName(it->first, it->second));
    return true;
}

bool cCaptureReader::filterDevice(QVector<cReplayedReport> *reports, const QString &fileName, int bus,
                                  int address)
{
    const QString name = deviceName(bus, address);
    if (!m_devices.contains(name)) {
        m_error = QStringLiteral("capture %1 holds no interrupt IN data from device %2 (%3)")
                      .arg(fileName, name,
                           m_devices.isEmpty()
                               ? QStringLiteral("it holds none from any device")
                               : QStringLiteral("devices: ") + m_devices.join(QStringLiteral(", ")));
        return false;
    }
    reports->erase(std::remove_if(reports->begin(), reports->end(),
                                  [bus, address](const cReplayedReport &report) {
                                      return report.bus != bus || report.address != address;
                                  }),
                   reports->end());
    return true;
}
