#pragma once
#include "IServiceMgr.h"
#include "NexaroHost.h"
#include "cCallSignature.h"
#include "cMethodCache.h"

#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSharedPointer>

#include <atomic>
#include <vector>

// The process's service manager: the service registry, calls by name, event subscriptions and
// observers. Calls are in cServiceMgr.cpp, events in cServiceMgr_events.cpp.
//
// One mutex guards the registry, the subscriptions, the observers and the method cache. It is never
// held while a service, a subscriber or an observer runs: they call back into the manager, on this
// thread or another.
//
// A call or event that a thread made before takes a fast path without the mutex: each thread keeps
// the service and method (or the subscribers and their handlers) it found for its recent calls and
// events, valid while the manager's generation is the one they were found in. Every change of the
// registry, of a subscription or of the method cache starts a new generation; a receiver or
// service destroyed without such a change is caught by its QPointer.
class cServiceMgr final : public IServiceMgr
{
public:
    static cServiceMgr *manager();

    bool requireService(const QString &serviceName, const QString &version) override;
    bool callService(const QString &serviceName, const QString &methodName, QGenericArgument arg0,
                     QGenericArgument arg1, QGenericArgument arg2, QGenericArgument arg3,
                     QGenericArgument arg4, QGenericArgument arg5, QGenericArgument arg6,
                     QGenericArgument arg7, QGenericArgument arg8, QGenericArgument arg9) override;
    bool callService(const QString &serviceName, const QString &methodName, QGenericReturnArgument result,
                     QGenericArgument arg0, QGenericArgument arg1, QGenericArgument arg2,
                     QGenericArgument arg3, QGenericArgument arg4, QGenericArgument arg5,
                     QGenericArgument arg6, QGenericArgument arg7, QGenericArgument arg8,
                     QGenericArgument arg9) override;
    bool subscribeEvents(const QString &sourceName, QObject *receiver, const QString &handlerPrefix) override;
    bool unsubscribeEvents(const QString &sourceName, QObject *receiver) override;
    bool postEvent(const QString &sourceName, const QString &eventName, QGenericArgument arg0,
                   QGenericArgument arg1, QGenericArgument arg2, QGenericArgument arg3, QGenericArgument arg4,
                   QGenericArgument arg5, QGenericArgument arg6, QGenericArgument arg7, QGenericArgument arg8,
                   QGenericArgument arg9) override;

    void registerService(const QString &name, QObject *service);
    QObject *service(const QString &name) const;
    void addObserver(Nexaro::IServiceObserver *observer);
    void removeObserver(Nexaro::IServiceObserver *observer);
    void clearMethodCache();

private:
    // Shared with the deliveries under way, which skip it once `active` is false. Read without the
    // lock by the fast path of other threads.
    struct cSubscription
    {
        cSubscription(QObject *aReceiver, const QString &aPrefix)
            : receiver(aReceiver)
            , prefix(aPrefix)
        { }

        QPointer<QObject> receiver;
        QString prefix;
        std::atomic<bool> active {true};
    };
    using cSubscriptionPtr = QSharedPointer<cSubscription>;

    // A method found once, run as QMetaMethod::invoke runs it: straight into the static metacall
    // of the class that declares it, with the index within that class. A class without one (a
    // meta-object built at run time) is reached through the object's qt_metacall.
    class cInvoker
    {
    public:
        cInvoker() = default;
        cInvoker(const QMetaObject *metaObject, int methodIndex);

        bool isValid() const { return m_index >= 0; }
        bool invoke(QObject *target, void *result, const cArgumentList &arguments) const;

    private:
        using cStaticMetacall = void (*)(QObject *, QMetaObject::Call, int, void **);
        cStaticMetacall m_function = nullptr;
        int m_index = -1; // within the declaring class when m_function is set, else absolute
    };

    // One thread's memory of a call: the service object and the method it resolved to.
    struct cCallSlot
    {
        quint64 generation = 0; // generations start at 1
        cCallSignature signature;
        QPointer<QObject> target;
        cInvoker method;
    };

    // One thread's memory of an event: its subscribers in delivery order, each with its handler,
    // invalid when it has none.
    struct cEventSlot
    {
        struct cHandler
        {
            cSubscriptionPtr subscription;
            cInvoker method;
        };

        quint64 generation = 0;
        cCallSignature signature;
        std::vector<cHandler> handlers;
        int delivering = 0; // events under way through this slot: it is not refilled meanwhile
    };

    cServiceMgr();

    static cCallSlot &callSlot(quint32 hash);
    static cEventSlot &eventSlot(quint32 hash);
    // Under the mutex.
    void changed() { m_generation.fetch_add(1, std::memory_order_release); }

    bool call(const QString &serviceName, const QString &methodName, const QGenericReturnArgument &result,
              const cArgumentList &arguments);
    bool callCached(const QString &serviceName, const QString &methodName,
                    const QGenericReturnArgument &result, const cArgumentList &arguments, bool *ok);
    bool callResolving(const QString &serviceName, const QString &methodName,
                       const QGenericReturnArgument &result, const cArgumentList &arguments);
    bool postCached(const QString &sourceName, const QString &eventName, const cArgumentList &arguments,
                    bool *handled);
    bool postResolving(const QString &sourceName, const QString &eventName, const cArgumentList &arguments);
    // `handler` receives the handler found; it stays invalid when the receiver has none or is gone.
    bool deliver(const cSubscription &subscription, const QString &sourceName, const QString &eventName,
                 const cArgumentList &arguments, cInvoker *handler = nullptr);
    cMethodEntry resolveAndCache(const cMethodKey &key);
    static bool invoke(QObject *target, int methodIndex, void *result, const cArgumentList &arguments);
    static void pruneDestroyed(QList<cSubscriptionPtr> &subscriptions);

    bool isObserved() const { return m_observerCount.loadRelaxed() != 0; }
    void notify(const Nexaro::cServiceTrace &trace);
    static QList<Nexaro::cTracedArgument> traceArguments(const cArgumentList &arguments);
    static QVariant traceValue(const char *typeName, const void *data);

    mutable QMutex m_mutex;
    QHash<QString, QPointer<QObject>> m_services;
    QHash<QString, QList<cSubscriptionPtr>> m_subscriptions;
    QList<Nexaro::IServiceObserver *> m_observers;
    // Read without the lock on every call, so that nothing is traced while nobody watches.
    QAtomicInt m_observerCount;
    cMethodCache m_cache;
    std::atomic<quint64> m_generation {1};
};
