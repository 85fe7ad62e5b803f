#include "cTraceSummary.h"

void cTraceSummary::count(const cTraceEvent &event)
{
    const QString kind = event.kind();
    if (kind == QLatin1String("hid.write"))
        ++m_written;
    else if (kind == QLatin1String("hid.input"))
        ++m_read;
    else if (kind == QLatin1String("hid.complete"))
        ++m_completions;
    else if (kind == QLatin1String("event"))
        ++m_posted;
    else if (kind == QLatin1String("error"))
        ++m_errors;
    else if (kind == QLatin1String("log")) {
        // The plugin reports every failure at the critical level; warnings come from Qt or the
        // framework and are counted apart.
        const QString level = event.value(QStringLiteral("level")).toString();
        if (level == QLatin1String("critical") || level == QLatin1String("fatal"))
            ++m_failures;
        else if (level == QLatin1String("warning"))
            ++m_warnings;
    }
}

cTraceEvent cTraceSummary::toEvent(qint64 msecs, bool virtualClock) const
{
    return cTraceEvent(
        msecs, QStringLiteral("summary"),
        {
            {QStringLiteral("clock"), virtualClock ? QStringLiteral("virtual") : QStringLiteral("real")},
            {QStringLiteral("written"), m_written},
            {QStringLiteral("read"), m_read},
            {QStringLiteral("completions"), m_completions},
            {QStringLiteral("posted"), m_posted},
            {QStringLiteral("failures"), m_failures},
            {QStringLiteral("warnings"), m_warnings},
            {QStringLiteral("errors"), m_errors},
        });
}
