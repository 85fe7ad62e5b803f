#include "cClock.h"
#include "cVirtualEventDispatcher.h"

#include <QPointer>
#include <QtTest>

#include <functional>

// The dispatcher's own rules. The plugin's single shots, the simulated transports' completions at
// any latency and the clock's real-time side are exercised by the emulator's tests.
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

// Logs its timer events by virtual time.
class cTicker : public QObject
{
    Q_OBJECT
public:
    explicit cTicker(QStringList *log)
        : m_log(log)
    { }

protected:
    void timerEvent(QTimerEvent *) override { *m_log << at(QStringLiteral("tick")); }

private:
    QStringList *m_log;
};

class tst_VirtualClock : public QObject
{
    Q_OBJECT
private slots:
    void init() { g_origin = dispatcher()->nowMs(); }

    void singleShots_data()
    {
        QTest::addColumn<Qt::TimerType>("type");
        QTest::addColumn<int>("step");
        QTest::newRow("one step") << Qt::CoarseTimer << 3000;
        QTest::newRow("7 ms steps") << Qt::PreciseTimer << 7;
        // Qt's own dispatchers would round these to whole seconds.
        QTest::newRow("very coarse") << Qt::VeryCoarseTimer << 250;
    }

    void singleShots()
    {
        QFETCH(Qt::TimerType, type);
        QFETCH(int, step);

        QStringList log;
        QObject context;
        const QList<int> delays {1500, 10, 1500, 10, 0};
        for (int i = 0; i < delays.size(); ++i)
            QTimer::singleShot(delays.at(i), type, &context, [&log, i] { log << at(QString::number(i)); });
        while (now() <= 1500)
            dispatcher()->advance(step);
        QCOMPARE(log, (QStringList {"4@0", "1@10", "3@10", "0@1500", "2@1500"}));
    }

    void postedEvents()
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

    void repeatingTimers()
    {
        QStringList log;
        QTimer repeating;
        connect(&repeating, &QTimer::timeout, [&log] { log << at("tick"); });
        repeating.start(30);
        dispatcher()->advance(100);
        QCOMPARE(log, (QStringList {"tick@30", "tick@60", "tick@90"}));
        QCOMPARE(repeating.remainingTime(), 20);
        repeating.stop();

        // An object deleted by a timer due at the same time as its own timers: theirs never fire.
        QPointer<cTicker> victim = new cTicker(&log);
        QTimer::singleShot(40, [victim] { delete victim; });
        victim->startTimer(40);
        const int later = victim->startTimer(60, Qt::VeryCoarseTimer);
        QCOMPARE(dispatcher()->registeredTimers(victim).size(), 2);
        QCOMPARE(dispatcher()->registeredTimers(victim).constLast().timerType, Qt::VeryCoarseTimer);
        dispatcher()->advance(100);
        QVERIFY(victim.isNull());
        QCOMPARE(log.size(), 3);
        QCOMPARE(dispatcher()->remainingTime(later), -1);
    }

    void zeroDelay()
    {
        // A chain of zero-delay shots runs at the time it started.
        QObject context;
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
        QStringList log;
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

    void virtualClock()
    {
        // Made after time has moved on: it counts from its own start.
        cClock clock;
        QVERIFY(clock.isVirtual());
        qint64 firedAt = -1;
        QTimer::singleShot(100, [&] { firedAt = clock.nowMs(); });
        clock.wait(150);
        QCOMPARE(firedAt, qint64(100));
        QCOMPARE(clock.nowMs(), qint64(150));
    }
};

int main(int argc, char *argv[])
{
    // Every timer and posted event of the test's own thread runs on virtual time.
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_VirtualClock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_virtualclock.moc"
