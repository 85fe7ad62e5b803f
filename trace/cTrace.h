#pragma once
#include "cTraceEvent.h"
#include "cTraceSummary.h"

#include <QList>
#include <QQueue>

class cClock;
class ITraceSink;

// The run's record: stamps each event with the clock's time and hands it to every sink, in the
// order the events were recorded.
//
// A sink may itself cause an event (a Qt warning while it writes, caught as a "log" event);
// such an event waits until the current one has reached every sink, so that sinks never see
// events out of order or nested.
class cTrace
{
public:
    explicit cTrace(const cClock &clock);

    void addSink(ITraceSink *sink); // not owned
    void record(TraceKind::TraceKind_t kind, const QList<cTraceEvent::Field> &fields = {});
    // Counts an event in the summary without showing it to the sinks: what happened whether or
    // not the run was asked to show it.
    void count(TraceKind::TraceKind_t kind, const QList<cTraceEvent::Field> &fields);
    // Sends the "summary" event to every sink; nothing is recorded after it.
    void finish();

    qint64 nowMs() const;
    const cTraceSummary &summary() const { return m_summary; }
    bool isFinished() const { return m_finished; }

private:
    const cClock &m_clock;
    QList<ITraceSink *> m_sinks;
    cTraceSummary m_summary;
    QQueue<cTraceEvent> m_waiting;
    bool m_dispatching = false;
    bool m_finished = false;
};
