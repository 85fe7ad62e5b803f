#pragma once
#include "cTraceEvent.h"

#include <QString>

// What the timeline says of each kind of event, in its three columns; cTimelineSink adds the time
// and lays the columns out.
namespace TimelineRows {

struct cRow
{
    QString party; // who talks to whom, or who acts: "emulator", "services"
    QString bytes; // the report's bytes, where the event carries a report
    QString text; // what it means
};

cRow row(const cTraceEvent &event);

} // namespace TimelineRows
