#include "cHidRecorderReader.h"

#include "Counted.h"

#include <algorithm>
#include <cctype>

namespace {

const qint64 g_usecPerSecond = 1000000;
// hid-recorder numbers the devices it records from 0; a filter of five digits names any of them.
const int g_lastDevice = 0xffff;
const char g_utf8Bom[] = "\xEF\xBB\xBF";

// Checked by hand rather than by regular expressions: an E: line is read for every report, twice,
// and a recording may hold millions.
bool isDigits(const QByteArray &text, int least, int most)
{
    return text.size() >= least && text.size() <= most
        && std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHexByte(const QByteArray &text)
{
    return text.size() == 2 && std::isxdigit(uchar(text.at(0))) && std::isxdigit(uchar(text.at(1)));
}

// "XX XX ...": each two hex digits, appended to `bytes`.
bool appendBytes(const QList<QByteArray> &tokens, int from, QByteArray *bytes, QString *why)
{
    for (int i = from; i < tokens.size(); ++i) {
        if (!isHexByte(tokens.at(i))) {
            *why = QStringLiteral("'%1' is not a byte in hex").arg(QString::fromLatin1(tokens.at(i)));
            return false;
        }
        bytes->append(char(tokens.at(i).toUInt(nullptr, 16)));
    }
    return true;
}

QString heldOfAnnounced(int announced, int held)
{
    return QStringLiteral("announces %1 but holds %2").arg(counted(announced, "byte", "bytes")).arg(held);
}

// "LEN XX XX ...": LEN, and the bytes that follow it on the line.
bool parseBytes(const QList<QByteArray> &tokens, int from, int *length, QByteArray *bytes, QString *why)
{
    bool ok = false;
    *length = tokens.value(from).toInt(&ok);
    if (!ok || *length < 0) {
        *why = QStringLiteral("expected the number of bytes, then the bytes");
        return false;
    }
    bytes->clear();
    return appendBytes(tokens, from + 1, bytes, why);
}

bool parseTime(const QByteArray &text, qint64 *usec)
{
    const int dot = text.indexOf('.');
    const QByteArray seconds = text.left(dot);
    const QByteArray fraction = text.mid(dot + 1);
    if (dot < 0 || !isDigits(seconds, 1, 12) || !isDigits(fraction, 6, 6))
        return false;
    *usec = seconds.toLongLong() * g_usecPerSecond + fraction.toLongLong();
    return true;
}

bool isHexNumber(const QByteArray &text)
{
    bool ok = false;
    text.toUInt(&ok, 16);
    return ok;
}

} // namespace

void cHidRecorderReader::clear()
{
    m_file.reset();
    m_stream.close();
    m_lineNumber = 0;
    m_device = 0;
    m_descriptorMissing = 0;
    m_filter = -1;
    m_devices.clear();
    m_reportCount = 0;
    m_lengthUsec = 0;
}

bool cHidRecorderReader::read(std::shared_ptr<const cCaptureSpool> file, const QString &deviceFilter)
{
    m_error.clear();
    clear();
    if (!file->errorString().isEmpty()) {
        m_error = file->errorString();
        return false;
    }
    if (!deviceFilter.isEmpty() && !isDigits(deviceFilter.toLatin1(), 1, 5)) {
        m_error = QStringLiteral("invalid device filter \"%1\": expected the number of a D: line, e.g. 0")
                      .arg(deviceFilter);
        return false;
    }
    m_filter = deviceFilter.isEmpty() ? -1 : deviceFilter.toInt();
    m_file = std::move(file);
    if (!rewind())
        return false;
    cReplayedReport report;
    int status = 0;
    while ((status = readLine(&report)) > 0) {
        m_devices[report.address].hasReports = true;
        if (m_filter >= 0 && report.address != m_filter)
            continue;
        ++m_reportCount;
        m_lengthUsec = std::max(m_lengthUsec, report.usec);
    }
    m_stream.close();
    if (status == 0 && (m_filter < 0 || m_devices.value(m_filter).hasReports))
        return true;
    if (status == 0)
        m_error = QStringLiteral("recording %1 holds no input reports of device %2 (%3)")
                      .arg(m_file->name())
                      .arg(m_filter)
                      .arg(heldDevices(devices(), QStringLiteral("it holds none of any device")));
    clear();
    return false;
}

QStringList cHidRecorderReader::devices() const
{
    QStringList numbers;
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it) {
        if (it->hasReports)
            numbers << QString::number(it.key());
    }
    return numbers;
}

bool cHidRecorderReader::rewind()
{
    m_stream.close();
    m_lineNumber = 0;
    m_device = 0;
    m_descriptorMissing = 0;
    if (!m_file)
        return false;
    m_stream.setFileName(m_file->path());
    if (m_stream.open(QIODevice::ReadOnly))
        return true;
    m_error = QStringLiteral("cannot read capture %1: %2").arg(m_file->name(), m_stream.errorString());
    return false;
}

bool cHidRecorderReader::next(cReplayedReport *report)
{
    while (m_stream.isOpen()) {
        if (readLine(report) <= 0)
            m_stream.close();
        else if (m_filter < 0 || report->address == m_filter) {
            report->usecFromFirst = report->usec;
            return true;
        }
    }
    return false;
}

