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
        QList<cSubscriptionPtr> &subscriptions = m_subscriptions[sourceName];
        pruneDestroyed(subscriptions);
        const auto existing
            = std::find_if(subscriptions.cbegin(), subscriptions.cend(),
                           [receiver](const cSubscriptionPtr &s) { return s->receiver == receiver; });
        // A second subscription keeps the receiver's place in the delivery order.
        if (existing != subscriptions.cend())
            (*existing)->prefix = handlerPrefix;
        else
            subscriptions.append(cSubscriptionPtr(new cSubscription(receiver, handlerPrefix)));
        changed();
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
            QList<cSubscriptionPtr> &subscriptions = *it;
            for (int i = 0; i < subscriptions.size(); ++i) {
                if (receiver && subscriptions.at(i)->receiver == receiver) {
                    subscriptions.at(i)->active = false;
                    subscriptions.removeAt(i);
                    found = true;
                    changed();
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
    const QGenericArgument *const given[]
        = {&arg0, &arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9};
    const cArgumentList arguments(given);
    bool handled = false;
    if (arguments.isComplete()) {
        if (!postCached(sourceName, eventName, arguments, &handled))
            handled = postResolving(sourceName, eventName, arguments);
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

cServiceMgr::cEventSlot &cServiceMgr::eventSlot(quint32 hash)
{
    static thread_local cEventSlot recent[16];
    return recent[hash % 16];
}

bool cServiceMgr::postCached(const QString &sourceName, const QString &eventName,
                             const cArgumentList &arguments, bool *handled)
{
    cEventSlot &slot = eventSlot(cCallSignature::slotHash(sourceName, eventName, nullptr, arguments));
    const quint64 generation = m_generation.load(std::memory_order_acquire);
    if (slot.generation != generation || !slot.signature.matches(sourceName, eventName, nullptr, arguments))
        return false;
    ++slot.delivering;
    for (const cEventSlot::cHandler &handler : slot.handlers) {
        const cSubscription &subscription = *handler.subscription;
        // Once a handler has subscribed, unsubscribed or registered anything, the remaining
        // subscribers are delivered to as the resolving path does it, each read afresh (a prefix
        // may have changed); so is one without a handler while that is being logged. Those that
        // left or were destroyed are skipped either way.
        if (m_generation.load(std::memory_order_acquire) != generation
            || (!handler.method.isValid() && lcNexaroServices().isDebugEnabled())) {
            if (deliver(subscription, sourceName, eventName, arguments))
                *handled = true;
            continue;
        }
        QObject *receiver = subscription.receiver.data();
        if (!handler.method.isValid() || !receiver || !subscription.active.load(std::memory_order_acquire))
            continue;
        if (handler.method.invoke(receiver, nullptr, arguments))
            *handled = true;
    }
    --slot.delivering;
    return true;
}

bool cServiceMgr::postResolving(const QString &sourceName, const QString &eventName,
                                const cArgumentList &arguments)
{
    // Handlers may subscribe and unsubscribe while the event travels: it goes to the subscribers
    // of the moment it was posted, less those that left since.
    QList<cSubscriptionPtr> snapshot;
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        generation = m_generation.load(std::memory_order_relaxed);
        const auto it = m_subscriptions.find(sourceName);
        if (it != m_subscriptions.end()) {
            pruneDestroyed(*it);
            snapshot = *it;
        }
    }
    bool handled = false;
    std::vector<cEventSlot::cHandler> handlers;
    handlers.reserve(size_t(snapshot.size()));
    for (const cSubscriptionPtr &subscription : std::as_const(snapshot)) {
        cInvoker handler;
        if (deliver(*subscription, sourceName, eventName, arguments, &handler))
            handled = true;
        handlers.push_back({subscription, handler});
    }
    // Kept only when nothing changed while the event travelled, so that every index was resolved
    // with the prefix its subscriber still has.
    cEventSlot &slot = eventSlot(cCallSignature::slotHash(sourceName, eventName, nullptr, arguments));
    if (slot.delivering == 0 && m_generation.load(std::memory_order_acquire) == generation) {
        slot.generation = generation;
        slot.signature.assign(sourceName, eventName, nullptr, arguments);
        slot.handlers = std::move(handlers);
    }
    return handled;
}

bool cServiceMgr::deliver(const cSubscription &subscription, const QString &sourceName,
                          const QString &eventName, const cArgumentList &arguments, cInvoker *handler)
{
    QObject *receiver = nullptr;
    cMethodKey key;
    cMethodEntry entry;
    bool cached = false;
    {
        QMutexLocker lock(&m_mutex);
        receiver = subscription.receiver.data();
        if (!subscription.active || !receiver)
            return false;
        key = cMethodKey(cMethodKey::Event, receiver->metaObject(), subscription.prefix, eventName, nullptr,
                         arguments);
        cached = m_cache.find(key, &entry);
    }
    if (!cached)
        entry = resolveAndCache(key);
    if (entry.outcome != cMethodEntry::Found) {
        qCDebug(lcNexaroServices, "postEvent: %s (%s) subscribed to \"%s\" has no handler %s",
                qUtf8Printable(receiver->objectName()), key.metaObject->className(),
                qUtf8Printable(sourceName), key.signature().constData());
        return false;
    }
    if (handler)
        *handler = cInvoker(key.metaObject, entry.index);
    return invoke(receiver, entry.index, nullptr, arguments);
}

void cServiceMgr::pruneDestroyed(QList<cSubscriptionPtr> &subscriptions)
{
    const auto destroyed = [](const cSubscriptionPtr &s) { return s->receiver.isNull(); };
    // Checked first: erasing detaches a list that a delivery under way still shares.
    if (std::none_of(subscriptions.cbegin(), subscriptions.cend(), destroyed))
        return;
    for (const cSubscriptionPtr &s : std::as_const(subscriptions)) {
        if (destroyed(s))
            s->active = false;
    }
    subscriptions.erase(std::remove_if(subscriptions.begin(), subscriptions.end(), destroyed),
                        subscriptions.end());
}
