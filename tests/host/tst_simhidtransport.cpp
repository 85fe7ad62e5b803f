#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QSignalSpy>
#include <QtTest>

#include <utility>

class tst_SimHidTransport : public QObject
{
    Q_OBJECT
private slots:
    void readsReportsInArrivalOrder();
    void completions_data();
    void completions();
    void recordsEveryWriteInOrder();
    void completionIsCancelledWithTheTransport();

private:
    static QSharedPointer<cSimHidTransport> makeHid()
    {
        return qSharedPointerDynamicCast<cSimHidTransport>(cTransportFactory::headset(TransportKind::Hid));
    }
};

void tst_SimHidTransport::readsReportsInArrivalOrder()
{
    const auto hid = makeHid();
    QVERIFY(hid);
    QSignalSpy readyRead(hid.data(), SIGNAL(readyRead()));

    const QByteArray first = QByteArray::fromHex("0210110000");
    const QByteArray second = QByteArray::fromHex("0210000000");
    const QByteArray third = QByteArray::fromHex("0101000000");
    hid->feedInput(first);
    hid->feedInput(second);
    QCOMPARE(hid->read(), first);
    hid->feedInput(third);
    QCOMPARE(readyRead.count(), 3);
    QCOMPARE(hid->pendingInput(), 2);
    QCOMPARE(hid->read(), second);
    QCOMPARE(hid->read(), third);
    QCOMPARE(hid->read(), QByteArray());
    QCOMPARE(hid->pendingInput(), 0);
}

void tst_SimHidTransport::completions_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("expected");
    QTest::newRow("once") << int(cSimHidTransport::CompleteOnce) << 1;
    QTest::newRow("never") << int(cSimHidTransport::CompleteNever) << 0;
    QTest::newRow("twice") << int(cSimHidTransport::CompleteTwice) << 2;
}

void tst_SimHidTransport::completions()
{
    QFETCH(int, mode);
    QFETCH(int, expected);

    const auto hid = makeHid();
    hid->setCompletionMode(cSimHidTransport::CompletionMode(mode));
    // The string form is what a device connects to; it must exist on the concrete class.
    QSignalSpy completed(hid.data(), SIGNAL(writeComplete(int)));
    QVERIFY(completed.isValid());

    hid->write(-1, QByteArray::fromHex("0201000000"));
    // Never from inside write(): a device that relies on that would break on a real transport.
    QCOMPARE(completed.count(), 0);

    if (expected > 0)
        QTRY_COMPARE_WITH_TIMEOUT(completed.count(), expected, 5000);
    // Give a missing or extra completion time to show up.
    QTest::qWait(50);
    QCOMPARE(completed.count(), expected);
    for (const QList<QVariant> &arguments : std::as_const(completed))
        QCOMPARE(arguments.at(0).toInt(), -1);
}

void tst_SimHidTransport::recordsEveryWriteInOrder()
{
    const auto hid = makeHid();
    QSignalSpy completed(hid.data(), SIGNAL(writeComplete(int)));
    hid->setCompletionLatency(5);
    hid->write(7, QByteArray::fromHex("0201000000"));
    hid->write(-1, QByteArray::fromHex("0202010000"));

    const QList<cSimHidTransport::cWrite> writes = hid->writes();
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes.at(0).report, QByteArray::fromHex("0201000000"));
    QCOMPARE(writes.at(0).cookie, 7);
    QCOMPARE(writes.at(1).report, QByteArray::fromHex("0202010000"));
    QCOMPARE(writes.at(1).cookie, -1);
    QVERIFY(writes.at(1).msecs >= writes.at(0).msecs);

    // Each completion carries the cookie of its own write, in write order.
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 2, 5000);
    QCOMPARE(completed.at(0).at(0).toInt(), 7);
    QCOMPARE(completed.at(1).at(0).toInt(), -1);
}

void tst_SimHidTransport::completionIsCancelledWithTheTransport()
{
    auto hid = makeHid();
    int completions = 0;
    connect(hid.data(), &cSimHidTransport::writeComplete, this, [&completions] { ++completions; });
    hid->setCompletionLatency(10);
    hid->write(-1, QByteArray(5, '\0'));
    hid.reset();
    QTest::qWait(50);
    QCOMPARE(completions, 0);
}

QTEST_GUILESS_MAIN(tst_SimHidTransport)
#include "tst_simhidtransport.moc"
