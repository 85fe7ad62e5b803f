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

bool cTraceEvent::isDeliveredInput() const
{
    return m_kind == TraceKind::HidInput && !value(QStringLiteral("dropped")).toBool();
}

namespace {

// Below this, a whole number reads the same whether Qt holds it as an integer or as a double
// (larger round numbers it may write as 1e+06).
const double g_plainNumber = 10000;

} // namespace

void cTraceEvent::appendJson(QByteArray *line, const QJsonValue &value)
{
    // The common values are written here at a fraction of what a QJsonDocument per value costs;
    // the rest, and anything that needs escaping, goes through Qt's writer.
    if (value.isString()) {
        appendString(line, value.toString());
        return;
    } else if (value.isBool()) {
        line->append(value.toBool() ? "true" : "false");
        return;
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        line->append('[');
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (i > 0)
                line->append(',');
            appendJson(line, array.at(i));
        }
        line->append(']');
        return;
    } else if (value.isDouble()) {
        const double number = value.toDouble();
        if (number == double(qint64(number)) && qAbs(number) < g_plainNumber) {
            line->append(QByteArray::number(qint64(number)));
            return;
        }
    }
    line->append(jsonText(value));
}

void cTraceEvent::appendString(QByteArray *line, const QString &text)
{
    // Printable ASCII with nothing to escape, which most of a trace is (keys, kinds, report
    // bytes), Qt's writer writes as it stands between quotes; anything else goes through it.
    const qsizetype start = line->size();
    line->resize(start + text.size() + 2);
    char *out = line->data() + start;
    *out++ = '"';
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 || unit > 0x7e || unit == '"' || unit == '\\') {
            line->truncate(start);
            line->append(jsonText(text));
            return;
        }
        *out++ = char(unit);
    }
    *out = '"';
}

QByteArray cTraceEvent::jsonText(const QJsonValue &value)
{
    // Qt writes only whole documents; a value alone is written inside an array and unwrapped.
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray cTraceEvent::toJson() const
{
    QByteArray line;
    line.reserve(256);
    line.append("{\"t\":").append(QByteArray::number(m_msecs)).append(",\"ev\":");
    appendString(&line, TraceKind::name(m_kind));
    for (const Field &field : m_fields) {
        line += ',';
        appendString(&line, field.first);
        line += ':';
        appendJson(&line, field.second);
    }
    line += '}';
    return line;
}
