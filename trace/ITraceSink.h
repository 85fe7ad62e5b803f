#pragma once
#include "cTraceEvent.h"

// Where a run's events go as they happen: a printer, a capture file, a test's list.
class ITraceSink
{
public:
    virtual ~ITraceSink() = default;
    virtual void write(const cTraceEvent &event) = 0;
    // The run is over; `summary` is its "summary" event.
    virtual void finish(const cTraceEvent &summary) = 0;
};
