#include "HeadsetDescriptors.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"
#include "cTransportTap.h"

#include <QtTest>

// A device reads each report as it is announced, so the golden scenarios never find two waiting;
// the order they wait in is the transport's own promise. How its writes complete, once, twice or
// never, at any latency, is pinned by the golden scenarios.
class tst_SimHidTransport : public QObject
{
    Q_OBJECT
private slots:
    void deliversInArrivalOrderOnceStarted()
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

    // What a capture tells Wireshark of the headset agrees with itself and with the transports' probes:
    // the configuration's descriptors fill wTotalLength exactly, the HID interface is the probe's, of
    // class 3, with the report descriptor's length and the endpoints captures use.
    void descriptorsDescribeTheTransports()
    {
        const auto word
            = [](const QByteArray &bytes, int at) { return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8; };
        const QByteArray device = HeadsetDescriptors::deviceDescriptor();
        const cJsonValue probe = cTransportFactory::headsetInfo(TransportKind::Hid)["hid_probe"];
        QCOMPARE(device.size(), int(quint8(device[0])));
        QCOMPARE(word(device, 8), int(probe["vendor_id"].toNumber()));
        QCOMPARE(word(device, 10), int(probe["product_id"].toNumber()));

        const QByteArray configuration = HeadsetDescriptors::configurationDescriptor();
        QCOMPARE(word(configuration, 2), configuration.size());
        QStringList hid; // what a capture relies on of the HID interface's descriptors
        QList<int> interfaces;
        int current = -1;
        for (int at = 0, length = 0; at < configuration.size(); at += length) {
            length = quint8(configuration[at]);
            QVERIFY2(length >= 2 && at + length <= configuration.size(), qPrintable(QString::number(at)));
            const QByteArray descriptor = configuration.mid(at, length);
            if (descriptor[1] == 0x04 && descriptor[3] == 0) // an interface's first alternate setting
                interfaces << (current = descriptor[2]);
            if (current != int(probe["interface"].toNumber()))
                continue;
            if (descriptor[1] == 0x04)
                hid << QStringLiteral("interface class %1").arg(int(descriptor[5]));
            else if (descriptor[1] == 0x21)
                hid << QStringLiteral("report descriptor of %1 bytes").arg(word(descriptor, 7));
            else if (descriptor[1] == 0x05)
                hid << QStringLiteral("endpoint %1").arg(quint8(descriptor[2]), 2, 16, QLatin1Char('0'));
        }
        QCOMPARE(interfaces, QList<int>({0, 1, 2, 3}));
        QCOMPARE(int(configuration[4]), interfaces.size());
        QCOMPARE(hid,
                 QStringList({"interface class 3",
                              QStringLiteral("report descriptor of %1 bytes")
                                  .arg(HeadsetDescriptors::reportDescriptor().size()),
                              "endpoint 81", "endpoint 02"}));
    }

    // A trace shows a write's completion before what the device does about it, so the tap must speak
    // before the by-name signal the plugin listens to; and it is found from the contract's interface.
    void tapTellsBeforeThePlugin()
    {
        const cAbstractTransportPtr transport = cTransportFactory::headset(TransportKind::Hid);
        cTransportTap *tap = cTransportTap::of(transport.data());
        QVERIFY(tap);
        QCOMPARE(tap->transport(), transport.data());

        QSignalSpy plugin(transport.data(), SIGNAL(writeComplete(int)));
        QStringList heard;
        connect(tap, &cTransportTap::runningChanged, this,
                [&heard](bool on) { heard << QStringLiteral("running %1").arg(on); });
        connect(tap, &cTransportTap::written, this, [&heard](const QByteArray &report, int cookie) {
            heard << QStringLiteral("written %1 %2").arg(QString::fromLatin1(report.toHex())).arg(cookie);
        });
        connect(tap, &cTransportTap::writeCompleted, this, [&heard, &plugin](int cookie) {
            heard << QStringLiteral("completed %1, plugin told %2").arg(cookie).arg(plugin.count());
        });

        transport->start();
        transport->write(7, QByteArray::fromHex("0201000000"));
        QTRY_COMPARE(plugin.count(), 1);
        transport->stop();
        QCOMPARE(
            heard,
            (QStringList {"running 1", "written 0201000000 7", "completed 7, plugin told 0", "running 0"}));
    }
};

QTEST_GUILESS_MAIN(tst_SimHidTransport)

#include "tst_simhidtransport.moc"
