#pragma once
#include "TraceKind.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

// One thing that happened in a run, at a time in milliseconds since the run began: a kind ("ev")
// and named fields, kept in the order they were added so that every printing of the event is
// the same, whatever Qt's JSON classes would sort or hash.
class cTraceEvent
{
public:
    using Field = QPair<QString, QJsonValue>;

    cTraceEvent(qint64 msecs, TraceKind::TraceKind_t kind, const QList<Field> &fields = {});

    qint64 msecs() const { return m_msecs; }
    TraceKind::TraceKind_t kind() const { return m_kind; }
    QList<Field> fields() const { return m_fields; }

    bool has(const QString &key) const;
    // Undefined when the event has no such field.
    QJsonValue value(const QString &key) const;
    // An input report that a started transport took. A dropped one never crossed the bus to the
    // host, so recordings and counts leave it out.
    bool isDeliveredInput() const;

    // One line of JSON, without the newline: {"t":12,"ev":"hid.write",...} with "t" and "ev" first,
    // then the fields in order. Objects inside fields are written with sorted keys.
    QByteArray toJson() const;

    // A value as compact JSON: "text" with its escapes, 12, true, [1,"Q71"].
    static QByteArray jsonText(const QJsonValue &value);

private:
    // jsonText(value) appended to `line`.
    static void appendJson(QByteArray *line, const QJsonValue &value);
    static void appendString(QByteArray *line, const QString &text);

    qint64 m_msecs = 0;
    TraceKind::TraceKind_t m_kind;
    QList<Field> m_fields;
};
