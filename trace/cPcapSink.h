#pragma once
#include "IDeviceFacts.h"
#include "cFileSink.h"
#include "cHidPlugWatch.h"
#include "cPcapWriter.h"

#include <QHash>

// Writes the run's HID traffic to a usbmon capture as it is traced: each write an interrupt OUT
// transfer submitted at its time and completed at its completion, each input report an
// interrupt IN completion. Each time a device takes a HID transport, the headset has been plugged:
// it sits where the bus's facts say (a simulated one at the capture's next address), and the
// capture shows the host reading its descriptors there, with its ids and report descriptor,
// before any of the traffic that the device's number marks in the trace.
class cPcapSink : public cFileSink
{
public:
    // `epochUsec` is added to every time: 0 on the virtual clock (the capture then starts at the
    // epoch), the wall-clock time of the run's start on the real one. `facts` outlives the sink.
    explicit cPcapSink(const IDeviceFacts &facts, qint64 epochUsec = 0);

    void write(const cTraceEvent &event) override;

protected:
    bool begin() override;
    void end() override;

private:
    void enumerate(qint64 usec, const cTraceEvent &event, const QString &uid);
    // The address of the device the event belongs to; 0 when it belongs to none that was plugged.
    quint8 addressOf(const cTraceEvent &event) const;

    const IDeviceFacts &m_facts;
    cHidPlugWatch m_plugs;
    cPcapWriter m_writer;
    QHash<int, quint8> m_addresses; // device number -> USB address
    quint8 m_nextAddress;
    qint64 m_epochUsec;
};
