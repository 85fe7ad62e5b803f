#include "cCaptureReader.h"

#include <QFile>
#include <QMap>
#include <QPair>
#include <QRegularExpression>
#include <QtEndian>

#include <cstring>
#include <memory>
#include <pcap/pcap.h>
#include <utility>

namespace {

constexpr quint8 g_xferInterrupt = 1;
constexpr quint8 g_endpointIn = 0x80;

// Linux usbmon: the 48-byte header of LINKTYPE_USB_LINUX is the start of the 64-byte one of
// LINKTYPE_USB_LINUX_MMAPPED. libpcap hands both over in the reading host's byte order.
constexpr int g_usbmonLength = 48;
constexpr int g_usbmonMmappedLength = 64;
constexpr int g_usbmonType = 8;
constexpr int g_usbmonXferType = 9;
constexpr int g_usbmonEndpoint = 10;
constexpr int g_usbmonDevice = 11;
constexpr int g_usbmonBus = 12;
constexpr int g_usbmonLenCap = 36;

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

cPacketResult parseUsbmon(const u_char *bytes, quint32 captured, quint32 headerLength)
{
    cPacketResult result;
    if (captured < headerLength) {
        result.problem = cutShort(captured, headerLength);
        return result;
    }
    quint16 bus = 0;
    quint32 dataLength = 0;
    std::memcpy(&bus, bytes + g_usbmonBus, sizeof bus);
    std::memcpy(&dataLength, bytes + g_usbmonLenCap, sizeof dataLength);
    if (bytes[g_usbmonType] != 'C' || bytes[g_usbmonXferType] != g_xferInterrupt
        || !(bytes[g_usbmonEndpoint] & g_endpointIn) || dataLength == 0)
        return result;
    // Isochronous descriptors, which len_cap would count too, come only with isochronous
    // transfers, so an interrupt completion's captured length is all data.
    if (captured - headerLength < dataLength) {
        result.problem = cutShort(captured, headerLength + dataLength);
        return result;
    }
    result.report = true;
    result.data = QByteArray(reinterpret_cast<const char *>(bytes + headerLength), int(dataLength));
    result.bus = bus;
    result.address = bytes[g_usbmonDevice];
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
    if (bytes[g_usbpcapTransfer] != g_xferInterrupt || !(bytes[g_usbpcapEndpoint] & g_endpointIn)
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

    char message[PCAP_ERRBUF_SIZE] = {};
    std::unique_ptr<pcap_t, decltype(&pcap_close)> capture(
        pcap_open_offline_with_tstamp_precision(QFile::encodeName(fileName).constData(),
                                                PCAP_TSTAMP_PRECISION_MICRO, message),
        &pcap_close);
    if (!capture) {
        m_error = QStringLiteral("cannot read capture %1: %2").arg(fileName, QString::fromLocal8Bit(message));
        return false;
    }

    m_linkType = pcap_datalink(capture.get());
    quint32 usbmonHeaderLength = 0;
    switch (m_linkType) {
    case DLT_USB_LINUX:
        usbmonHeaderLength = g_usbmonLength;
        break;
    case DLT_USB_LINUX_MMAPPED:
        usbmonHeaderLength = g_usbmonMmappedLength;
        break;
    case DLT_USBPCAP:
        break;
    default: {
        const char *name = pcap_datalink_val_to_name(m_linkType);
        m_error
            = QStringLiteral("capture %1 is not a USB capture: its link type is %2 (%3); replay reads usbmon "
                             "(189, 220) and USBPcap (249) captures")
                  .arg(fileName)
                  .arg(m_linkType)
                  .arg(name ? QString::fromLatin1(name) : QStringLiteral("unknown"));
        return false;
    }
    }

    QVector<cReplayedReport> found;
    QMap<QPair<int, int>, bool> devices;
    qint64 packetNumber = 0;
    for (;;) {
        pcap_pkthdr *record = nullptr;
        const u_char *bytes = nullptr;
        const int status = pcap_next_ex(capture.get(), &record, &bytes);
        if (status == PCAP_ERROR_BREAK)
            break;
        if (status != 1) {
            m_error = QStringLiteral("cannot read capture %1 after packet %2: %3")
                          .arg(fileName)
                          .arg(packetNumber)
                          .arg(QString::fromLocal8Bit(pcap_geterr(capture.get())));
            return false;
        }
        ++packetNumber;
        const cPacketResult packet = usbmonHeaderLength
            ? parseUsbmon(bytes, record->caplen, usbmonHeaderLength)
            : parseUsbpcap(bytes, record->caplen);
        if (!packet.problem.isEmpty()) {
            m_error = QStringLiteral("cannot read capture %1 at packet %2: %3")
                          .arg(fileName)
                          .arg(packetNumber)
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
        found.append(report);
    }

    for (auto it = devices.keyBegin(); it != devices.keyEnd(); ++it)
        m_devices.append(deviceName(it->first, it->second));

    if (filterBus >= 0) {
        if (!devices.contains(qMakePair(filterBus, filterAddress))) {
            m_error = QStringLiteral("capture %1 holds no interrupt IN data from device %2 (%3)")
                          .arg(fileName, deviceName(filterBus, filterAddress),
                               m_devices.isEmpty()
                                   ? QStringLiteral("it holds none from any device")
                                   : QStringLiteral("devices: ") + m_devices.join(QStringLiteral(", ")));
            return false;
        }
        for (const cReplayedReport &report : std::as_const(found)) {
            if (report.bus == filterBus && report.address == filterAddress)
                m_reports.append(report);
        }
    } else {
        m_reports = found;
    }
    const qint64 first = m_reports.isEmpty() ? 0 : m_reports.constFirst().usec;
    for (cReplayedReport &report : m_reports)
        report.usecFromFirst = report.usec - first;
    return true;
}
