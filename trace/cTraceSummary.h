#pragma once
#include "cTraceEvent.h"

// The counts a run ends with, taken from its events as they pass.
class cTraceSummary
{
public:
    void count(const cTraceEvent &event);

    int written() const { return m_written; }
    int read() const { return m_read; }
    int completions() const { return m_completions; }
    int posted() const { return m_posted; }
    int failures() const { return m_failures; }
    int warnings() const { return m_warnings; }
    int errors() const { return m_errors; }
    int expectations() const { return m_expectations; }
    int unmet() const { return m_unmet; }

    // {"ev":"summary","clock":...,"written":...,...} at `msecs`; "expectations" and "unmet" only
    // when the scenario checked any, so that the summary of a run without them stays as it was.
    cTraceEvent toEvent(qint64 msecs, bool virtualClock) const;

private:
    void countLog(const QString &level);

    int m_written = 0;
    int m_read = 0;
    int m_completions = 0;
    int m_posted = 0;
    int m_failures = 0;
    int m_warnings = 0;
    int m_errors = 0;
    int m_expectations = 0;
    int m_unmet = 0;
};
