#pragma once
#include "cExpectationChecker.h"
#include "cGoldenCheck.h"

#include <QScopedPointer>
#include <QStringList>

#include <functional>

class cTrace;
class cTraceSummary;

// What decides whether a run that went to its end passed: its scenario's expectations, --strict
// (no error event, no critical log line) and --check (the same JSON Lines as an earlier run).
// As a sink behind --check's it keeps how far the run had got when the two first differed, which
// is what a run a signal stopped can tell.
class cRunChecks : public ITraceSink
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
    // Asked at each event: once true (a signal stopped the run) what the run traces, its teardown,
    // is no longer held against --check's file.
    void setStopRequested(std::function<bool()> stopRequested) { m_stopRequested = std::move(stopRequested); }
    // Null when the scenario expects nothing.
    cExpectationChecker *expectations() const { return m_expectations.data(); }

    // Why the run failed, as the lines to print: one for each reason, each headed with the
    // program's name, --check's difference below its heading. Empty when the run passed.
    QStringList failures(const cTraceSummary &summary) const;
    // What --check found in a run a signal stopped, whose summary is not the earlier run's: the
    // difference when one came before the signal, else that the lines until then are the same.
    // Empty without --check.
    QStringList stoppedReport() const;

    void write(const cTraceEvent &event) override;
    void finish(const cTraceEvent &) override { }

private:
    std::function<bool()> m_stopRequested;
    QString m_goldenFile;
    int m_comparedLines = 0;
    bool m_differedBeforeStop = false;
    bool m_strict = false;
    bool m_hasExpectations = false;
    QScopedPointer<cGoldenCheck> m_golden;
    QScopedPointer<cExpectationChecker> m_expectations;
};
