#include "cExpectation.h"

#include "TransportKind.h"
#include "cHostServices.h"
#include "cScenarioParser.h"

#include <QJsonArray>

namespace {

// The values an expectation takes for each field of TraceKind::fields(), by the field's name
// wherever it stands and by kind and name where one kind's field takes other values. A field
// marked "hex" takes the rest of the line as report bytes, "text" the rest as words the field must
// contain, "list" the rest as the array's first elements. The others take one word: "int" a whole
// number, "bool" true or false, "named" one of the kind's words in g_valueNames, "transport" a
// transport's kind, "service" a host service's full name, "level" a log level, "a|b" one of the
// words listed; a field without a mark takes any word. The first entry that fits counts, so the
// entries of one kind come before those of any kind.
const int g_anyKind = -1;
const struct
{
    int kind;
    const char *field;
    const char *mark;
} g_marks[] = {
    {TraceKind::Validate, "result", "int"},
    {TraceKind::Transport, "op", "start|stop"},
    {TraceKind::Audio, "op", "create|destroy"},
    {TraceKind::Volume, "op", "named"},
    {TraceKind::Service, "name", "service"},
    {g_anyKind, "transport", "transport"},
    {g_anyKind, "result", "bool"},
    {g_anyKind, "report", "hex"},
    {g_anyKind, "cookie", "int"},
    {g_anyKind, "enable", "named"},
    {g_anyKind, "call", "text"},
    {g_anyKind, "args", "list"},
    {g_anyKind, "setting", "light|notify"},
    {g_anyKind, "value", "int"},
    {g_anyKind, "caps", "int"},
    {g_anyKind, "light", "int"},
    {g_anyKind, "notify", "int"},
    {g_anyKind, "muted", "bool"},
    {g_anyKind, "level", "level"},
    {g_anyKind, "message", "text"},
    {g_anyKind, "available", "bool"},
    {g_anyKind, "ms", "int"},
    {g_anyKind, "mode", "on|off|twice"},
    {g_anyKind, "reports", "int"},
    {g_anyKind, "ok", "bool"},
};

// The words a scenario says for a field's value where the trace has the host's own.
const struct
{
    TraceKind::TraceKind_t kind;
    const char *word;
    const char *value;
} g_valueNames[] = {
    {TraceKind::Volume, "up", "incVolume"},
    {TraceKind::Volume, "down", "decVolume"},
    {TraceKind::Dolby, "on", "true"},
    {TraceKind::Dolby, "off", "false"},
};

const struct
{
    const char *word;
    TraceKind::TraceKind_t kind;
} g_kindNames[] = {
    {"write", TraceKind::HidWrite},
    {"input", TraceKind::HidInput},
    {"complete", TraceKind::HidComplete},
};

// How many events "got" lists before it says how many more there were.
const int g_listedEvents = 4;

struct cField
{
    enum Shape { Plain, Hex, Text, List, Whole };
    QString key;
    Shape shape = Plain;
    QStringList choices; // the words a Plain field takes; empty for any word
};

QStringList namedValues(TraceKind::TraceKind_t kind);

QString markOf(TraceKind::TraceKind_t kind, const QString &key)
{
    for (const auto &entry : g_marks) {
        if ((entry.kind == kind || entry.kind == g_anyKind) && key == QLatin1String(entry.field))
            return QLatin1String(entry.mark);
    }
    return QString();
}

// The field `key` of the kind, with the values it takes.
cField readField(TraceKind::TraceKind_t kind, const QString &key)
{
    const QString mark = markOf(kind, key);
    cField field;
    field.key = key;
    if (mark == QLatin1String("hex")) {
        field.shape = cField::Hex;
    } else if (mark == QLatin1String("text")) {
        field.shape = cField::Text;
    } else if (mark == QLatin1String("list")) {
        field.shape = cField::List;
    } else if (mark == QLatin1String("int")) {
        field.shape = cField::Whole;
    } else if (mark == QLatin1String("bool")) {
        field.choices = QStringList {QStringLiteral("true"), QStringLiteral("false")};
    } else if (mark == QLatin1String("named")) {
        field.choices = namedValues(kind);
    } else if (mark == QLatin1String("transport")) {
        for (int transport = TransportKind::Hid; transport <= TransportKind::Other; ++transport)
            field.choices << TransportKind::name(TransportKind::TransportKind_t(transport));
    } else if (mark == QLatin1String("service")) {
        for (cHostServices::Service service : cHostServices::All)
            field.choices << cHostServices::name(service);
    } else if (mark == QLatin1String("level")) {
        for (QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg})
            field.choices << TraceKind::logLevel(type);
    } else if (!mark.isEmpty()) {
        field.choices = mark.split(QLatin1Char('|'));
    }
    return field;
}

