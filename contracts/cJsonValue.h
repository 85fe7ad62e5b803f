#pragma once
#include "NexaroGlobal.h"

#include <QByteArray>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>
#include <QStringList>

class QJsonValue;
class cJsonValueData;

// A JSON-like value: empty, bool, number, string, array or object. Copies share their data and
// detach on write, so passing values around is cheap and a copy never sees later changes.
class NEXARO_EXPORT cJsonValue
{
public:
    enum JsonValueType { Empty = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

    explicit cJsonValue(JsonValueType type = Empty);
    cJsonValue(const char *text);
    cJsonValue(const QString &text);
    explicit cJsonValue(bool value);
    explicit cJsonValue(double value);
    explicit cJsonValue(int value);
    cJsonValue(const cJsonValue &other);
    cJsonValue(cJsonValue &&other) noexcept;
    cJsonValue &operator=(const cJsonValue &other);
    cJsonValue &operator=(cJsonValue &&other) noexcept;
    ~cJsonValue();

    JsonValueType type() const;
    bool isEmpty() const { return type() == Empty; }

    // Object access. The mutable form creates a missing key and turns an empty value (or any
    // other non-object) into an object; the const form gives an empty value for a missing key.
    cJsonValue &operator[](const char *key);
    cJsonValue &operator[](const QString &key);
    const cJsonValue &operator[](const char *key) const;
    const cJsonValue &operator[](const QString &key) const;
    bool contains(const QString &key) const;
    QStringList keys() const;

    // Array access. The mutable form grows the array with empty values up to the index and
    // turns a non-array into an array; a negative index reaches a scratch value that is not
    // part of this value. The const form gives an empty value out of range.
    cJsonValue &operator[](int index);
    const cJsonValue &operator[](int index) const;
    void append(const cJsonValue &value);
    int size() const; // elements of an array, keys of an object, 0 otherwise

    // Strings as they are, numbers and bools as text, an empty string for anything else.
    QString toString() const;
    bool toBool() const;
    double toNumber() const;

    bool operator==(const cJsonValue &other) const;
    bool operator!=(const cJsonValue &other) const { return !(*this == other); }

    // Containment as PostgreSQL's jsonb `@>` reads it, seen from the contained side: an object is
    // contained when each of its keys is contained under the same key of `other`; an array when
    // each element is contained in some element of `other`'s array; a scalar in an equal scalar,
    // or, at the top level only, in an array holding one (below the top the kinds must match, so
    // {"a":1} is not contained in {"a":[1,2]}). Numbers compare by value. An empty value is
    // contained in nothing, so that an empty probe matches no transport.
    bool containedIn(const cJsonValue &other) const;

    // JSON text. Empty values are written as null, and null reads back as an empty value.
    QByteArray toJson(bool compact = true) const;
    static cJsonValue fromJson(const QByteArray &text, QString *errorMessage = nullptr);
    QJsonValue toJsonValue() const;
    static cJsonValue fromJsonValue(const QJsonValue &value);

private:
    QSharedDataPointer<cJsonValueData> d;
};

Q_DECLARE_METATYPE(cJsonValue)
