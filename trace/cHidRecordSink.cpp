#include "cHidRecordSink.h"

#include "HeadsetDescriptors.h"
#include "OutputFile.h"
#include "ReportMeaning.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The bus number hid-recorder writes for USB (BUS_USB in the kernel's input.h).
const int g_busUsb = 3;
// The name the shipped manifest gives the headset.
const char g_headsetName[] = "Q71 Gaming Headset";

// "LEN XX XX ...", as R: and E: lines spell their bytes.
QByteArray lengthAndBytes(const QByteArray &bytes)
{
    return QByteArray::number(bytes.size()) + (bytes.isEmpty() ? QByteArray() : ' ' + bytes.toHex(' '));
}

} // namespace

bool cHidRecordSink::open(const QString &fileName)
{
    if (!OutputFile::open(&m_file, fileName, QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = QStringLiteral("cannot write recording %1: %2").arg(fileName, m_file->errorString());
        return false;
    }
    writeHeader();
    return check();
}

void cHidRecordSink::writeHeader()
{
    const QByteArray descriptor = HeadsetDescriptors::reportDescriptor();
    m_file->write("# " + QCoreApplication::applicationName().toUtf8() + ' '
                  + QCoreApplication::applicationVersion().toUtf8()
                  + ": the input reports of a simulated headset, timed from the scenario's first start\n");
    m_file->write("D: 0\n");
    m_file->write("R: " + lengthAndBytes(descriptor) + '\n');
    m_file->write(QByteArray("N: ") + g_headsetName + '\n');
    // Where a device on bus 1, port 5, would show its HID interface.
    m_file->write(QByteArray("P: usb-q71-host-5/input")
                  + QByteArray::number(HeadsetDescriptors::g_hidInterface) + '\n');
    m_file->write(QStringLiteral("I: %1 %2 %3\n")
                      .arg(g_busUsb)
                      .arg(HeadsetDescriptors::g_vendorId, 4, 16, QLatin1Char('0'))
                      .arg(HeadsetDescriptors::g_productId, 4, 16, QLatin1Char('0'))
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
    if (!OutputFile::close(m_file.data(), check()))
        check();
    return m_error.isEmpty();
}

void cHidRecordSink::write(const cTraceEvent &event)
{
    if (!m_file || !m_file->isOpen())
        return;
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
