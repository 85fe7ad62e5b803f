#include "cMethodCache.h"

#include <QMetaMethod>
#include <QMetaType>

#include <cstring>

cArgumentList::cArgumentList(const QGenericArgument *const (&arguments)[MaxArguments])
{
    for (const QGenericArgument *argument : arguments) {
        if (!argument->name())
            break;
        m_complete = m_complete && argument->data();
        m_typeNames[m_count] = argument->name();
        m_data[m_count] = argument->data();
        ++m_count;
    }
}

cMethodKey::cMethodKey(Kind aKind, const QMetaObject *aMetaObject, const QString &aName,
                       const QString &anEvent, const char *aResultType, const cArgumentList &arguments)
    : kind(aKind)
    , count(quint8(arguments.count()))
    , metaObject(aMetaObject)
    , name(aName)
    , event(anEvent)
    , resultType(aResultType)
{
    for (int i = 0; i < count; ++i)
        typeNames[i] = arguments.typeName(i);
}

QByteArray cMethodKey::signature() const
{
    QByteArray text = (name + event).toUtf8();
    text += '(';
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += typeNames[i];
    }
    text += ')';
    return text;
}

static bool sameTypeName(const char *a, const char *b)
{
    return a == b || qstrcmp(a, b) == 0;
}

bool operator==(const cMethodKey &a, const cMethodKey &b)
{
    if (a.metaObject != b.metaObject || a.kind != b.kind || a.count != b.count
        || !sameTypeName(a.resultType, b.resultType) || a.name != b.name || a.event != b.event)
        return false;
    for (int i = 0; i < a.count; ++i) {
        if (!sameTypeName(a.typeNames[i], b.typeNames[i]))
            return false;
    }
    return true;
}

// Keys come from code, never from outside, so the hash samples each name (its length and its first
// and last eight bytes) instead of reading it all: Qt's seeded string hash, or any full pass, costs
// more than the rest of a cached call. Names that share a sample only cost an equality check.
static quint64 mixHash(quint64 hash, quint64 value)
{
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash;
}

static quint64 sampleHash(quint64 hash, const void *data, size_t size)
{
    const auto *bytes = static_cast<const uchar *>(data);
    quint64 head = 0;
    quint64 tail = 0;
    if (size >= sizeof head) {
        std::memcpy(&head, bytes, sizeof head);
        std::memcpy(&tail, bytes + size - sizeof tail, sizeof tail);
    } else {
        for (size_t i = 0; i < size; ++i)
            head = (head << 8) | bytes[i];
    }
    return mixHash(mixHash(mixHash(hash, size), head), tail);
}

static quint64 typeNameHash(quint64 hash, const char *typeName)
{
    // A null result type (none wanted) must not hash like an empty name.
    return typeName ? sampleHash(hash, typeName, qstrlen(typeName)) : mixHash(hash, ~quint64(0));
}

cHashValue qHash(const cMethodKey &key, cHashValue seed)
{
    quint64 hash = mixHash(seed, quintptr(key.metaObject));
    hash = mixHash(hash, (quint64(key.kind) << 8) | key.count);
    hash = sampleHash(hash, key.name.constData(), size_t(key.name.size()) * sizeof(QChar));
    hash = sampleHash(hash, key.event.constData(), size_t(key.event.size()) * sizeof(QChar));
    hash = typeNameHash(hash, key.resultType);
    for (int i = 0; i < key.count; ++i)
        hash = typeNameHash(hash, key.typeNames[i]);
    return cHashValue(hash ^ (hash >> 32));
}

bool cMethodCache::find(const cMethodKey &key, cMethodEntry *entry) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return false;
    *entry = it.value();
    return true;
}

void cMethodCache::insert(const cMethodKey &key, const cMethodEntry &entry)
{
    // The caller's type-name pointers may not outlive the call; the stored key must.
    cMethodKey stored = key;
    stored.resultType = key.resultType ? intern(key.resultType) : nullptr;
    for (int i = 0; i < key.count; ++i)
        stored.typeNames[i] = intern(key.typeNames[i]);
    m_entries.insert(stored, entry);
}

void cMethodCache::clear()
{
    m_entries.clear();
    m_typeNames.clear();
}

const char *cMethodCache::intern(const char *typeName)
{
    const QByteArray view = QByteArray::fromRawData(typeName, int(qstrlen(typeName)));
    const auto it = m_typeNames.constFind(view);
    if (it != m_typeNames.constEnd())
        return it->constData();
    return m_typeNames.insert(QByteArray(typeName))->constData();
}

static int metaTypeId(const QByteArray &normalizedTypeName)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QMetaType::fromName(normalizedTypeName).id();
#else
    return QMetaType::type(normalizedTypeName.constData());
#endif
}

// As QMetaMethod::invoke decides it: the name as passed, then normalised, then the meta-type of a
// registered alias. moc records a method returning a reference as returning void, so such a method
// can be called only without a result.
static bool returnsType(const QMetaMethod &method, const char *resultType)
{
    const char *returned = method.typeName();
    if (qstrcmp(resultType, returned) == 0)
        return true;
    const QByteArray normalized = QMetaObject::normalizedType(resultType);
    if (normalized == returned)
        return true;
    const int returnedId = method.returnType();
    return returnedId != QMetaType::UnknownType && returnedId != QMetaType::Void
        && returnedId == metaTypeId(normalized);
}

cMethodEntry cMethodCache::resolve(const cMethodKey &key)
{
    cMethodEntry entry;
    const QByteArray written = key.signature();
    int index = key.metaObject->indexOfMethod(written.constData());
    if (index < 0) {
        const QByteArray normalized = QMetaObject::normalizedSignature(written.constData());
        if (normalized != written)
            index = key.metaObject->indexOfMethod(normalized.constData());
    }
    if (index < 0)
        return entry;
    const QMetaMethod method = key.metaObject->method(index);
    if (key.kind == cMethodKey::Event && method.methodType() == QMetaMethod::Signal)
        return entry;
    entry.index = index;
    entry.outcome = key.resultType && !returnsType(method, key.resultType) ? cMethodEntry::ResultMismatch
                                                                           : cMethodEntry::Found;
    return entry;
}
