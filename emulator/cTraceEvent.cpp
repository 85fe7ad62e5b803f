#include "cTraceEvent.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Qt writes only whole documents; a value alone is written inside an array and unwrapped.
QByteArray jsonText(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

cTraceEvent::cTraceEvent(qint64 msecs, const QString &kind, const QList<Field> &fields)
    : m_msecs(msecs)
    , m_kind(kind)
    , m_fields(fields)
{ }

cTraceEvent &cTraceEvent::add(const QString &key, const QJsonValue &value)
{
    m_fields.append({key, value});
    return *this;
}

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

QByteArray cTraceEvent::toJson() const
{
    QByteArray line = "{\"t\":" + QByteArray::number(m_msecs) + ",\"ev\":" + jsonText(m_kind);
    for (const Field &field : m_fields) {
        line += ',';
        line += jsonText(field.first);
        line += ':';
        line += jsonText(field.second);
    }
    line += '}';
    return line;
}
