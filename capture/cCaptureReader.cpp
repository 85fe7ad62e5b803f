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
    m_fileName.clear();
    m_linkType = -1;
    m_devices.clear();
    m_filterBus = -1;
    m_filterAddress = -1;
    m_reportCount = 0;
    m_firstUsec = 0;
    m_lengthUsec = 0;
    m_stream.reset();
    m_spool.reset();
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
    if (!deviceFilter.isEmpty() && !parseDevice(deviceFilter, &m_filterBus, &m_filterAddress)) {
        m_error = QStringLiteral("invalid device filter \"%1\": expected BUS.ADDRESS, e.g. 1.5")
                      .arg(deviceFilter);
        return false;
    }
    m_fileName = fileName;
    if (fileName == QLatin1String("-") && !spoolStandardInput())
        return false;
    const cPcapHandle capture = open(fileName);
    if (capture && collect(capture.get()))
        return true;
    const QString error = m_error;
    clear();
    m_error = error;
    return false;
}

bool cCaptureReader::rewind()
{
    m_stream.reset();
    if (m_fileName.isEmpty())
        return false;
    m_stream = open(m_fileName);
    return m_stream != nullptr;
}

bool cCaptureReader::next(cReplayedReport *report)
{
    while (m_stream) {
        const int status = readReport(m_stream.get(), report);
        if (status <= 0)
            m_stream.reset();
        else if (counts(*report)) {
            report->usecFromFirst = report->usec - m_firstUsec;
            return true;
        }
    }
    return false;
}

QVector<cReplayedReport> cCaptureReader::reports()
{
    QVector<cReplayedReport> all;
    cReplayedReport report;
    if (rewind()) {
        while (next(&report))
            all.append(report);
    }
    return all;
}

cCaptureReader::cPcapHandle cCaptureReader::open(const QString &fileName)
{
    m_packetNumber = 0;
    char message[PCAP_ERRBUF_SIZE] = {};
    cPcapHandle capture(pcap_open_offline_with_tstamp_precision(
        QFile::encodeName(pathOf(fileName)).constData(), PCAP_TSTAMP_PRECISION_MICRO, message));
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
    int status = 0;
    while ((status = readReport(capture, &report)) > 0) {
        devices.insert(qMakePair(report.bus, report.address), true);
        if (!counts(report))
            continue;
        if (m_reportCount++ == 0)
            m_firstUsec = report.usec;
        m_lengthUsec = std::max(m_lengthUsec, report.usec - m_firstUsec);
    }
    if (status < 0)
        return false;
    for (auto it = devices.keyBegin(); it != devices.keyEnd(); ++it)
        m_devices.append(deviceName(it->first, it->second));
    if (m_filterBus < 0 || devices.contains(qMakePair(m_filterBus, m_filterAddress)))
        return true;
    m_error
        = QStringLiteral("capture %1 holds no interrupt IN data from device %2 (%3)")
              .arg(m_fileName, deviceName(m_filterBus, m_filterAddress),
                   m_devices.isEmpty() ? QStringLiteral("it holds none from any device")
                                       : QStringLiteral("devices: ") + m_devices.join(QStringLiteral(", ")));
    return false;
}

int cCaptureReader::readReport(pcap *capture, cReplayedReport *report)
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
                          .arg(m_fileName)
                          .arg(m_packetNumber)
                          .arg(QString::fromLocal8Bit(pcap_geterr(capture)));
            return -1;
        }
        ++m_packetNumber;
        cPacketResult packet = headerLength ? parseUsbmon(bytes, record->caplen, headerLength)
                                            : parseUsbpcap(bytes, record->caplen);
        if (!packet.problem.isEmpty()) {
            m_error = QStringLiteral("cannot read capture %1 at packet %2: %3")
                          .arg(m_fileName)
                          .arg(m_packetNumber)
                          .arg(packet.problem);
            return -1;
        }
        if (!packet.report)
            continue;
        report->usec = qint64(record->ts.tv_sec) * 1000000 + record->ts.tv_usec;
        report->data = std::move(packet.data);
        report->bus = packet.bus;
        report->address = packet.address;
        return 1;
    }
}

bool cCaptureReader::spoolStandardInput()
{
    // Standard input cannot be read twice; its copy can.
    QFile in;
    m_spool.reset(new QTemporaryFile);
    bool copied = in.open(stdin, QIODevice::ReadOnly) && m_spool->open();
    while (copied) {
        const QByteArray chunk = in.read(64 * 1024);
        copied = in.error() == QFileDevice::NoError && m_spool->write(chunk) == chunk.size();
        if (chunk.isEmpty())
            break;
    }
    if (copied && m_spool->flush())
        return true;
    m_error = QStringLiteral("cannot read capture -: %1")
                  .arg(in.error() != QFileDevice::NoError ? in.errorString() : m_spool->errorString());
    return false;
}

QString cCaptureReader::pathOf(const QString &fileName) const
{
    return fileName == QLatin1String("-") && m_spool ? m_spool->fileName() : fileName;
}

bool cCaptureReader::counts(const cReplayedReport &report) const
{
    return m_filterBus < 0 || (report.bus == m_filterBus && report.address == m_filterAddress);
}
