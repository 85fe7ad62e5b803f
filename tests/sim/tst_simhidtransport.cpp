#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QSignalSpy>
#include <QtTest>

// The transport's own promises; how the real device is paced by its completions on virtual time
// is checked through the plugin.
class tst_SimHidTransport : public QObject
{
    Q_OBJECT
private slots:
    void readsReportsInArrivalOrder();
    void completionsComeLaterWithTheirCookie();

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
}

void tst_SimHidTransport::completionsComeLaterWithTheirCookie()
{
    auto hid = makeHid();
    hid->setCompletionMode(cSimHidTransport::CompleteTwice);
    // The string form is what a device connects to; it must exist on the concrete class.
    QSignalSpy completed(hid.data(), SIGNAL(writeComplete(int)));
    QVERIFY(completed.isValid());
    hid->write(7, QByteArray::fromHex("0201000000"));
    hid->write(-1, QByteArray::fromHex("0202010000"));
    // Never from inside write(): a device that relies on that would break on a real transport.
    QCOMPARE(completed.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 4, 5000);
    QList<int> cookies;
    for (const QList<QVariant> &arguments : std::as_const(completed))
        cookies << arguments.at(0).toInt();
    QCOMPARE(cookies, QList<int>({7, 7, -1, -1}));

    // Completions still due when the transport goes away are dropped with it, never delivered
    // through the freed object (which the sanitizers would report).
    hid->setCompletionLatency(10);
    hid->write(-1, QByteArray(5, '\0'));
    hid.reset();
    QTest::qWait(50);
    QCOMPARE(completed.count(), 4);
}

QTEST_GUILESS_MAIN(tst_SimHidTransport)
#include "tst_simhidtransport.moc"
