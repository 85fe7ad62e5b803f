#include "cServiceCallTracer.h"

#include "cTrace.h"

#include <QJsonArray>
#include <QObject>

namespace {

QJsonArray typeNames(const QList<Nexaro::cTracedArgument> &arguments)
{
    QJsonArray names;
    for (const Nexaro::cTracedArgument &argument : arguments)
        names.append(QString::fromLatin1(argument.typeName));
    return names;
}

QString className(const QObject *receiver)
{
    return receiver ? QString::fromLatin1(receiver->metaObject()->className()) : QString();
}

} // namespace

cServiceCallTracer::cServiceCallTracer(cTrace &trace)
    : m_trace(trace)
{
    Nexaro::addObserver(this);
}

cServiceCallTracer::~cServiceCallTracer()
{
    Nexaro::removeObserver(this);
}

void cServiceCallTracer::observe(const Nexaro::cServiceTrace &trace)
{
    using Nexaro::cServiceTrace;
    switch (trace.kind) {
    case cServiceTrace::Require:
        m_trace.record(TraceKind::ServiceRequire,
                       {{QStringLiteral("service"), trace.name},
                        {QStringLiteral("version"), trace.member},
                        {QStringLiteral("ok"), trace.ok}});
        break;
    case cServiceTrace::Call: {
        QList<cTraceEvent::Field> fields {{QStringLiteral("service"), trace.name},
                                          {QStringLiteral("method"), trace.member},
                                          {QStringLiteral("args"), typeNames(trace.arguments)}};
        if (!trace.resultType.isEmpty())
            fields.append({QStringLiteral("result"), QString::fromLatin1(trace.resultType)});
        fields.append({QStringLiteral("ok"), trace.ok});
        m_trace.record(TraceKind::ServiceCall, fields);
        break;
    }
    case cServiceTrace::Post:
        m_trace.record(TraceKind::ServicePost,
                       {{QStringLiteral("source"), trace.name},
                        {QStringLiteral("name"), trace.member},
                        {QStringLiteral("args"), typeNames(trace.arguments)},
                        {QStringLiteral("ok"), trace.ok}});
        break;
    case cServiceTrace::Subscribe:
        m_trace.record(TraceKind::ServiceSubscribe,
                       {{QStringLiteral("source"), trace.name},
                        {QStringLiteral("prefix"), trace.member},
                        {QStringLiteral("receiver"), className(trace.receiver)},
                        {QStringLiteral("ok"), trace.ok}});
        break;
    case cServiceTrace::Unsubscribe:
        m_trace.record(TraceKind::ServiceUnsubscribe,
                       {{QStringLiteral("source"), trace.name},
                        {QStringLiteral("receiver"), className(trace.receiver)},
                        {QStringLiteral("ok"), trace.ok}});
        break;
    }
}
