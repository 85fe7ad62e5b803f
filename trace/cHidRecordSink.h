#pragma once
#include "IDeviceFacts.h"
#include "cFileSink.h"
#include "cHidPlugWatch.h"

// Writes the input reports the headset sent during a run as a hid-recorder text recording, the
// format hid-tools' hid-recorder writes and hid-replay plays: a header that describes the device
// (its report descriptor, name, physical path, bus and ids, as the bus's facts tell them of the
// first headset that takes a HID transport), then one E: line a report, timed from the first
// start. A replay counts a recording's times from its start, so a recording made here replays at
// the times it was made. Every headset's reports go in as the one device D: 0; reports no started
// transport took are left out, for they never reached the host.
class cHidRecordSink : public cFileSink
{
public:
    // `facts` outlives the sink.
    explicit cHidRecordSink(const IDeviceFacts &facts);

    void write(const cTraceEvent &event) override;

protected:
    void end() override;

private:
    void writeHeader(const cHidDeviceFacts &facts);

    const IDeviceFacts &m_facts;
    cHidPlugWatch m_plugs;
    bool m_headerWritten = false;
    qint64 m_startMs = -1; // of the first start, once there was one
};
