#pragma once
#include "TraceKind.h"
#include "cTraceEvent.h"

#include <QString>
#include <QStringList>

// What a scenario's `expect` line says must have happened since the expect before it:
//   expect [no | N times | N×] WHAT [VALUES...]
//   expect nothing
// WHAT is a trace kind ("hid.write", "validate"...) or a short name for one ("write", "input",
// "complete", "mic light", "mic notify"); VALUES are compared, in an order fixed for each kind,
// with the event's fields, and an event matches when every value given matches. Fewer values than
// fields leave the rest open; a report's bytes are all of it; a message matches by containing the
// words given. The device number is never one of the fields compared.
class cExpectation
{
public:
    enum Quantity {
        AtLeastOne,
        Exactly, // `count` of them; `no` is exactly none
        Nothing, // no event of any kind: exactly none of every kind
    };

    // The words after "expect"; false, with the reason in `why`, for words that expect nothing
    // that can happen.
    bool parse(const QStringList &words, QString *why);

    // Whether the events held it; `events` are those since the expect before.
    bool holds(const QList<cTraceEvent> &events) const;
    // What the events held instead, in the words of an expectation: "write 02 08 00 00 00, ..."
    // or "nothing".
    QString got(const QList<cTraceEvent> &events) const;

    // The expectation as written, its words joined by single spaces.
    QString text() const { return m_text; }

private:
    bool matches(const cTraceEvent &event) const;
    bool parseQuantity(QStringList *words, QString *why);
    bool parseWhat(QStringList *words, QString *why);
    bool parseValues(const QStringList &words, QString *why);
    QString describe(const cTraceEvent &event) const;

    Quantity m_quantity = AtLeastOne;
    int m_count = 1;
    TraceKind::TraceKind_t m_kind = TraceKind::Summary;
    QString m_what; // the name the line gave the kind
    QStringList m_values; // as compared: hex bytes in upper case, aliases resolved
    QString m_text;
};
