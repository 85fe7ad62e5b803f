#include "cRunChecks.h"

#include "cTrace.h"

bool cRunChecks::openGolden(const QString &fileName, QString *error)
{
    m_golden.reset(new cGoldenCheck);
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
    if (m_golden)
        trace.addSink(m_golden.data());
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