// Every kind's fields, read once: an expectation looks its kind's fields up for every event.
const QList<cField> &fieldsOf(TraceKind::TraceKind_t kind)
{
    static const QList<QList<cField>> table = [] {
        QList<QList<cField>> kinds;
        for (int each = 0; each <= TraceKind::Summary; ++each) {
            const auto eachKind = TraceKind::TraceKind_t(each);
            QList<cField> fields;
            for (const QString &key : TraceKind::fields(eachKind))
                fields.append(readField(eachKind, key));
            kinds.append(fields);
        }
        return kinds;
    }();
    return table.at(kind);
}

// Why `word` is no value of `field`; empty when it is one.
QString refusal(const cField &field, const QString &word)
{
    if (field.shape == cField::Whole) {
        bool whole = false;
        (void)word.toLongLong(&whole, 10);
        if (!whole)
            return QStringLiteral("'%1' is not a whole number").arg(word);
    }
    if (!field.choices.isEmpty() && !field.choices.contains(word))
        return QStringLiteral("'%1' is not one of %2").arg(word, field.choices.join(QStringLiteral(", ")));
    return QString();
}

// A field's value as a scenario writes it. A flag the trace leaves out ("dropped") is false.
QString plainText(const QJsonValue &value)
{
    if (value.isUndefined())
        return QStringLiteral("false");
    if (value.isString())
        return value.toString();
    if (value.isDouble() && value.toDouble() == double(qint64(value.toDouble())))
        return QString::number(qint64(value.toDouble()));
    return QString::fromUtf8(cTraceEvent::jsonText(value));
}

QString valueName(TraceKind::TraceKind_t kind, const QString &value)
{
    for (const auto &entry : g_valueNames) {
        if (entry.kind == kind && value == QLatin1String(entry.value))
            return QLatin1String(entry.word);
    }
    return value;
}

QString traceValue(TraceKind::TraceKind_t kind, const QString &word)
{
    for (const auto &entry : g_valueNames) {
        if (entry.kind == kind && word == QLatin1String(entry.word))
            return QLatin1String(entry.value);
    }
    return word;
}

QStringList namedValues(TraceKind::TraceKind_t kind)
{
    QStringList words;
    for (const auto &entry : g_valueNames) {
        if (entry.kind == kind)
            words << QLatin1String(entry.word);
    }
    return words;
}

bool expectable(TraceKind::TraceKind_t kind)
{
    return kind != TraceKind::Summary && kind != TraceKind::Expect;
}

} // namespace

bool cExpectation::parse(const QStringList &words, QString *why)
{
    *this = cExpectation();
    m_text = words.join(QLatin1Char(' '));
    QStringList rest = words;
    if (!parseQuantity(&rest, why))
        return false;
    if (rest == QStringList {QStringLiteral("nothing")}) {
        if (m_quantity != AtLeastOne) {
            *why = QStringLiteral("expect: 'nothing' takes no count");
            return false;
        }
        m_quantity = Nothing;
        m_count = 0;
        return true;
    }
    return parseWhat(&rest, why) && parseValues(rest, why);
}

bool cExpectation::parseQuantity(QStringList *words, QString *why)
{
    if (words->isEmpty()) {
        *why = QStringLiteral("expect: what? e.g. expect write 02 02 04 00 00, expect no event");
        return false;
    }
    const QString first = words->first();
    if (first == QLatin1String("no")) {
        words->removeFirst();
        m_quantity = Exactly;
        m_count = 0;
        return true;
    }
    const bool times = first.endsWith(QChar(0x00D7));
    bool whole = false;
    const int count = (times ? first.chopped(1) : first).toInt(&whole, 10);
    if (!whole)
        return true;
    if (count < 0
        || (!times && words->value(1) != QLatin1String("times")
            && words->value(1) != QLatin1String("time"))) {
        *why = QStringLiteral("expect: a count is N times or N\u00D7, e.g. expect 2 times volume up");
        return false;
    }
    words->erase(words->begin(), words->begin() + (times ? 1 : 2));
    m_quantity = Exactly;
    m_count = count;
    return true;
}

bool cExpectation::parseWhat(QStringList *words, QString *why)
{
    if (words->isEmpty()) {
        *why = QStringLiteral("expect: %1 of what?").arg(m_text);
        return false;
    }
    m_what = words->takeFirst();
    for (const auto &entry : g_kindNames) {
        if (m_what == QLatin1String(entry.word)) {
            m_kind = entry.kind;
            return true;
        }
    }
    // "mic light 2" and "mic notify 1" read as the setters are written in a scenario.
    const QString next = words->value(0);
    if (m_what == QLatin1String("mic")
        && (next == QLatin1String("light") || next == QLatin1String("notify"))) {
        m_what = TraceKind::name(TraceKind::MicSet);
        m_kind = TraceKind::MicSet;
        return true;
    }
    for (int kind = 0; kind <= TraceKind::Summary; ++kind) {
        if (expectable(TraceKind::TraceKind_t(kind))
            && m_what == TraceKind::name(TraceKind::TraceKind_t(kind))) {
            m_kind = TraceKind::TraceKind_t(kind);
            return true;
        }
    }
    *why = QStringLiteral("expect: '%1' is no kind of event (write, input, event, volume, dolby, mic, "
                          "validate, error, log, or another kind the JSON trace names)")
               .arg(m_what);
    return false;
}

