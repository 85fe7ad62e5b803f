#include "cHidRecordSink.h"

#include "ReportMeaning.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The bus number hid-recorder writes for USB (BUS_USB in the kernel's input.h).
const int g_busUsb = 3;

// "LEN XX XX ...", as R: and E: lines spell their bytes.
QByteArray lengthAndBytes(const QByteArray &bytes)
{
    return QByteArray::number(bytes.size()) + (bytes.isEmpty() ? QByteArray() : ' ' + bytes.toHex(' '));
}

} // namespace

// Not opened as text: a recording is hid-tools' format, whose lines end in LF on every system, so
// that one made on Windows is the same file as one made on Linux.
cHidRecordSink::cHidRecordSink(const IDeviceFacts &facts)
    : cFileSink(QStringLiteral("recording"), QIODevice::WriteOnly)
    , m_facts(facts)
{ }

// Written once the first headset is known, or at the end of a run that had none: a simulated bus
// knows its headset before, a real one only when it is plugged.
void cHidRecordSink::writeHeader(const cHidDeviceFacts &facts)
{
    m_headerWritten = true;
    const QByteArray program = QCoreApplication::applicationName().toUtf8() + ' '
        + QCoreApplication::applicationVersion().toUtf8();
    if (facts.origin.isEmpty()) {
        file()->write("# " + program + ": no headset took a HID transport, so there are no input reports\n");
        return;
    }
    file()->write("# " + program + ": the input reports of " + facts.origin.toUtf8() + '\n');
    file()->write("D: 0\n");
    file()->write("R: " + lengthAndBytes(facts.reportDescriptor) + '\n');
    file()->write("N: " + facts.name.toUtf8() + '\n');
    file()->write("P: " + facts.physicalPath.toUtf8() + '\n');
    file()->write(QStringLiteral("I: %1 %2 %3\n")
                      .arg(g_busUsb)
                      .arg(facts.vendorId, 4, 16, QLatin1Char('0'))
                      .arg(facts.productId, 4, 16, QLatin1Char('0'))
                      .toLatin1());
}

void cHidRecordSink::end()
{
    if (!m_headerWritten)
        writeHeader(m_facts.hidDevice(QString()));
}

void cHidRecordSink::write(const cTraceEvent &event)
{
    if (!isOpen())
        return;
    QString uid;
    if (m_plugs.takesHid(event, &uid) && !m_headerWritten) {
        writeHeader(m_facts.hidDevice(uid));
        check();
    }
    if (event.kind() == TraceKind::Start && m_startMs < 0)
        m_startMs = event.msecs();
    if (!event.isDeliveredInput())
        return;
    // A transport runs only once its device started, so a report that was taken has a start before it.
    const qint64 usec = (event.msecs() - std::max<qint64>(m_startMs, 0)) * 1000;
    const QByteArray report = ReportMeaning::fromHex(event.value(QStringLiteral("report")).toString());
    // Seconds in six digits, as hid-recorder writes them.
    file()->write(QStringLiteral("E: %1.%2 ")
                      .arg(usec / 1000000, 6, 10, QLatin1Char('0'))
                      .arg(usec % 1000000, 6, 10, QLatin1Char('0'))
                      .toLatin1()
                  + lengthAndBytes(report) + '\n');
    check();
}
