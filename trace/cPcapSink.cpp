#include "cPcapSink.h"

#include "HeadsetDescriptors.h"
#include "ReportMeaning.h"

#include <cstdio>
#include <unistd.h>

namespace {

// Addresses as a Linux host hands them out: the root hub and the hubs and devices that a machine
// has before the headset is plugged take the first few; after 127 the host starts again at 1.
constexpr quint8 g_firstAddress = 5;
constexpr quint8 g_lastAddress = 127;

} // namespace

cPcapSink::cPcapSink(const IDeviceFacts &facts, qint64 epochUsec)
    : cFileSink(QStringLiteral("capture"))
    , m_facts(facts)
    , m_nextAddress(g_firstAddress)
    , m_epochUsec(epochUsec)
{ }

bool cPcapSink::begin()
{
    // libpcap writes through a descriptor of its own, so that closing its stream leaves the file
    // open for the commit.
    const int descriptor = ::dup(file()->handle());
    if (m_writer.open(descriptor < 0 ? nullptr : ::fdopen(descriptor, "wb"), fileName()))
        return true;
    fail(m_writer.errorString());
    return false;
}

void cPcapSink::end()
{
    if (m_writer.isOpen() && !m_writer.close())
        fail(m_writer.errorString());
}

void cPcapSink::enumerate(qint64 usec, const cTraceEvent &event, const QString &uid)
{
    // A device that refuses a transport (another product's) has no traffic to show; one that takes
    // a HID transport has just seen it plugged.
    const cHidDeviceFacts facts = m_facts.hidDevice(uid);
    quint8 address = facts.address;
    if (address == 0) {
        address = m_nextAddress;
        m_nextAddress = m_nextAddress == g_lastAddress ? 1 : m_nextAddress + 1;
    }
    m_addresses.insert(event.value(QStringLiteral("device")).toInt(), address);
    // What the device itself would answer is the simulated headset's layout with the device's own
    // ids and report descriptor: its interfaces and endpoints are the ones the capture uses.
    cUsbDeviceDescriptors descriptors;
    descriptors.device = HeadsetDescriptors::deviceDescriptor(facts.vendorId, facts.productId);
    descriptors.configuration = HeadsetDescriptors::configurationDescriptor(facts.reportDescriptor.size());
    descriptors.hidReport = facts.reportDescriptor;
    descriptors.hidInterface = HeadsetDescriptors::g_hidInterface;
    if (!m_writer.writeEnumeration(usec, address, descriptors, facts.bus))
        fail(m_writer.errorString());
}

quint8 cPcapSink::addressOf(const cTraceEvent &event) const
{
    return m_addresses.value(event.value(QStringLiteral("device")).toInt(), 0);
}

void cPcapSink::write(const cTraceEvent &event)
{
    if (!m_writer.isOpen())
        return;
    const qint64 usec = m_epochUsec + event.msecs() * 1000;
    const auto report
        = [&event] { return ReportMeaning::fromHex(event.value(QStringLiteral("report")).toString()); };
    QString uid;
    if (m_plugs.takesHid(event, &uid))
        enumerate(usec, event, uid);
    switch (event.kind()) {
    case TraceKind::HidWrite: {
        const quint8 address = addressOf(event);
        if (address != 0 && !m_writer.submitOutput(usec, address, report()))
            fail(m_writer.errorString());
        break;
    }
    case TraceKind::HidComplete: {
        // A completion with no transfer waiting (a transport that completes twice) has no URB
        // to finish; the capture shows each transfer's first completion only.
        const quint8 address = addressOf(event);
        if (m_writer.pendingOutputs(address) > 0 && !m_writer.completeOutput(usec, address))
            fail(m_writer.errorString());
        break;
    }
    case TraceKind::HidInput: {
        const quint8 address = addressOf(event);
        if (address != 0 && event.isDeliveredInput() && !m_writer.writeInput(usec, address, report()))
            fail(m_writer.errorString());
        break;
    }
    default:
        break;
    }
}
