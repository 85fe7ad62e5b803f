#pragma once
#include "cArgumentList.h"

#include <QMultiHash>
#include <QString>
#include <QVarLengthArray>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

class QMetaObject;
class QObject;

// What the service manager's calls and events resolved to, so that the next call or event of the
// same kind runs its methods without a lookup and without a lock.
//
// A request (a method called on a service, an event posted on a source) has one entry, found by
// its kind, its two names and its type names, the result type first. An entry holds the answer:
// the objects to run with the index of each one's method (the service for a call, every
// subscriber in delivery order for an event), or why a call has nothing to run. Entries are never
// freed, as readers take no lock and may still be reading one; there is one per distinct request
// that the code of the process makes, so they do not pile up.
//
// Finding an entry costs no string hashing: callers pass the same names and type names at the
// same addresses every time (literals, or strings they keep), so a table indexed by those
// addresses names a candidate, which is the entry when its names and type names match the
// caller's. Names are compared by address first: the entry keeps a copy of the caller's string,
// which keeps its text where it is. Type names are compared by content, as a caller may write
// another name into the same buffer, unless the caller's is the one the entry was made with and
// lies in read-only memory, where nothing can write. A candidate that does not match, or none,
// sends the caller to the owner's lock, where insert() finds the entry by content.
//
// Answers are read without a lock: the owner writes them under its lock, and each entry carries a
// version, odd while its answer is stale or being rewritten, so a reader that sees the same even
// version before and after reading has read one whole answer. The owner marks answers stale when
// what they depend on changes: a service registered under a name, a subscription of a source, an
// object destroyed, or everything at once for clear(). The next request finds a stale answer
// again, under the lock, and stores it.
class cMethodCache
{
public:
    enum Kind : quint8 { Call, Event };
    // An event's answer is always Found; its subscribers without a handler have method -1.
    enum Outcome : quint8 { Found, NoService, NoMethod, ResultMismatch };

    struct cTarget
    {
        QObject *object = nullptr;
        int method = -1; // absolute index in the object's meta-object
        quint64 tag = 0; // the owner's name for the target: tells subscriptions apart
    };

    // What a request resolved to, as the owner hands it to store(): for NoMethod and
    // ResultMismatch, the service and the method it has by that name.
    struct cAnswer
    {
        Outcome outcome = NoService;
        QVarLengthArray<cTarget, 4> targets;
    };

    // An entry's answer as of one version; the targets are read one at a time against it, so that
    // a reader never copies more than it runs.
    struct cView
    {
        quint64 version = 0;
        Outcome outcome = NoService;
        int size = 0;
    };

    class cEntry;

    cMethodCache();
    ~cMethodCache();
    Q_DISABLE_COPY(cMethodCache)

    // Without a lock, from any thread. A request whose entry find() misses, or whose answer is
    // stale, goes to the owner's lock.
    cEntry *find(Kind kind, const QString &name, const QString &member, const char *resultType,
                 const cArgumentList &arguments) const;
    // False while the answer is stale.
    static bool view(const cEntry *entry, cView *view);
    // False once the answer has changed since `view` was taken: the objects it named may be gone.
    static bool target(const cEntry *entry, const cView &view, int index, cTarget *target);

    // Under the owner's lock.
    cEntry *insert(Kind kind, const QString &name, const QString &member, const char *resultType,
                   const cArgumentList &arguments);
    static void store(cEntry *entry, const cAnswer &answer, cView *view);
    void invalidate(Kind kind, const QString &name);
    void invalidate(const QObject *object);
    void clear();

    // The method of `metaObject` that `signature` names, as written, then normalised; -1 in
    // `index` when there is none. Events reach only slots and invokable methods, never signals. A
    // requested result must be the method's result type.
    static Outcome findMethod(const QMetaObject *metaObject, Kind kind, const QByteArray &signature,
                              const char *resultType, int *index);

private:
    enum { SlotCount = 256, MaxTypeNames = cArgumentList::MaxArguments + 1 };

    // Written under the owner's lock while other threads may be reading it, hence atomics:
    // relaxed loads and stores cost no more than plain ones, and the entry's version orders them.
    struct cStoredTarget
    {
        std::atomic<QObject *> object {nullptr};
        std::atomic<int> method {-1};
        std::atomic<quint64> tag {0};
    };

    // An answer that outgrows its array gets a larger one; the old one stays with the entry, as a
    // reader may still be reading it.
    struct cTargetArray
    {
        explicit cTargetArray(int aCapacity);

