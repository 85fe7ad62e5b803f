#pragma once
#include <QByteArray>
#include <QGenericArgument>
#include <QHash>
#include <QMetaObject>
#include <QSet>
#include <QString>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using cHashValue = size_t;
#else
using cHashValue = uint;
#endif

// The arguments of one call or event as the caller passed them: the non-empty generic arguments up
// to the first empty one, as type names and data pointers ready for QMetaObject::metacall.
class cArgumentList
{
public:
    enum { MaxArguments = 10 };

    // Pointers to the caller's arguments, not copies: a copy would read each argument in one wide
    // load from where the caller has just written it in two narrow stores, and stall on every one.
    explicit cArgumentList(const QGenericArgument *const (&arguments)[MaxArguments]);

    int count() const { return m_count; }
    const char *typeName(int i) const { return m_typeNames[i]; }
    void *data(int i) const { return m_data[i]; }
    // False when an argument carries a type name but no value: invoking would dereference null.
    bool isComplete() const { return m_complete; }

private:
    int m_count = 0;
    bool m_complete = true;
    const char *m_typeNames[MaxArguments];
    void *m_data[MaxArguments];
};

// What identifies one lookup of an invokable method: the class, the name, the argument type names
// and the requested result type. Type names compare by content, so a caller may pass literals or
// a buffer it reuses; the keys stored in the cache point to interned copies.
struct cMethodKey
{
    enum Kind : quint8 { Call, Event };

    cMethodKey() = default;
    cMethodKey(Kind aKind, const QMetaObject *aMetaObject, const QString &aName, const QString &anEvent,
               const char *aResultType, const cArgumentList &arguments);

    // "name(type,type)" with the type names as passed, for lookups and messages.
    QByteArray signature() const;

    Kind kind = Call;
    quint8 count = 0;
    const QMetaObject *metaObject = nullptr;
    QString name; // the method of a call, the handler prefix of an event
    QString event; // empty for a call
    const char *resultType = nullptr; // null when the caller wants no result
    const char *typeNames[cArgumentList::MaxArguments] = {};
};

bool operator==(const cMethodKey &a, const cMethodKey &b);
cHashValue qHash(const cMethodKey &key, cHashValue seed = 0);

// The answer for one key. Meta-objects never change while their class is loaded, so an answer,
// found or not, holds for the life of the process.
struct cMethodEntry
{
    enum Outcome { Found, NoMethod, ResultMismatch };
    Outcome outcome = NoMethod;
    int index = -1; // absolute index of the method found, for QMetaObject::metacall and messages
};

// Not thread-safe: the service manager calls find() and insert() under its own lock and resolve()
// outside it.
class cMethodCache
{
public:
    bool find(const cMethodKey &key, cMethodEntry *entry) const;
    void insert(const cMethodKey &key, const cMethodEntry &entry);
    void clear();

    // The method for `key`: by the signature as written, then normalised. Events reach only slots
    // and invokable methods, never signals. A requested result must be the method's result type.
    static cMethodEntry resolve(const cMethodKey &key);

private:
    const char *intern(const char *typeName);

    QHash<cMethodKey, cMethodEntry> m_entries;
    QSet<QByteArray> m_typeNames;
};
