#include "cClock.h"
#include "cVirtualEventDispatcher.h"

#include <QPointer>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

namespace {
qint64 g_origin = 0;

cVirtualEventDispatcher *dispatcher()
{
    return cVirtualEventDispatcher::current();
}

// Virtual time since the current test function began.
int now()
{
    return static_cast<int>(dispatcher()->nowMs() - g_origin);
}

QString at(const QString &what)
{
    return QStringLiteral("%1@%2").arg(what).arg(now());
}
} // namespace

// Logs what its slot and timer events see, by object name and virtual time.
class cLog : public QObject
{
    Q_OBJECT
public:
    QStringList *log = nullptr;
    int killAfter = -1;
public slots:
    void onShot() { *log << at(objectName()); }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        onShot();
        if (--killAfter == 0)
            killTimer(event->timerId());
    }
};

class tst_VirtualClock : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(dispatcher()); }
    void init() { g_origin = dispatcher()->nowMs(); }
    void singleShots_data();
    void singleShots();
    void postedEvents();
    void repeatingTimers();
    void zeroDelay();
    void manyTimers();
    void clocks();
};

void tst_VirtualClock::singleShots_data()
{
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<Qt::TimerType>("type");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("expected");

    const QList<int> delays {30, 10, 30, 10, 0};
    const QStringList inOrder {"4@0", "1@10", "3@10", "0@30", "2@30"};
    QTest::newRow("one step") << delays << Qt::CoarseTimer << 100 << inOrder;
    QTest::newRow("7 ms steps") << delays << Qt::PreciseTimer << 7 << inOrder;
    // Qt's own dispatchers would round these to whole seconds.
    QTest::newRow("very coarse") << QList<int> {1500, 2300, 1500} << Qt::VeryCoarseTimer << 250
                                 << QStringList {"0@1500", "2@1500", "1@2300"};
}

void tst_VirtualClock::singleShots()
{
    QFETCH(QList<int>, delays);
    QFETCH(Qt::TimerType, type);
    QFETCH(int, step);
    QFETCH(QStringList, expected);

    QStringList log;
    std::vector<std::unique_ptr<cLog>> shots;
    for (int delay : delays) {
        shots.push_back(std::make_unique<cLog>());
        cLog *shot = shots.back().get();
        shot->log = &log;
        shot->setObjectName(QString::number(shots.size() - 1));
        // Both forms the plugin and the transports use.
        if (shots.size() % 2)
            QTimer::singleShot(delay, type, shot, SLOT(onShot()));
        else
            QTimer::singleShot(delay, type, shot, [shot] { shot->onShot(); });
    }
    while (now() <= *std::max_element(delays.cbegin(), delays.cend()))
        dispatcher()->advance(step);
    QCOMPARE(log, expected);
}

void tst_VirtualClock::postedEvents()
{
    QStringList log;
    QObject context;
    auto *doomed = new QObject;
    connect(doomed, &QObject::destroyed, &context, [&log] { log << at("deleted"); });
    QTimer::singleShot(10, &context, [&] {
        log << at("A");
        QMetaObject::invokeMethod(
            &context, [&log] { log << at("queued"); }, Qt::QueuedConnection);
        doomed->deleteLater();
    });
    QTimer::singleShot(10, &context, [&log] {
        QEventLoop nested; // ended by what is already posted, it returns
        QMetaObject::invokeMethod(&nested, "quit", Qt::QueuedConnection);
        nested.exec();
        log << at("B");
    });
    dispatcher()->advance(20);
    QCOMPARE(log, (QStringList {"A@10", "queued@10", "deleted@10", "B@10"}));

    // Posted from plain code, a deleteLater() is left alone by processEvents(), as on Qt's own
    // dispatchers, and carried out by the next advance(), as QTest::qWait() would.
    QPointer<QObject> later = new QObject;
    later->deleteLater();
    QCoreApplication::processEvents();
    QVERIFY(later);
    dispatcher()->advance(0);
    QVERIFY(later.isNull());
    QCOMPARE(now(), 20);
}

