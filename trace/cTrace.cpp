#include "cTrace.h"

#include "ITraceSink.h"
#include "cClock.h"

#include <utility>

cTrace::cTrace(const cClock &clock)
    : m_clock(clock)
{ }

void cTrace::addSink(ITraceSink *sink)
{
    m_sinks.append(sink);
}

qint64 cTrace::nowMs() const
{
    return m_clock.nowMs();
}

void cTrace::record(TraceKind::TraceKind_t kind, const QList<cTraceEvent::Field> &fields)
{
    if (m_finished)
        return;
    m_waiting.enqueue(cTraceEvent(nowMs(), kind, fields));
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (!m_waiting.isEmpty()) {
        const cTraceEvent event = m_waiting.dequeue();
        m_summary.count(event);
        for (ITraceSink *sink : std::as_const(m_sinks))
            sink->write(event);
    }
    m_dispatching = false;
}

void cTrace::count(TraceKind::TraceKind_t kind, const QList<cTraceEvent::Field> &fields)
{
    if (!m_finished)
        m_summary.count(cTraceEvent(nowMs(), kind, fields));
}

void cTrace::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    const cTraceEvent summary = m_summary.toEvent(nowMs(), m_clock.isVirtual());
    for (ITraceSink *sink : std::as_const(m_sinks))
        sink->finish(summary);
}
