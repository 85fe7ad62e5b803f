#include "cJsonValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QList>
#include <QLocale>
#include <QMap>

#include <cmath>

class cJsonValueData : public QSharedData
{
public:
    explicit cJsonValueData(cJsonValue::JsonValueType aType = cJsonValue::Empty)
        : type(aType)
    { }

    cJsonValue::JsonValueType type;
    bool boolean = false;
    double number = 0;
    QString string;
    QList<cJsonValue> array;
    QMap<QString, cJsonValue> object; // sorted keys: the same value always writes the same text
};

// Every new empty value shares one block, so that empty results and defaults cost no allocation.
static const QSharedDataPointer<cJsonValueData> &sharedEmpty()
{
    static const QSharedDataPointer<cJsonValueData> empty(new cJsonValueData);
    return empty;
}

static const cJsonValue &emptyValue()
{
    static const cJsonValue empty;
    return empty;
}

cJsonValue::cJsonValue(JsonValueType type)
    : d(type == Empty ? sharedEmpty() : QSharedDataPointer<cJsonValueData>(new cJsonValueData(type)))
{ }

cJsonValue::cJsonValue(const char *text)
    : cJsonValue(QString::fromUtf8(text))
{ }

cJsonValue::cJsonValue(const QString &text)
    : d(new cJsonValueData(String))
{
    d->string = text;
}

cJsonValue::cJsonValue(bool value)
    : d(new cJsonValueData(Bool))
{
    d->boolean = value;
}

cJsonValue::cJsonValue(double value)
    : d(new cJsonValueData(Number))
{
    d->number = value;
}

cJsonValue::cJsonValue(int value)
    : cJsonValue(double(value))
{ }

cJsonValue::cJsonValue(const cJsonValue &other) = default;

// A moved-from value stays a valid empty value rather than holding a null data pointer.
cJsonValue::cJsonValue(cJsonValue &&other) noexcept
    : d(sharedEmpty())
{
    d.swap(other.d);
}

cJsonValue &cJsonValue::operator=(const cJsonValue &other) = default;

cJsonValue &cJsonValue::operator=(cJsonValue &&other) noexcept
{
    d.swap(other.d);
    return *this;
}

cJsonValue::~cJsonValue() = default;

cJsonValue::JsonValueType cJsonValue::type() const
{
    return d->type;
}

cJsonValue &cJsonValue::operator[](const char *key)
{
    return (*this)[QString::fromUtf8(key)];
}

cJsonValue &cJsonValue::operator[](const QString &key)
{
    if (type() != Object)
        *this = cJsonValue(Object);
    return d->object[key];
}

const cJsonValue &cJsonValue::operator[](const char *key) const
{
    return (*this)[QString::fromUtf8(key)];
}

const cJsonValue &cJsonValue::operator[](const QString &key) const
{
    if (d->type != Object)
        return emptyValue();
    const auto it = d->object.constFind(key);
    return it == d->object.constEnd() ? emptyValue() : *it;
}

bool cJsonValue::contains(const QString &key) const
{
    return d->type == Object && d->object.contains(key);
}

QStringList cJsonValue::keys() const
{
    return d->type == Object ? d->object.keys() : QStringList();
}

cJsonValue &cJsonValue::operator[](int index)
{
    if (index < 0) {
        // Each thread has its own, so a write through it never reaches another thread's value.
        thread_local cJsonValue scratch;
        scratch = cJsonValue();
        return scratch;
    }
    if (type() != Array)
        *this = cJsonValue(Array);
    while (d->array.size() <= index)
        d->array.append(cJsonValue());
    return d->array[index];
}

const cJsonValue &cJsonValue::operator[](int index) const
{
    if (d->type != Array || index < 0 || index >= d->array.size())
        return emptyValue();
    return d->array.at(index);
}

void cJsonValue::append(const cJsonValue &value)
{
    if (type() != Array)
        *this = cJsonValue(Array);
    d->array.append(value);
}

int cJsonValue::size() const
{
    switch (d->type) {
    case Array:
        return int(d->array.size());
    case Object:
        return int(d->object.size());
    default:
        return 0;
    }
}

QString cJsonValue::toString() const
{
    switch (d->type) {
    case String:
        return d->string;
    case Bool:
        return d->boolean ? QStringLiteral("true") : QStringLiteral("false");
    case Number: {
        // Ids and counts come as doubles from JSON text; "4617" must not read "4617.0" or "4.617e+03".
        const double n = d->number;
        if (std::trunc(n) == n && std::fabs(n) < 9007199254740992.0)
            return QString::number(qint64(n));
        return QString::number(n, 'g', QLocale::FloatingPointShortest);
    }
    default:
        return QString();
    }
}

bool cJsonValue::toBool() const
{
    return (d->type == Bool && d->boolean) || (d->type == Number && d->number != 0);
}

double cJsonValue::toNumber() const
{
    switch (d->type) {
    case Number:
        return d->number;
    case Bool:
        return d->boolean ? 1 : 0;
    case String:
        return d->string.toDouble();
    default:
        return 0;
    }
}

