#pragma once
#include "cExpectationChecker.h"
#include "cGoldenCheck.h"

#include <QScopedPointer>
#include <QStringList>

class cTrace;
class cTraceSummary;

// What decides whether a run that went to its end passed: its scenario's expectations, --strict
// (no error event, no critical log line) and --check (the same JSON Lines as an earlier run).
class cRunChecks
{
public:
    // False, with the line to tell the user in `error`, when the earlier run's file cannot be read.
    bool openGolden(const QString &fileName, QString *error);
    void setStrict(bool strict) { m_strict = strict; }
    // The scenario has expect lines: the events between them are held to check them.
    void setExpectations(bool any) { m_hasExpectations = any; }

    // Watches the run's trace; `source` names the scenario in failed expectations, each of which
    // goes to `report` as its line.
    void attach(cTrace &trace, const QString &source, const std::function<void(const QString &line)> &report);
    // Null when the scenario expects nothing.
    cExpectationChecker *expectations() const { return m_expectations.data(); }

    // Why the run failed, as the lines to print: one for each reason, each headed with the
    // program's name, --check's difference below its heading. Empty when the run passed.
    QStringList failures(const cTraceSummary &summary) const;

private:
    bool m_strict = false;
    bool m_hasExpectations = false;
    QScopedPointer<cGoldenCheck> m_golden;
    QScopedPointer<cExpectationChecker> m_expectations;
};
