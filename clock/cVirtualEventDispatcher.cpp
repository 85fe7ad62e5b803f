#include "cVirtualEventDispatcher.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <algorithm>
#include <climits>

namespace {
// The dispatcher's own warnings, apart from the host's and the plugin's.
Q_LOGGING_CATEGORY(lcClock, "q71.clock")
} // namespace

cVirtualEventDispatcher::cVirtualEventDispatcher(QObject *parent)
    : QAbstractEventDispatcher(parent)
{ }

cVirtualEventDispatcher::~cVirtualEventDispatcher() = default;

cVirtualEventDispatcher *cVirtualEventDispatcher::current()
{
    return qobject_cast<cVirtualEventDispatcher *>(QAbstractEventDispatcher::instance());
}

void cVirtualEventDispatcher::advance(qint64 ms, const std::function<bool()> &stopped)
{
    const qint64 target = m_now + qMax<qint64>(ms, 0);
    ++m_visit;
    for (;;) {
        deliverPosted(true);
        if (fireNext(target, ULLONG_MAX)) {
            if (stopped && stopped())
                break;
            continue;
        }
        // A handler that advanced on its own may already have gone past the target; time never
        // runs backwards.
        if (m_now >= target)
            break;
        m_now = target;
        ++m_visit;
    }
}

bool cVirtualEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    m_interrupted.storeRelaxed(0);
    ++m_visit;
    // Like Qt's own dispatchers, one call fires only the timers that existed when it began, so
    // that a timer restarting itself at zero delay cannot keep the call going.
    const quint64 sequenceLimit = m_nextSequence;
    bool didSomething = false;
    for (;;) {
        didSomething |= deliverPosted(false);
        if (flags.testFlag(QEventLoop::X11ExcludeTimers) || m_interrupted.loadRelaxed()
            || !fireNext(m_now, sequenceLimit))
            break;
        didSomething = true;
    }
    return didSomething;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
bool cVirtualEventDispatcher::hasPendingEvents()
{
    return m_wokenUp.loadAcquire() != 0;
}

void cVirtualEventDispatcher::flush() { }
#endif

void cVirtualEventDispatcher::registerSocketNotifier(QSocketNotifier *notifier)
{
    qCWarning(lcClock, "cVirtualEventDispatcher: socket %lld never becomes ready in virtual time",
              static_cast<long long>(notifier->socket()));
}

void cVirtualEventDispatcher::unregisterSocketNotifier(QSocketNotifier *) { }

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
void cVirtualEventDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                                            QObject *object)
#else
void cVirtualEventDispatcher::registerTimer(int timerId, int interval, Qt::TimerType timerType,
                                            QObject *object)
#endif
{
    addTimer(timerId, interval, timerType, object);
}

bool cVirtualEventDispatcher::unregisterTimer(int timerId)
{
    const auto sequence = m_sequenceById.constFind(timerId);
    if (sequence == m_sequenceById.cend())
        return false;
    removeTimer(m_timers.find(*sequence));
    return true;
}

bool cVirtualEventDispatcher::unregisterTimers(QObject *object)
{
    bool removed = false;
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        const auto next = std::next(it);
        if (it->second.object == object) {
            removeTimer(it);
            removed = true;
        }
        it = next;
    }
    return removed;
}

QList<QAbstractEventDispatcher::TimerInfo> cVirtualEventDispatcher::registeredTimers(QObject *object) const
{
    QList<TimerInfo> timers;
    for (const auto &entry : m_timers) {
        const Timer &timer = entry.second;
        if (timer.object == object)
            timers.append(
                TimerInfo(timer.id, static_cast<int>(qMin<qint64>(timer.interval, INT_MAX)), timer.type));
    }
    return timers;
}

int cVirtualEventDispatcher::remainingTime(int timerId)
{
    const auto sequence = m_sequenceById.constFind(timerId);
    if (sequence == m_sequenceById.cend())
        return -1;
    const qint64 remaining = m_timers.find(*sequence)->second.due - m_now;
    return static_cast<int>(std::clamp<qint64>(remaining, 0, INT_MAX));
}

void cVirtualEventDispatcher::wakeUp()
{
    m_wokenUp.storeRelease(1);
}

void cVirtualEventDispatcher::interrupt()
{
    m_interrupted.storeRelease(1);
}

void cVirtualEventDispatcher::addTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject *object)
{
    unregisterTimer(timerId);
    Timer timer;
    timer.id = timerId;
    timer.interval = qMax<qint64>(interval, 0);
    timer.type = timerType;
    timer.object = object;
    timer.due = m_now + timer.interval;
    const quint64 sequence = m_nextSequence++;
    m_timers.emplace(sequence, timer);
    m_queue.insert({timer.due, sequence});
    m_sequenceById.insert(timerId, sequence);
}

void cVirtualEventDispatcher::removeTimer(std::map<quint64, Timer>::iterator timer)
{
    m_queue.erase({timer->second.due, timer->first});
    m_sequenceById.remove(timer->second.id);
    m_timers.erase(timer);
}

bool cVirtualEventDispatcher::deliverPosted(bool withDeferredDeletes)
{
    // Every post wakes the dispatcher, so passes go on until one posts nothing new: whatever a
    // handler posts is handled at the same virtual time. A pass runs even when nothing woke
    // us, because a deleteLater() that an earlier processEvents() was not allowed to carry out
    // is still waiting.
    bool delivered = false;
    for (;;) {
        QCoreApplication::sendPostedEvents();
        // A plain pass leaves alone the deleteLater() requests made outside any event handler,
        // which a running event loop would carry out: ask for them, as QTest::qWait() does.
        if (withDeferredDeletes)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!m_wokenUp.fetchAndStoreAcquire(0))
            break;
        delivered = true;
    }
    return delivered;
}

bool cVirtualEventDispatcher::fireNext(qint64 limit, quint64 sequenceLimit)
{
    auto it = m_queue.begin();
    while (it != m_queue.end() && it->first <= limit) {
        const Timer &timer = m_timers.find(it->second)->second;
        const bool eligible = it->second < sequenceLimit && !timer.inEvent
            && !(timer.interval == 0 && timer.firedVisit == m_visit);
        if (!eligible) {
            ++it;
            continue;
        }
        if (it->first > m_now) {
            // Time moves on. Zero-interval timers are due again at the new time, and they sort
            // ahead of this timer since they have been due for longer: start over.
            m_now = it->first;
            ++m_visit;
            it = m_queue.begin();
            continue;
        }
        fire(it->second);
        return true;
    }
    return false;
}

void cVirtualEventDispatcher::fire(quint64 sequence)
{
    Timer &timer = m_timers.find(sequence)->second;
    m_queue.erase({timer.due, sequence});
    timer.due = m_now + timer.interval;
    timer.firedVisit = m_visit;
    timer.inEvent = true;
    m_queue.insert({timer.due, sequence});

    QTimerEvent event(timer.id);
    QCoreApplication::sendEvent(timer.object, &event);

    // The handler may have killed the timer (every single shot does) and even started another
    // under the same id; the sequence tells them apart.
    const auto after = m_timers.find(sequence);
    if (after != m_timers.end())
        after->second.inEvent = false;
}