bool cJsonValue::operator==(const cJsonValue &other) const
{
    if (d == other.d)
        return true;
    if (d->type != other.d->type)
        return false;
    switch (d->type) {
    case Empty:
        return true;
    case Bool:
        return d->boolean == other.d->boolean;
    case Number:
        return d->number == other.d->number;
    case String:
        return d->string == other.d->string;
    case Array:
        return d->array == other.d->array;
    case Object:
        return d->object == other.d->object;
    }
    return false;
}

static bool isScalar(cJsonValue::JsonValueType type)
{
    return type == cJsonValue::Bool || type == cJsonValue::Number || type == cJsonValue::String;
}

// The structures must match below the top: a nested scalar is not found inside a nested array,
// as with jsonb, where only a top-level array contains a bare scalar.
static bool containedDeep(const cJsonValue &part, const cJsonValue &whole)
{
    if (part.type() == cJsonValue::Empty || part.type() != whole.type())
        return false;
    switch (part.type()) {
    case cJsonValue::Object: {
        const QStringList keys = part.keys();
        return std::all_of(keys.cbegin(), keys.cend(), [&](const QString &key) {
            return whole.contains(key) && containedDeep(part[key], whole[key]);
        });
    }
    case cJsonValue::Array:
        for (int i = 0; i < part.size(); ++i) {
            bool found = false;
            for (int j = 0; j < whole.size() && !found; ++j)
                found = containedDeep(part[i], whole[j]);
            if (!found)
                return false;
        }
        return true;
    default:
        return part == whole;
    }
}

bool cJsonValue::containedIn(const cJsonValue &other) const
{
    if (isScalar(d->type) && other.type() == Array) {
        for (int i = 0; i < other.size(); ++i) {
            if (*this == other[i])
                return true;
        }
        return false;
    }
    return containedDeep(*this, other);
}

QJsonValue cJsonValue::toJsonValue() const
{
    switch (d->type) {
    case Bool:
        return QJsonValue(d->boolean);
    case Number:
        return QJsonValue(d->number);
    case String:
        return QJsonValue(d->string);
    case Array: {
        QJsonArray array;
        for (const cJsonValue &element : d->array)
            array.append(element.toJsonValue());
        return array;
    }
    case Object: {
        QJsonObject object;
        for (auto it = d->object.cbegin(); it != d->object.cend(); ++it)
            object.insert(it.key(), it.value().toJsonValue());
        return object;
    }
    default:
        return QJsonValue(QJsonValue::Null);
    }
}

cJsonValue cJsonValue::fromJsonValue(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return cJsonValue(value.toBool());
    case QJsonValue::Double:
        return cJsonValue(value.toDouble());
    case QJsonValue::String:
        return cJsonValue(value.toString());
    case QJsonValue::Array: {
        cJsonValue result(Array);
        const QJsonArray array = value.toArray();
        for (const QJsonValue &element : array)
            result.d->array.append(fromJsonValue(element));
        return result;
    }
    case QJsonValue::Object: {
        cJsonValue result(Object);
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            result.d->object.insert(it.key(), fromJsonValue(it.value()));
        return result;
    }
    default:
        return cJsonValue();
    }
}

QByteArray cJsonValue::toJson(bool compact) const
{
    const QJsonValue value = toJsonValue();
    if (value.isObject())
        return QJsonDocument(value.toObject())
            .toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented);
    if (value.isArray())
        return QJsonDocument(value.toArray())
            .toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented);
    // A document holds only an object or an array: write the scalar as the one element of an array
    // and take the brackets off.
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

cJsonValue cJsonValue::fromJson(const QByteArray &text, QString *errorMessage)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::NoError && (document.isObject() || document.isArray())) {
        if (errorMessage)
            errorMessage->clear();
        return document.isObject() ? fromJsonValue(document.object()) : fromJsonValue(document.array());
    }

    // A bare scalar ("4617", "\"text\"", "null") is JSON text too, but Qt 5's QJsonDocument reads
    // only an object or an array: read it as the one element of an array.
    QString message;
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        message = QStringLiteral("malformed JSON: no value");
    } else if (trimmed.startsWith('{') || trimmed.startsWith('[')) {
        message
            = QStringLiteral("malformed JSON at offset %1: %2").arg(error.offset).arg(error.errorString());
    } else {
        const QJsonDocument wrapped = QJsonDocument::fromJson('[' + text + ']', &error);
        if (error.error == QJsonParseError::NoError && wrapped.array().size() == 1) {
            if (errorMessage)
                errorMessage->clear();
            return fromJsonValue(wrapped.array().at(0));
        }
        if (error.error == QJsonParseError::NoError)
            message = QStringLiteral("malformed JSON: more than one value");
        else // less the opening bracket we added
            message = QStringLiteral("malformed JSON at offset %1: %2")
                          .arg(qMax(0, error.offset - 1))
                          .arg(error.errorString());
    }
    if (errorMessage)
        *errorMessage = message;
    return cJsonValue();
}
