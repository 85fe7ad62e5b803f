#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <QtTest>

// A device reads each report as it is announced, so the golden scenarios never find two waiting;
// the order they wait in is the transport's own promise. How its writes complete, once, twice or
// never, at any latency, is pinned by the golden scenarios.
class tst_SimHidTransport : public QObject
{
    Q_OBJECT
private slots:
    void deliversInArrivalOrderOnceStarted();
};

void tst_SimHidTransport::deliversInArrivalOrderOnceStarted()
{
    const auto hid
        = qSharedPointerDynamicCast<cSimHidTransport>(cTransportFactory::headset(TransportKind::Hid));
    const QByteArray first = QByteArray::fromHex("0210110000");
    const QByteArray second = QByteArray::fromHex("0210000000");
    // Nothing arrives before start(), as on a real transport.
    QVERIFY(!hid->feedInput(first));
    QCOMPARE(hid->pendingInput(), 0);
    hid->start();
    hid->feedInput(first);
    hid->feedInput(second);
    QCOMPARE(hid->read(), first);
    QCOMPARE(hid->read(), second);
    QCOMPARE(hid->read(), QByteArray());
}

QTEST_GUILESS_MAIN(tst_SimHidTransport)
#include "tst_simhidtransport.moc"
