#pragma once
#include "IServiceMgr.h"
#include "NexaroHost.h"
#include "cMethodCache.h"

#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSharedPointer>

// The process's service manager: the service registry, calls by name, event subscriptions and
// observers. Calls are in cServiceMgr.cpp, events in cServiceMgr_events.cpp.
//
// One mutex guards the registry, the subscriptions, the observers and the method cache. It is never
// held while a service, a subscriber or an observer runs: they call back into the manager, on this
// thread or another.
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

private:
    // Shared with the deliveries under way, which skip it once `active` is false.
    struct cSubscription
    {
        QPointer<QObject> receiver;
        QString prefix;
        bool active = true;
    };
    using cSubscriptionPtr = QSharedPointer<cSubscription>;

    cServiceMgr();

    bool call(const QString &serviceName, const QString &methodName, const QGenericReturnArgument &result,
              const cArgumentList &arguments);
    bool deliver(const cSubscription &subscription, const QString &sourceName, const QString &eventName,
                 const cArgumentList &arguments);
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
};
