#include "cMethodCache.h"

#include <QHash>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaType>

#include <algorithm>
#include <cstring>

#if defined(Q_OS_LINUX)
#include <link.h>
#endif

namespace {

quint64 contentHash(cMethodCache::Kind kind, const QString &name, const QString &member,
                    const char *resultType, const cArgumentList &arguments)
{
    quint64 hash = qHash(name, kind) ^ (quint64(qHash(member)) << 1);
    if (resultType)
        hash ^= qHashBits(resultType, std::strlen(resultType), 1);
    for (int i = 0; i < arguments.count(); ++i)
        hash = hash * 31 + qHashBits(arguments.typeName(i), std::strlen(arguments.typeName(i)));
    return hash;
}

#if defined(Q_OS_LINUX)
// Whether `address` lies in a segment of a loaded module that is mapped without write access,
// where string literals live. Their text stays as it is while the module is loaded, and modules
// stay loaded for the life of the process (the host never unloads a plugin), which the name
// copies of an entry rely on too.
bool isReadOnly(const void *address)
{
    struct cQuery
    {
        quintptr address;
        bool readOnly;
    } query {quintptr(address), false};
    const auto inModule = [](dl_phdr_info *info, size_t, void *data) -> int {
        auto *q = static_cast<cQuery *>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
            const ElfW(Phdr) &segment = info->dlpi_phdr[i];
            if (segment.p_type == PT_LOAD
                && q->address - (info->dlpi_addr + segment.p_vaddr) < segment.p_memsz) {
                q->readOnly = !(segment.p_flags & PF_W);
                return 1;
            }
        }
        return 0;
    };
    dl_iterate_phdr(inModule, &query);
    return query.readOnly;
}
#else
bool isReadOnly(const void *)
{
    return false;
}
#endif

} // namespace

cMethodCache::cTargetArray::cTargetArray(int aCapacity)
    : capacity(aCapacity)
    , items(new cStoredTarget[size_t(aCapacity)])
{ }

cMethodCache::cEntry::cEntry(Kind aKind, const QString &aName, const QString &aMember, const char *resultType,
                             const cArgumentList &arguments)
    : kind(aKind)
    , name(aName)
    , member(aMember)
    , m_hasResult(resultType != nullptr)
    , m_count(arguments.count())
{
    int names = 0;
    const auto append = [this, &names](const char *typeName) {
        m_offsets[names] = quint16(m_typeNames.size());
        m_constant[names] = isReadOnly(typeName) ? typeName : nullptr;
        m_typeNames.append(typeName, int(std::strlen(typeName)) + 1);
        ++names;
    };
    if (resultType)
        append(resultType);
    for (int i = 0; i < m_count; ++i)
        append(arguments.typeName(i));
}

cMethodCache::cMethodCache()
{
    for (std::atomic<cEntry *> &slot : m_slots)
        slot.store(nullptr, std::memory_order_relaxed);
}

cMethodCache::~cMethodCache() = default;

cMethodCache::cEntry *cMethodCache::insert(Kind kind, const QString &name, const QString &member,
                                           const char *resultType, const cArgumentList &arguments)
{
    const quint64 hash = contentHash(kind, name, member, resultType, arguments);
    cEntry *entry = nullptr;
    for (auto it = m_byContent.constFind(hash); it != m_byContent.constEnd() && it.key() == hash; ++it) {
        if (it.value()->matches(kind, name, member, resultType, arguments)) {
            entry = it.value();
            break;
        }
    }
    if (!entry) {
        m_entries.push_back(std::make_unique<cEntry>(kind, name, member, resultType, arguments));
        entry = m_entries.back().get();
        m_byContent.insert(hash, entry);
    }
    m_slots[slotOf(kind, name, member, resultType, arguments)].store(entry, std::memory_order_release);
    return entry;
}

void cMethodCache::store(cEntry *entry, const cAnswer &answer, cView *view)
{
    markStale(entry);
    std::atomic_thread_fence(std::memory_order_release);
    const cTargetArray *array = entry->targets.load(std::memory_order_relaxed);
    const int size = int(answer.targets.size());
    if (size > (array ? array->capacity : 0)) {
        entry->arrays.push_back(
            std::make_unique<cTargetArray>(std::max(size, array ? 2 * array->capacity : 1)));
        array = entry->arrays.back().get();
        entry->targets.store(array, std::memory_order_release);
    }
    for (int i = 0; i < size; ++i) {
        const cTarget &target = answer.targets.at(i);
        cStoredTarget &stored = array->items[size_t(i)];
        stored.object.store(target.object, std::memory_order_relaxed);
        stored.method.store(target.method, std::memory_order_relaxed);
        stored.tag.store(target.tag, std::memory_order_relaxed);
    }
    entry->size.store(size, std::memory_order_relaxed);
    entry->outcome.store(answer.outcome, std::memory_order_relaxed);
    view->version = entry->version.load(std::memory_order_relaxed) + 1;
    view->outcome = answer.outcome;
    view->size = size;
    entry->version.store(view->version, std::memory_order_release);
}

void cMethodCache::markStale(cEntry *entry)
{
    const quint64 version = entry->version.load(std::memory_order_relaxed);
    if (!(version & 1))
        entry->version.store(version + 1, std::memory_order_relaxed);
}

void cMethodCache::invalidate(Kind kind, const QString &name)
{
    for (const std::unique_ptr<cEntry> &entry : m_entries) {
        if (entry->kind == kind && entry->name == name)
            markStale(entry.get());
    }
}

void cMethodCache::invalidate(const QObject *object)
{
    for (const std::unique_ptr<cEntry> &entry : m_entries) {
        const cTargetArray *array = entry->targets.load(std::memory_order_relaxed);
        const int size = entry->size.load(std::memory_order_relaxed);
        for (int i = 0; i < size; ++i) {
            if (array->items[size_t(i)].object.load(std::memory_order_relaxed) == object) {
                markStale(entry.get());
                break;
            }
        }
    }
}

void cMethodCache::clear()
{
    for (const std::unique_ptr<cEntry> &entry : m_entries)
        markStale(entry.get());
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

cMethodCache::Outcome cMethodCache::findMethod(const QMetaObject *metaObject, Kind kind,
                                               const QByteArray &signature, const char *resultType,
                                               int *index)
{
    *index = metaObject->indexOfMethod(signature.constData());
    if (*index < 0) {
        const QByteArray normalized = QMetaObject::normalizedSignature(signature.constData());
        if (normalized != signature)
            *index = metaObject->indexOfMethod(normalized.constData());
    }
    if (*index >= 0 && kind == Event && metaObject->method(*index).methodType() == QMetaMethod::Signal)
        *index = -1;
    if (*index < 0)
        return NoMethod;
    return resultType && !returnsType(metaObject->method(*index), resultType) ? ResultMismatch : Found;
}
