#include "cTraceEvent.h"

#include <QJsonArray>
#include <QJsonDocument>

cTraceEvent::cTraceEvent(qint64 msecs, TraceKind::TraceKind_t kind, const QList<Field> &fields)
    : m_msecs(msecs)
    , m_kind(kind)
    , m_fields(fields)
{ }

bool cTraceEvent::has(const QString &key) const
{
    for (const Field &field : m_fields) {
        if (field.first == key)
            return true;
    }
    return false;
}

QJsonValue cTraceEvent::value(const QString &key) const
{
    for (const Field &field : m_fields) {
        if (field.first == key)
            return field.second;
    }
    return QJsonValue(QJsonValue::Undefined);
}

QByteArray cTraceEvent::jsonText(const QJsonValue &value)
{
    // Qt writes only whole documents; a value alone is written inside an array and unwrapped.
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray cTraceEvent::toJson() const
{
    QByteArray line
        = "{\"t\":" + QByteArray::number(m_msecs) + ",\"ev\":" + jsonText(QString(TraceKind::name(m_kind)));
    for (const Field &field : m_fields) {
        line += ',';
        line += jsonText(field.first);
        line += ':';
        line += jsonText(field.second);
    }
    line += '}';
    return line;
}
