#include "cTraceSummary.h"

void cTraceSummary::count(const cTraceEvent &event)
{
    switch (event.kind()) {
    case TraceKind::HidWrite:
        ++m_written;
        break;
    case TraceKind::HidInput:
        if (event.isDeliveredInput())
            ++m_read;
        break;
    case TraceKind::HidComplete:
        ++m_completions;
        break;
    case TraceKind::Event:
        ++m_posted;
        break;
    case TraceKind::Error:
        ++m_errors;
        break;
    case TraceKind::Log:
        countLog(event.value(QStringLiteral("level")).toString());
        break;
    case TraceKind::Expect:
        ++m_expectations;
        if (!event.value(QStringLiteral("result")).toBool())
            ++m_unmet;
        break;
    default:
        break;
    }
}

void cTraceSummary::countLog(const QString &level)
{
    // The plugin reports every failure at the critical level; warnings come from Qt or the
    // framework and are counted apart.
    if (level == QLatin1String("critical") || level == QLatin1String("fatal"))
        ++m_failures;
    else if (level == QLatin1String("warning"))
        ++m_warnings;
}

cTraceEvent cTraceSummary::toEvent(qint64 msecs, bool virtualClock) const
{
    QList<cTraceEvent::Field> fields {
        {QStringLiteral("clock"), virtualClock ? QStringLiteral("virtual") : QStringLiteral("real")},
        {QStringLiteral("written"), m_written},
        {QStringLiteral("read"), m_read},
        {QStringLiteral("completions"), m_completions},
        {QStringLiteral("posted"), m_posted},
        {QStringLiteral("failures"), m_failures},
        {QStringLiteral("warnings"), m_warnings},
        {QStringLiteral("errors"), m_errors},
    };
    if (m_expectations > 0)
        fields << cTraceEvent::Field {QStringLiteral("expectations"), m_expectations}
               << cTraceEvent::Field {QStringLiteral("unmet"), m_unmet};
    return cTraceEvent(msecs, TraceKind::Summary, fields);
}
