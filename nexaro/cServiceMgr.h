#pragma once
#include "IServiceMgr.h"
#include "NexaroHost.h"
#include "cArgumentList.h"
#include "cMethodCache.h"

#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>

#include <atomic>

// The process's service manager: the service registry, calls by name, event subscriptions and
// observers. Calls are in cServiceMgr.cpp, events in cServiceMgr_events.cpp.
//
// One mutex guards the registry, the subscriptions, the observers and the writes to the method
// cache. It is never held while a service, a subscriber or an observer runs: they call back into
// the manager, on this thread or another.
//
// A call or event that ran before runs again without the mutex, on the answer the method cache
// keeps for it (cMethodCache.h). The manager tells the cache what each change touches: a service
// registered under a name, a subscription of a source, and any registered service or subscriber
// destroyed, which the manager learns from its destroyed() signal.
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
    struct cService
    {
        QPointer<QObject> object;
        QMetaObject::Connection watch;
    };

    struct cSubscription
    {
        QPointer<QObject> receiver;
        QString prefix;
        quint64 id = 0; // from m_lastSubscription: never reused, rising in delivery order
        QMetaObject::Connection watch;
    };

    cServiceMgr();

    bool call(const QString &serviceName, const QString &methodName, const char *resultType,
              cArgumentList &arguments);
    void traceCall(const QString &serviceName, const QString &methodName, const char *resultType,
                   const cArgumentList &arguments, bool ok);
    void reportFailure(const QString &serviceName, const QString &methodName, const char *resultType,
                       const cArgumentList &arguments, cMethodCache::Outcome outcome,
                       const cMethodCache::cTarget &service) const;
    void reportIncomplete(const QString &serviceName, const QString &methodName,
                          const cArgumentList &arguments) const;
    bool deliver(const QString &sourceName, const QString &eventName, cArgumentList &arguments);
    void reportNoHandler(const QString &sourceName, const QString &eventName, const cArgumentList &arguments,
                         const cMethodCache::cTarget &target) const;

    // The current answer for a request: the cache's, or one found under the mutex and stored there.
    cMethodCache::cEntry *answerFor(cMethodCache::Kind kind, const QString &name, const QString &member,
                                    const char *resultType, const cArgumentList &arguments,
                                    cMethodCache::cView *view)
    {
        cMethodCache::cEntry *entry = m_cache.find(kind, name, member, resultType, arguments);
        if (entry && cMethodCache::view(entry, view))
            return entry;
        return answerLocked(entry, kind, name, member, resultType, arguments, view);
    }
    cMethodCache::cEntry *answerLocked(cMethodCache::cEntry *entry, cMethodCache::Kind kind,
                                       const QString &name, const QString &member, const char *resultType,
                                       const cArgumentList &arguments, cMethodCache::cView *view);
    // Under the mutex.
    QObject *serviceLocked(const QString &name) const;
    cMethodCache::cAnswer resolveCall(const QString &serviceName, const QString &methodName,
                                      const char *resultType, const cArgumentList &arguments) const;
    cMethodCache::cAnswer resolveEvent(const QString &sourceName, const QString &eventName,
                                       const cArgumentList &arguments);
    QMetaObject::Connection watch(QObject *object);
    static void pruneDestroyed(QList<cSubscription> &subscriptions);

    void onDestroyed(QObject *object);

    static bool invoke(QObject *target, int methodIndex, cArgumentList &arguments);

    bool isObserved() const { return m_observerCount.loadRelaxed() != 0; }
    void notify(const Nexaro::cServiceTrace &trace);
    static QList<Nexaro::cTracedArgument> traceArguments(const cArgumentList &arguments);
    static QVariant traceValue(const char *typeName, const void *data);

    mutable QMutex m_mutex;
    QHash<QString, cService> m_services;
    QHash<QString, QList<cSubscription>> m_subscriptions;
    std::atomic<quint64> m_lastSubscription {0}; // read without the lock by every delivery
    QList<Nexaro::IServiceObserver *> m_observers;
    // Read without the lock on every call, so that nothing is traced while nobody watches.
    QAtomicInt m_observerCount;
    cMethodCache m_cache;
};
