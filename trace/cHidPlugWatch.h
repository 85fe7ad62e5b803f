#pragma once
#include "cTraceEvent.h"

#include <QString>

// Which HID transport a device has just taken, as the trace tells it: the bus names a transport's
// uid when it plugs it, and the device manager hands that transport to a device right after.
// The captures ask the bus's facts about the device by that uid.
class cHidPlugWatch
{
public:
    // Whether the event shows a device taking a HID transport (not refusing it), and the uid the
    // bus gave that transport when it plugged it.
    bool takesHid(const cTraceEvent &event, QString *uid);

private:
    QString m_lastPlugged; // of the last HID transport the bus plugged
};
