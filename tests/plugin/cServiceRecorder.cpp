#include "cServiceRecorder.h"

QList<Nexaro::cServiceTrace> cServiceRecorder::calls(const QString &method) const
{
    QList<Nexaro::cServiceTrace> found;
    for (const Nexaro::cServiceTrace &trace : m_traces)
        if (trace.kind == Nexaro::cServiceTrace::Call && trace.member == method)
            found.append(trace);
    return found;
}

QStringList cServiceRecorder::callSignatures() const
{
    QStringList signatures;
    for (const Nexaro::cServiceTrace &trace : m_traces) {
        if (trace.kind != Nexaro::cServiceTrace::Call)
            continue;
        QStringList types;
        for (const Nexaro::cTracedArgument &argument : trace.arguments)
            types.append(QString::fromLatin1(argument.typeName));
        signatures.append(trace.member + QLatin1Char('(') + types.join(QLatin1Char(',')) + QLatin1Char(')'));
    }
    return signatures;
}

QStringList cServiceRecorder::posts() const
{
    QStringList posts;
    for (const Nexaro::cServiceTrace &trace : m_traces)
        if (trace.kind == Nexaro::cServiceTrace::Post)
            posts.append(trace.name + QLatin1Char(' ') + trace.member);
    return posts;
}

namespace {
QStringList g_criticalLines;
QtMessageHandler g_previousHandler = nullptr;

void recordCritical(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtCriticalMsg)
        g_criticalLines.append(message);
    else if (g_previousHandler)
        g_previousHandler(type, context, message);
}
} // namespace

cCriticalLog::cCriticalLog()
{
    g_criticalLines.clear();
    g_previousHandler = qInstallMessageHandler(recordCritical);
}

cCriticalLog::~cCriticalLog()
{
    qInstallMessageHandler(g_previousHandler);
}

QStringList cCriticalLog::lines() const
{
    return g_criticalLines;
}
