// cPcapWriter where there is no libpcap to write with (MinGW): every capture it is asked to write
// is refused when it is opened, with the reason, so that --pcap fails before a run as any unusable
// output file does.
#include "cPcapWriter.h"

cPcapWriter::cPcapWriter(quint16 bus, quint8 inEndpoint, quint8 outEndpoint)
    : m_bus(bus)
    , m_inEndpoint(inEndpoint)
    , m_outEndpoint(outEndpoint)
{ }

cPcapWriter::~cPcapWriter() = default;

bool cPcapWriter::open(const QString &fileName)
{
    return open(nullptr, fileName);
}

bool cPcapWriter::open(std::FILE *stream, const QString &name)
{
    if (stream)
        std::fclose(stream);
    m_fileName = name;
    m_error = QStringLiteral("cannot write capture %1: this program was built without libpcap").arg(name);
    return false;
}

bool cPcapWriter::close()
{
    return false;
}

bool cPcapWriter::flush()
{
    return false;
}

bool cPcapWriter::writeEnumeration(qint64, quint8, const cUsbDeviceDescriptors &, quint16)
{
    return false;
}

bool cPcapWriter::writeOutput(qint64, quint8, const QByteArray &)
{
    return false;
}

bool cPcapWriter::submitOutput(qint64, quint8, const QByteArray &)
{
    return false;
}

bool cPcapWriter::completeOutput(qint64, quint8)
{
    return false;
}

int cPcapWriter::pendingOutputs(quint8) const
{
    return 0;
}

bool cPcapWriter::writeInput(qint64, quint8, const QByteArray &)
{
    return false;
}
