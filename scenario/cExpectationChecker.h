#pragma once
#include "ITraceSink.h"
#include "cExpectation.h"

#include <QList>
#include <QString>

#include <functional>

class cTrace;

// Holds the events since the last expectations and checks the next ones against them when the
// scenario reaches them. Expect lines that follow one another check the same events: the events
// they saw are let go when the next command of another kind runs. Each expectation is recorded in the trace
// as an "expect" event, held or not; a failed one is also told as "SOURCE:LINE: expected ..., got ..." and
// the run goes on.
//
// A scenario without expectations needs no checker: one that holds every event of a long run
// would grow with it.
class cExpectationChecker : public ITraceSink
{
public:
    // `report` takes a failure's line to the user.
    cExpectationChecker(cTrace &trace, const QString &source,
                        std::function<void(const QString &line)> report);

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &) override { }

    void check(const cExpectation &expectation, int line);
    // A command other than an expectation is about to run.
    void onCommand();

private:
    cTrace &m_trace;
    QString m_source;
    std::function<void(const QString &line)> m_report;
    QList<cTraceEvent> m_events;
    int m_checked = 0; // how many of m_events the last expectations saw
};
