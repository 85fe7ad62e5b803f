#include "cRunChecks.h"

#include "cTrace.h"

bool cRunChecks::openGolden(const QString &fileName, QString *error)
{
    m_golden.reset(new cGoldenCheck);
    m_goldenFile = fileName;
    if (m_golden->open(fileName))
        return true;
    *error = m_golden->errorString();
    return false;
}

void cRunChecks::attach(cTrace &trace, const QString &source,
                        const std::function<void(const QString &line)> &report)
{
    if (m_hasExpectations) {
        m_expectations.reset(new cExpectationChecker(trace, source, report));
        trace.addSink(m_expectations.data());
    }
    if (m_golden) {
        trace.addSink(m_golden.data());
        trace.addSink(this);
    }
}

void cRunChecks::write(const cTraceEvent &)
{
    if (m_stopRequested && m_stopRequested())
        return;
    // After --check's own sink: it has compared this event by now.
    ++m_comparedLines;
    m_differedBeforeStop = m_golden->differs();
}

QStringList cRunChecks::stoppedReport() const
{
    if (!m_golden)
        return {};
    if (!m_differedBeforeStop)
        return {QStringLiteral("q71-host: --check %1: stopped by a signal after %2 lines, the same as the "
                               "file's first %2 (its teardown is not compared)")
                    .arg(m_goldenFile)
                    .arg(m_comparedLines)};
    QStringList difference = m_golden->report();
    difference.first().prepend(QLatin1String("q71-host: "));
    return difference;
}

QStringList cRunChecks::failures(const cTraceSummary &summary) const
{
    QStringList lines;
    if (summary.unmet() > 0)
        lines << QStringLiteral("%1 of %2 expectations failed")
                     .arg(summary.unmet())
                     .arg(summary.expectations());
    if (m_strict && (summary.errors() > 0 || summary.failures() > 0))
        lines << QStringLiteral("--strict: the run failed (error events: %1, critical log lines: %2)")
                     .arg(summary.errors())
                     .arg(summary.failures());
    QStringList difference = m_golden ? m_golden->report() : QStringList();
    if (!difference.isEmpty())
        lines << difference.takeFirst();
    // The program's name heads each reason; the lines of the difference follow their heading.
    for (QString &line : lines)
        line.prepend(QLatin1String("q71-host: "));
    return lines + difference;
}