        const int capacity;
        const std::unique_ptr<cStoredTarget[]> items;
    };

    static quint32 slotOf(Kind kind, const QString &name, const QString &member, const char *resultType,
                          const cArgumentList &arguments);
    static void markStale(cEntry *entry);

    std::atomic<cEntry *> m_slots[SlotCount];
    std::vector<std::unique_ptr<cEntry>> m_entries;
    QMultiHash<quint64, cEntry *> m_byContent;
};

// Defined here rather than in the source, so that the lock-free reads compile into the caller.
class cMethodCache::cEntry
{
public:
    cEntry(Kind aKind, const QString &aName, const QString &aMember, const char *resultType,
           const cArgumentList &arguments);

    bool matches(Kind aKind, const QString &aName, const QString &aMember, const char *resultType,
                 const cArgumentList &arguments) const
    {
        if (kind != aKind || m_count != arguments.count() || m_hasResult != (resultType != nullptr)
            || !sameString(name, aName) || !sameString(member, aMember))
            return false;
        int names = 0;
        if (resultType && !sameTypeName(names++, resultType))
            return false;
        for (int i = 0; i < m_count; ++i) {
            if (!sameTypeName(names++, arguments.typeName(i)))
                return false;
        }
        return true;
    }

    const Kind kind;
    // Copies that share the caller's text: while they hold it, nobody can change or free it (Qt's
    // rule for raw data too), so a caller's string at the same address says the same.
    const QString name;
    const QString member;

    std::atomic<quint64> version {1};
    std::atomic<Outcome> outcome {NoService};
    std::atomic<int> size {0};
    std::atomic<const cTargetArray *> targets {nullptr};
    std::vector<std::unique_ptr<cTargetArray>> arrays; // every array `targets` has pointed to

private:
    static bool sameString(const QString &kept, const QString &given)
    {
        return (kept.constData() == given.constData() && kept.size() == given.size()) || kept == given;
    }

    bool sameTypeName(int i, const char *given) const
    {
        return given == m_constant[i] || std::strcmp(m_typeNames.constData() + m_offsets[i], given) == 0;
    }

    QByteArray m_typeNames; // each followed by a NUL
    quint16 m_offsets[MaxTypeNames] = {};
    // The caller's own pointer where it lies in read-only memory, null elsewhere.
    const char *m_constant[MaxTypeNames] = {};
    const bool m_hasResult;
    const int m_count;
};

inline quint32 cMethodCache::slotOf(Kind kind, const QString &name, const QString &member,
                                    const char *resultType, const cArgumentList &arguments)
{
    // The two names tell most requests apart; the first type name separates overloads. A
    // collision only costs a lookup under the lock.
    const quintptr first = arguments.count() > 0 ? quintptr(arguments.typeName(0)) : 0;
    const quint64 hash = (quintptr(name.constData()) ^ (quintptr(member.constData()) >> 3)
                          ^ (quintptr(resultType) >> 5) ^ (first >> 7) ^ kind)
        * 0x9e3779b97f4a7c15ULL;
    return quint32(hash >> 56);
}

inline cMethodCache::cEntry *cMethodCache::find(Kind kind, const QString &name, const QString &member,
                                                const char *resultType, const cArgumentList &arguments) const
{
    cEntry *entry
        = m_slots[slotOf(kind, name, member, resultType, arguments)].load(std::memory_order_acquire);
    return entry && entry->matches(kind, name, member, resultType, arguments) ? entry : nullptr;
}

inline bool cMethodCache::view(const cEntry *entry, cView *view)
{
    const quint64 version = entry->version.load(std::memory_order_acquire);
    if (version & 1)
        return false;
    view->outcome = entry->outcome.load(std::memory_order_relaxed);
    view->size = entry->size.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    view->version = version;
    return entry->version.load(std::memory_order_relaxed) == version;
}

inline bool cMethodCache::target(const cEntry *entry, const cView &view, int index, cTarget *target)
{
    const cTargetArray *array = entry->targets.load(std::memory_order_acquire);
    // Checked against the array read: once the answer has changed, `view` may not fit it.
    if (index >= view.size || !array || index >= array->capacity)
        return false;
    const cStoredTarget &stored = array->items[size_t(index)];
    target->object = stored.object.load(std::memory_order_relaxed);
    target->method = stored.method.load(std::memory_order_relaxed);
    target->tag = stored.tag.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return entry->version.load(std::memory_order_relaxed) == view.version;
}
