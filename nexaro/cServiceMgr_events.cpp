// Event sources: subscriptions and synchronous delivery.
#include "cServiceMgr.h"

#include <QMutexLocker>

#include <algorithm>
#include <utility>

using Nexaro::cServiceTrace;

bool cServiceMgr::subscribeEvents(const QString &sourceName, QObject *receiver, const QString &handlerPrefix)
{
    if (receiver) {
        QMutexLocker lock(&m_mutex);
        QList<cSubscription> &subscriptions = m_subscriptions[sourceName];
        pruneDestroyed(subscriptions);
        const auto existing
            = std::find_if(subscriptions.begin(), subscriptions.end(),
                           [receiver](const cSubscription &s) { return s.receiver == receiver; });
        // A second subscription keeps the receiver's place in the delivery order.
        if (existing != subscriptions.end())
            existing->prefix = handlerPrefix;
        else
            subscriptions.append({receiver, handlerPrefix,
                                  m_lastSubscription.fetch_add(1, std::memory_order_relaxed) + 1,
                                  watch(receiver)});
        m_cache.invalidate(cMethodCache::Event, sourceName);
    }
    if (isObserved()) {
        cServiceTrace trace;
        trace.kind = cServiceTrace::Subscribe;
        trace.name = sourceName;
        trace.member = handlerPrefix;
        trace.receiver = receiver;
        trace.ok = receiver != nullptr;
        notify(trace);
    }
    return receiver != nullptr;
}

bool cServiceMgr::unsubscribeEvents(const QString &sourceName, QObject *receiver)
{
    bool found = false;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_subscriptions.find(sourceName);
        if (it != m_subscriptions.end()) {
            QList<cSubscription> &subscriptions = *it;
            for (qsizetype i = 0; i < subscriptions.size(); ++i) {
                if (receiver && subscriptions.at(i).receiver == receiver) {
                    QObject::disconnect(subscriptions.at(i).watch);
                    subscriptions.removeAt(i);
                    found = true;
                    m_cache.invalidate(cMethodCache::Event, sourceName);
                    break;
                }
            }
            pruneDestroyed(subscriptions);
            if (subscriptions.isEmpty())
                m_subscriptions.erase(it);
        }
    }
    if (isObserved()) {
        cServiceTrace trace;
        trace.kind = cServiceTrace::Unsubscribe;
        trace.name = sourceName;
        trace.receiver = receiver;
        trace.ok = found;
        notify(trace);
    }
    return found;
}

bool cServiceMgr::postEvent(const QString &sourceName, const QString &eventName, QGenericArgument arg0,
                            QGenericArgument arg1, QGenericArgument arg2, QGenericArgument arg3,
                            QGenericArgument arg4, QGenericArgument arg5, QGenericArgument arg6,
                            QGenericArgument arg7, QGenericArgument arg8, QGenericArgument arg9)
{
    cArgumentList arguments(nullptr, {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9});
    bool handled = false;
    if (arguments.isComplete()) {
        handled = deliver(sourceName, eventName, arguments);
        if (!handled)
            qCDebug(lcNexaroServices, "postEvent: no subscriber of \"%s\" handled %s",
                    qUtf8Printable(sourceName), qUtf8Printable(eventName));
    } else {
        qCWarning(lcNexaroServices, "postEvent: %s on \"%s\" has a type name without a value",
                  qUtf8Printable(eventName), qUtf8Printable(sourceName));
    }

    if (isObserved()) {
        cServiceTrace trace;
        trace.kind = cServiceTrace::Post;
        trace.name = sourceName;
        trace.member = eventName;
        trace.arguments = traceArguments(arguments);
        trace.ok = handled;
        notify(trace);
    }
    return handled;
}

// Subscriptions are numbered in the order they are made, and a receiver that subscribes again
// keeps its number and its place, so an answer lists subscribers by increasing number. An event
// goes to those numbered up to the newest when it was posted, and once a handler has made the
// answer stale, it carries on with the answer as it is now, after the last subscriber it reached:
// those that left since, or subscribed since, never see it.
bool cServiceMgr::deliver(const QString &sourceName, const QString &eventName, cArgumentList &arguments)
{
    const quint64 newest = m_lastSubscription.load(std::memory_order_acquire);
    cMethodCache::cView view;
    const cMethodCache::cEntry *entry
        = answerFor(cMethodCache::Event, sourceName, eventName, nullptr, arguments, &view);
    quint64 reached = 0;
    bool handled = false;
    cMethodCache::cTarget target;
    int next = 0;
    while (next < view.size) {
        if (!cMethodCache::target(entry, view, next, &target)) {
            entry = answerFor(cMethodCache::Event, sourceName, eventName, nullptr, arguments, &view);
            next = 0;
            continue;
        }
        ++next;
        if (target.tag <= reached)
            continue;
        if (target.tag > newest)
            break;
        reached = target.tag;
        if (target.method < 0) {
            if (lcNexaroServices().isDebugEnabled())
                reportNoHandler(sourceName, eventName, arguments, target);
            continue;
        }
        if (invoke(target.object, target.method, arguments))
            handled = true;
    }
    return handled;
}

cMethodCache::cAnswer cServiceMgr::resolveEvent(const QString &sourceName, const QString &eventName,
                                                const cArgumentList &arguments)
{
    cMethodCache::cAnswer answer;
    answer.outcome = cMethodCache::Found;
    const auto it = m_subscriptions.find(sourceName);
    if (it == m_subscriptions.end())
        return answer;
    pruneDestroyed(*it);
    for (const cSubscription &subscription : std::as_const(*it)) {
        QObject *receiver = subscription.receiver.data();
        int index = -1;
        cMethodCache::findMethod(receiver->metaObject(), cMethodCache::Event,
                                 arguments.signature(subscription.prefix + eventName), nullptr, &index);
        answer.targets.append({receiver, index, subscription.id});
    }
    return answer;
}

void cServiceMgr::reportNoHandler(const QString &sourceName, const QString &eventName,
                                  const cArgumentList &arguments, const cMethodCache::cTarget &target) const
{
    QString prefix;
    {
        QMutexLocker lock(&m_mutex);
        for (const cSubscription &subscription : m_subscriptions.value(sourceName)) {
            if (subscription.id == target.tag)
                prefix = subscription.prefix;
        }
    }
    qCDebug(lcNexaroServices, "postEvent: %s (%s) subscribed to \"%s\" has no handler %s",
            qUtf8Printable(target.object->objectName()), target.object->metaObject()->className(),
            qUtf8Printable(sourceName), arguments.signature(prefix + eventName).constData());
}

void cServiceMgr::pruneDestroyed(QList<cSubscription> &subscriptions)
{
    subscriptions.erase(std::remove_if(subscriptions.begin(), subscriptions.end(),
                                       [](const cSubscription &s) { return s.receiver.isNull(); }),
                        subscriptions.end());
}
