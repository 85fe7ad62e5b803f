#include "cSimHidTransport.h"
#include "cTransportFactory.h"
#include "cVirtualEventDispatcher.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QtTest>

// On a virtual-time dispatcher the transport's completions and its record of writes follow
// virtual time exactly, so that scenarios can check a device's pacing to the millisecond.
class tst_SimHidVirtualTime : public QObject
{
    Q_OBJECT
private slots:
    void completionsAndWriteTimesFollowVirtualTime();
};

void tst_SimHidVirtualTime::completionsAndWriteTimesFollowVirtualTime()
{
    cVirtualEventDispatcher *dispatcher = cVirtualEventDispatcher::current();
    QVERIFY(dispatcher);
    const auto hid
        = qSharedPointerDynamicCast<cSimHidTransport>(cTransportFactory::headset(TransportKind::Hid));
    QSignalSpy completed(hid.data(), SIGNAL(writeComplete(int)));
    hid->setCompletionLatency(3);

    hid->write(-1, QByteArray::fromHex("0201000000"));
    dispatcher->advance(2);
    QCOMPARE(completed.count(), 0);
    dispatcher->advance(1);
    QCOMPARE(completed.count(), 1);

    dispatcher->advance(97);
    hid->write(-1, QByteArray::fromHex("0202000000"));
    const QList<cSimHidTransport::cWrite> writes = hid->writes();
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes.at(0).msecs, qint64(0));
    QCOMPARE(writes.at(1).msecs, qint64(100));
}

int main(int argc, char *argv[])
{
    QCoreApplication::setEventDispatcher(new cVirtualEventDispatcher);
    QCoreApplication app(argc, argv);
    tst_SimHidVirtualTime test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_simhidvirtualtime.moc"
