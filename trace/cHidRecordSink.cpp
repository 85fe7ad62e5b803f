#include "cHidRecordSink.h"

#include "OutputFile.h"
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

cHidRecordSink::cHidRecordSink(const IDeviceFacts &facts)
    : m_facts(facts)
{ }

bool cHidRecordSink::open(const QString &fileName)
{
    if (!OutputFile::open(&m_file, fileName, QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = QStringLiteral("cannot write recording %1: %2").arg(fileName, m_file->errorString());
        return false;
    }
    return check();
}

// Written once the first headset is known, or at the end of a run that had none: a simulated bus
// knows its headset before, a real one only when it is plugged.
void cHidRecordSink::writeHeader(const cHidDeviceFacts &facts)
{
    m_headerWritten = true;
    const QByteArray program = QCoreApplication::applicationName().toUtf8() + ' '
        + QCoreApplication::applicationVersion().toUtf8();
    if (facts.origin.isEmpty()) {
        m_file->write("# " + program + ": no headset took a HID transport, so there are no input reports\n");
        return;
    }
    m_file->write("# " + program + ": the input reports of " + facts.origin.toUtf8() + '\n');
    m_file->write("D: 0\n");
    m_file->write("R: " + lengthAndBytes(facts.reportDescriptor) + '\n');
    m_file->write("N: " + facts.name.toUtf8() + '\n');
    m_file->write("P: " + facts.physicalPath.toUtf8() + '\n');
    m_file->write(QStringLiteral("I: %1 %2 %3\n")
                      .arg(g_busUsb)
                      .arg(facts.vendorId, 4, 16, QLatin1Char('0'))
                      .arg(facts.productId, 4, 16, QLatin1Char('0'))
                      .toLatin1());
}

bool cHidRecordSink::check()
{
    if (m_error.isEmpty() && m_file->error() != QFileDevice::NoError)
        m_error
            = QStringLiteral("cannot write recording %1: %2").arg(m_file->fileName(), m_file->errorString());
    return m_error.isEmpty();
}

bool cHidRecordSink::close()
{
    if (!m_file || !m_file->isOpen())
        return m_error.isEmpty();
    if (!m_headerWritten)
        writeHeader(m_facts.hidDevice(QString()));
    if (!OutputFile::close(m_file.data(), check()))
        check();
    return m_error.isEmpty();
}

void cHidRecordSink::write(const cTraceEvent &event)
{
    if (!m_file || !m_file->isOpen())
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
    m_file->write(QStringLiteral("E: %1.%2 ")
                      .arg(usec / 1000000, 6, 10, QLatin1Char('0'))
                      .arg(usec % 1000000, 6, 10, QLatin1Char('0'))
                      .toLatin1()
                  + lengthAndBytes(report) + '\n');
    check();
}

void cHidRecordSink::finish(const cTraceEvent &)
{
    close();
}
