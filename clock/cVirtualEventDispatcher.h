#pragma once

#include <QAbstractEventDispatcher>
#include <QAtomicInt>
#include <QHash>

#include <functional>
#include <map>
#include <set>
#include <utility>

// An event dispatcher on which time stands still until advance() moves it. Every Qt timer of
// its thread (QTimer, QObject::startTimer, QTimer::singleShot) and every event posted to its
// thread runs through it, so a run's timeline depends only on what the program does, never on
// how fast the machine is: the same program gives the same sequence at the same virtual times
// on every run, and ten seconds of virtual time take milliseconds.
//
// Install it for the main thread before the application object exists; the application then
// owns and deletes it:
//
//     QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
//     QCoreApplication app(argc, argv);
//     cVirtualEventDispatcher::current()->advance(150);
//
// Timing rules:
// - Time is a count of milliseconds from 0 at construction. Only advance() moves it; nothing
//   here ever blocks or sleeps.
// - A timer fires exactly at its due time: registration time plus interval, then every interval
//   after. Qt::PreciseTimer, CoarseTimer and VeryCoarseTimer are all treated alike; Qt's own
//   dispatchers let coarse timers drift by up to 5% and round very coarse ones to whole
//   seconds, which would only blur a virtual timeline.
// - Timers due at the same time fire in registration order (a restarted timer counts as newly
//   registered). Posted events, queued calls and deleteLater() included, are delivered before
//   every timer fires and at the end of every advance(), so what a timer's slot posts is
//   handled at the virtual time it was posted.
// - A zero-interval timer (QTimer::start(0), startTimer(0)) fires once per pass, as on Qt's
//   own dispatchers, but a pass here is a processEvents() call or a virtual time advance()
//   stops at (every time another timer fires at, and the end), not every round of work at
//   that time: time would never move on otherwise. A nested event loop run meanwhile makes
//   passes of its own. QTimer::singleShot(0) is a posted call on Qt 5.15 and 6.4; either way
//   it runs during the next processEvents() or advance(), advance(0) included.
// - A timer is never fired again while its own timer event is still running, as on Qt's
//   dispatchers; if a nested advance() went past its due time meanwhile, it fires once when
//   it may and then keeps its interval from that time.
//
// What does not work on virtual time:
// - QEventLoop::exec(), QCoreApplication::exec(), QTest::qWait(), QSignalSpy::wait() and
//   QTRY_* loop on processEvents(), which never moves time: a loop that waits for a timer
//   that is not yet due spins for ever. Loops ended by a posted event or by a timer that is
//   already due do return. Move time with advance() instead (cClock::wait() does).
// - Socket notifiers are accepted but never fire (a warning says so).
// - Call advance() from plain code, not from under an event handler: it carries out pending
//   deleteLater() requests the way QTest::qWait() does, and an object whose handler is still
//   running must not be among them.
class cVirtualEventDispatcher : public QAbstractEventDispatcher
{
    Q_OBJECT

public:
    explicit cVirtualEventDispatcher(QObject *parent = nullptr);
    ~cVirtualEventDispatcher() override;

    // The calling thread's dispatcher when it is a virtual one, otherwise null.
    static cVirtualEventDispatcher *current();

    qint64 nowMs() const { return m_now; }
    // Runs everything that falls due in the next `ms` milliseconds, in time order, and leaves
    // the clock at now + ms (or later, if a handler advanced further itself). `stopped`, when
    // given, is asked after each timer: true leaves the clock where that timer fired, so that a
    // long stretch of busy virtual time can be cut short.
    void advance(qint64 ms, const std::function<bool()> &stopped = nullptr);

    // Delivers posted events and fires the timers already due now that existed when the call
    // began, up to an interrupt() (QEventLoop::exit() sends one); never moves time and never
    // waits, whatever the flags say.
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    bool hasPendingEvents() override;
    void flush() override;
#endif

    void registerSocketNotifier(QSocketNotifier *notifier) override;
    void unregisterSocketNotifier(QSocketNotifier *notifier) override;

    using QAbstractEventDispatcher::registerTimer;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject *object) override;
#else
    void registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject *object) override;
#endif
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject *object) override;
    QList<TimerInfo> registeredTimers(QObject *object) const override;
    int remainingTime(int timerId) override;

    void wakeUp() override;
    void interrupt() override;

private:
    struct Timer
    {
        int id = 0;
        qint64 interval = 0;
        Qt::TimerType type = Qt::CoarseTimer;
        QObject *object = nullptr;
        qint64 due = 0;
        quint64 firedVisit = 0;
        bool inEvent = false;
    };
    using QueueKey = std::pair<qint64, quint64>; // due time, registration sequence

    void addTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject *object);
    void removeTimer(std::map<quint64, Timer>::iterator timer);
    bool deliverPosted(bool withDeferredDeletes);
    bool fireNext(qint64 limit, quint64 sequenceLimit);
    void fire(quint64 sequence);

    qint64 m_now = 0;
    // Bumped whenever time moves and on every processEvents()/advance() call; a zero-interval
    // timer fires at most once per value.
    quint64 m_visit = 1;
    quint64 m_nextSequence = 1;
    std::map<quint64, Timer> m_timers; // by registration sequence
    std::set<QueueKey> m_queue;
    QHash<int, quint64> m_sequenceById;
    // Set from any thread: postEvent() wakes the dispatcher of the receiver's thread.
    QAtomicInt m_wokenUp = 1;
    QAtomicInt m_interrupted = 0;
};