QByteArray cHidRecorderReader::reportDescriptor() const
{
    return m_devices.value(replayedDevice()).descriptor;
}

QString cHidRecorderReader::deviceName() const
{
    return m_devices.value(replayedDevice()).name;
}

int cHidRecorderReader::replayedDevice() const
{
    if (m_filter >= 0)
        return m_filter;
    const QStringList withReports = devices();
    return withReports.size() == 1 ? withReports.first().toInt() : -1;
}

int cHidRecorderReader::readLine(cReplayedReport *report)
{
    for (;;) {
        if (m_stream.atEnd())
            return descriptorComplete() ? 0 : -1;
        QByteArray line = m_stream.readLine();
        if (line.isEmpty() && m_stream.error() != QFileDevice::NoError) {
            m_error = QStringLiteral("cannot read capture %1 after line %2: %3")
                          .arg(m_file->name())
                          .arg(m_lineNumber)
                          .arg(m_stream.errorString());
            return -1;
        }
        // Editors on Windows begin a UTF-8 file with a byte order mark.
        if (++m_lineNumber == 1 && line.startsWith(g_utf8Bom))
            line.remove(0, int(sizeof g_utf8Bom) - 1);
        bool isReport = false;
        if (!parseLine(line, report, &isReport))
            return -1;
        if (isReport)
            return 1;
    }
}

bool cHidRecorderReader::parseLine(const QByteArray &line, cReplayedReport *report, bool *isReport)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.startsWith('#'))
        return true;
    const bool tagged = text.size() >= 2 && text.at(1) == ':';
    if (!tagged && m_descriptorMissing > 0)
        return continueDescriptor(text.simplified().split(' '));
    if (!descriptorComplete())
        return false;
    // Neither the line nor its first byte is repeated: a file that is no recording at all may hold
    // anything.
    const QString notALine = QStringLiteral(
        "not a line of a hid-recorder recording (D:, R:, N:, P:, I:, E: or #), nor is the file a pcap or "
        "pcapng capture");
    if (!tagged)
        return fail(notALine);
    const QByteArray rest = text.mid(2).trimmed();
    const QList<QByteArray> tokens = rest.simplified().split(' ');
    QString why;
    switch (text.at(0)) {
    case 'D': {
        bool ok = false;
        m_device = tokens.first().toInt(&ok);
        return (ok && tokens.size() == 1 && m_device >= 0 && m_device <= g_lastDevice)
            || fail(QStringLiteral("D: expected a device number from 0 to %1").arg(g_lastDevice));
    }
    case 'R':
        return beginDescriptor(tokens);
    case 'N':
        m_devices[m_device].name = QString::fromUtf8(rest);
        return true;
    case 'P':
        return true;
    case 'I':
        return (tokens.size() == 3 && std::all_of(tokens.cbegin(), tokens.cend(), isHexNumber))
            || fail(QStringLiteral("I: expected bus, vendor and product in hex"));
    case 'E': {
        int length = 0;
        if (!parseTime(tokens.first(), &report->usec))
            return fail(QStringLiteral("E: expected the time as seconds.microseconds, e.g. 0.404000"));
        if (!parseBytes(tokens, 1, &length, &report->data, &why))
            return fail(QStringLiteral("E: ") + why);
        if (report->data.size() != length)
            return fail(QStringLiteral("E: ") + heldOfAnnounced(length, report->data.size()));
        report->bus = 0;
        report->address = m_device;
        *isReport = true;
        return true;
    }
    default:
        return fail(notALine);
    }
}

bool cHidRecorderReader::beginDescriptor(const QList<QByteArray> &tokens)
{
    QByteArray &descriptor = m_devices[m_device].descriptor;
    int length = 0;
    QString why;
    if (!parseBytes(tokens, 0, &length, &descriptor, &why))
        return fail(QStringLiteral("R: ") + why);
    if (descriptor.size() > length)
        return fail(QStringLiteral("R: ") + heldOfAnnounced(length, descriptor.size()));
    m_descriptorLength = length;
    m_descriptorLine = m_lineNumber;
    m_descriptorMissing = length - descriptor.size();
    return true;
}

bool cHidRecorderReader::continueDescriptor(const QList<QByteArray> &tokens)
{
    QByteArray &descriptor = m_devices[m_device].descriptor;
    QString why;
    if (!appendBytes(tokens, 0, &descriptor, &why))
        return fail(QStringLiteral("R: ") + why);
    if (descriptor.size() > m_descriptorLength)
        return fail(QStringLiteral("R: ") + heldOfAnnounced(m_descriptorLength, descriptor.size()));
    m_descriptorMissing = m_descriptorLength - descriptor.size();
    return true;
}

bool cHidRecorderReader::descriptorComplete()
{
    if (m_descriptorMissing == 0)
        return true;
    // Named by its R: line, where the count that the lines after it fall short of stands.
    m_lineNumber = m_descriptorLine;
    return fail(QStringLiteral("R: ")
                + heldOfAnnounced(m_descriptorLength, m_descriptorLength - m_descriptorMissing));
}

bool cHidRecorderReader::fail(const QString &why)
{
    m_error = QStringLiteral("%1:%2: %3").arg(m_file->name()).arg(m_lineNumber).arg(why);
    return false;
}
