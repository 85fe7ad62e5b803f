#include "cExpectationChecker.h"

#include "cScenarioParser.h"
#include "cTrace.h"

#include <utility>

cExpectationChecker::cExpectationChecker(cTrace &trace, const QString &source,
                                         std::function<void(const QString &line)> report)
    : m_trace(trace)
    , m_source(source)
    , m_report(std::move(report))
{ }

void cExpectationChecker::write(const cTraceEvent &event)
{
    if (event.kind() != TraceKind::Expect)
        m_events.append(event);
}

void cExpectationChecker::onCommand()
{
    m_events.erase(m_events.begin(), m_events.begin() + m_checked);
    m_checked = 0;
}

void cExpectationChecker::check(const cExpectation &expectation, int line)
{
    const bool held = expectation.holds(m_events);
    const QString got = expectation.got(m_events);
    m_checked = int(m_events.size());
    m_trace.record(TraceKind::Expect,
                   {{QStringLiteral("line"), line},
                    {QStringLiteral("expected"), expectation.text()},
                    {QStringLiteral("got"), got},
                    {QStringLiteral("result"), held}});
    if (held)
        return;
    m_report(cScenarioParser::printable(
        QStringLiteral("%1:%2: expected %3, got %4").arg(m_source).arg(line).arg(expectation.text(), got)));
}