void tst_VirtualClock::repeatingTimers()
{
    QStringList log;
    QTimer repeating;
    connect(&repeating, &QTimer::timeout, [&log] { log << at("tick"); });
    repeating.start(30);
    dispatcher()->advance(100);
    QCOMPARE(log, (QStringList {"tick@30", "tick@60", "tick@90"}));
    QCOMPARE(repeating.remainingTime(), 20);
    repeating.stop();

    cLog selfKilling;
    selfKilling.log = &log;
    selfKilling.killAfter = 3;
    selfKilling.startTimer(25);
    dispatcher()->advance(200);
    QCOMPARE(log.mid(3), (QStringList {"@125", "@150", "@175"}));

    // An object deleted by a timer due at the same time as its own timers: theirs never fire.
    QPointer<cLog> victim = new cLog;
    QTimer::singleShot(40, [victim] { delete victim; });
    const QList<int> ids {victim->startTimer(40), victim->startTimer(60, Qt::VeryCoarseTimer)};
    QList<int> registered;
    for (const auto &timer : dispatcher()->registeredTimers(victim))
        registered << timer.timerId << timer.interval << timer.timerType;
    QCOMPARE(registered, (QList<int> {ids[0], 40, Qt::CoarseTimer, ids[1], 60, Qt::VeryCoarseTimer}));
    QCOMPARE(dispatcher()->remainingTime(ids[1]), 60);
    dispatcher()->advance(100);
    QVERIFY(victim.isNull());
    QCOMPARE(dispatcher()->remainingTime(ids[1]), -1);
}

void tst_VirtualClock::zeroDelay()
{
    QStringList log;
    QObject context;
    QTimer::singleShot(0, &context, [&log] { log << at("shot"); });
    QCoreApplication::processEvents();
    QCOMPARE(log, QStringList {"shot@0"});

    // A chain of zero-delay shots runs at the time it started.
    int chain = 0;
    std::function<void()> rearm = [&] {
        if (++chain < 5)
            QTimer::singleShot(0, &context, rearm);
    };
    QTimer::singleShot(0, &context, rearm);
    dispatcher()->advance(0);
    QCOMPARE(chain, 5);

    // A zero-interval timer fires once at each time advance() stops at and once per
    // processEvents().
    log.clear();
    QTimer idle;
    connect(&idle, &QTimer::timeout, [&log] { log << at("idle"); });
    idle.start(0);
    QTimer::singleShot(50, &context, [&log] { log << at("shot"); });
    dispatcher()->advance(100);
    QCOMPARE(log, (QStringList {"idle@0", "idle@50", "shot@50", "idle@100"}));
    QCoreApplication::processEvents();
    QCOMPARE(log.size(), 5);
    QCOMPARE(now(), 100);
}

void tst_VirtualClock::manyTimers()
{
    const int count = 2000;
    std::vector<std::unique_ptr<QTimer>> timers;
    std::vector<int> fired(count), last(count);
    for (int i = 0; i < count; ++i) {
        timers.push_back(std::make_unique<QTimer>());
        connect(timers.back().get(), &QTimer::timeout, [&fired, &last, i] {
            ++fired[i];
            last[i] = now();
        });
        timers.back()->start(5 + i * 37 % 200);
    }
    dispatcher()->advance(10000);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(fired[i], 10000 / timers[i]->interval());
        QCOMPARE(last[i], fired[i] * timers[i]->interval());
    }
}

void tst_VirtualClock::clocks()
{
    cClock clock;
    QVERIFY(clock.isVirtual());
    qint64 firedAt = -1;
    QTimer::singleShot(100, [&] { firedAt = clock.nowMs(); });
    clock.wait(150);
    QCOMPARE(firedAt, qint64(100));
    QCOMPARE(clock.nowMs(), qint64(150));

    // On any other dispatcher the same code runs on real time.
    bool isVirtual = true;
    qint64 shotAt = -1;
    qint64 waited = -1;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        cClock real;
        isVirtual = real.isVirtual();
        QObject context;
        QTimer::singleShot(5, &context, [&] { shotAt = real.nowMs(); });
        real.wait(20);
        waited = real.nowMs();
    }));
    thread->start();
    QVERIFY(thread->wait(60000));
    QVERIFY(!isVirtual);
    QVERIFY(shotAt >= 5);
    QVERIFY(waited >= 20);
}

int main(int argc, char *argv[])
{
    // Every timer and posted event of the test's own thread runs on virtual time.
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_VirtualClock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_virtualclock.moc"