bool cExpectation::parseValues(const QStringList &words, QString *why)
{
    const QList<cField> &fields = fieldsOf(m_kind);
    int word = 0;
    for (const cField &field : fields) {
        if (word >= words.size())
            return true;
        if (field.shape == cField::Plain || field.shape == cField::Whole) {
            const QString wrong = refusal(field, words.at(word));
            if (!wrong.isEmpty()) {
                *why = QStringLiteral("expect %1 %2: %3").arg(m_what, field.key, wrong);
                return false;
            }
            // A number is compared as the trace writes it: "007" is 7.
            const QString value = words.at(word++);
            m_values.append(field.shape == cField::Whole ? QString::number(value.toLongLong())
                                                         : traceValue(m_kind, value));
            continue;
        }
        const QStringList rest = words.mid(word);
        word = words.size();
        if (field.shape == cField::List) {
            m_values.append(rest);
        } else if (field.shape == cField::Text) {
            m_values.append(rest.join(QLatin1Char(' ')));
        } else {
            QByteArray bytes;
            if (!cScenarioParser::parseHex(rest, &bytes)) {
                *why = QStringLiteral("expect %1: '%2' is not hex bytes")
                           .arg(m_what, rest.join(QLatin1Char(' ')));
                return false;
            }
            m_values.append(QString::fromLatin1(bytes.toHex(' ').toUpper()));
        }
    }
    if (word >= words.size())
        return true;
    QStringList keys;
    for (const cField &field : fields)
        keys << field.key;
    *why = QStringLiteral("expect %1: too many values; it compares %2")
               .arg(m_what, keys.isEmpty() ? QStringLiteral("none") : keys.join(QLatin1Char(' ')));
    return false;
}

bool cExpectation::matches(const cTraceEvent &event) const
{
    if (m_quantity == Nothing)
        return true;
    if (event.kind() != m_kind)
        return false;
    int value = 0;
    for (const cField &field : fieldsOf(m_kind)) {
        if (value >= m_values.size())
            break;
        const QJsonValue actual = event.value(field.key);
        if (field.shape == cField::List) {
            const QJsonArray array = actual.toArray();
            for (int i = 0; value < m_values.size(); ++i, ++value) {
                if (i >= array.size() || plainText(array.at(i)) != m_values.at(value))
                    return false;
            }
        } else if (field.shape == cField::Text) {
            if (!plainText(actual).contains(m_values.at(value++)))
                return false;
        } else if (plainText(actual) != m_values.at(value++)) {
            return false;
        }
    }
    return true;
}

bool cExpectation::holds(const QList<cTraceEvent> &events) const
{
    int matching = 0;
    for (const cTraceEvent &event : events) {
        if (matches(event))
            ++matching;
    }
    return m_quantity == AtLeastOne ? matching > 0 : matching == m_count;
}

QString cExpectation::got(const QList<cTraceEvent> &events) const
{
    QStringList seen;
    int more = 0;
    for (const cTraceEvent &event : events) {
        if (m_quantity != Nothing && event.kind() != m_kind)
            continue;
        if (seen.size() < g_listedEvents)
            seen << describe(event);
        else
            ++more;
    }
    if (seen.isEmpty())
        return QStringLiteral("nothing");
    if (more > 0)
        seen << QStringLiteral("and %1 more").arg(more);
    return seen.join(QStringLiteral(", "));
}

QString cExpectation::describe(const cTraceEvent &event) const
{
    // As many of its fields as the expectation named, and at least the first.
    const bool sameKind = m_quantity != Nothing;
    QStringList words {sameKind ? m_what : QString(TraceKind::name(event.kind()))};
    const QList<cField> &fields = fieldsOf(event.kind());
    const int shown = sameKind ? qMax(1, int(m_values.size())) : 1;
    for (int i = 0; i < fields.size() && i < shown; ++i) {
        const QJsonValue value = event.value(fields.at(i).key);
        if (fields.at(i).shape == cField::List) {
            for (const QJsonValue &element : value.toArray())
                words << plainText(element);
        } else if (!value.isUndefined()) {
            words << valueName(event.kind(), plainText(value));
        }
    }
    return words.join(QLatin1Char(' '));
}
