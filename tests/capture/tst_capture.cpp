#include "CaptureFormat.h"
#include "CaptureTestFiles.h"
#include "WiresharkTestMain.h"
#include "cCaptureReader.h"
#include "cPcapWriter.h"
#include "cToolRun.h"
#include "cUsbmonHeader.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <pcap/pcap.h>

namespace {

constexpr qint64 g_epochUsec = Q_INT64_C(1700000000000000);

// A capture of any link type straight from records, one every 100 us, for the formats and damage
// that the writer never produces.
QByteArray rawCapture(int linkType, const QList<QByteArray> &records)
{
    char *buffer = nullptr;
    size_t size = 0;
    pcap_t *dead = pcap_open_dead_with_tstamp_precision(linkType, 262144, PCAP_TSTAMP_PRECISION_MICRO);
    pcap_dumper_t *dumper = pcap_dump_fopen(dead, open_memstream(&buffer, &size));
    for (int i = 0; i < records.size(); ++i) {
        const qint64 usec = g_epochUsec + 100 * i;
        pcap_pkthdr record {};
        record.ts.tv_sec = usec / 1000000;
        record.ts.tv_usec = usec % 1000000;
        record.caplen = bpf_u_int32(records.at(i).size());
        record.len = record.caplen;
        pcap_dump(reinterpret_cast<u_char *>(dumper), &record,
                  reinterpret_cast<const u_char *>(records.at(i).constData()));
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
    const QByteArray bytes(buffer, int(size));
    std::free(buffer);
    return bytes;
}

// A completion from the device or a submission to it, of an interrupt (1), control (2) or bulk (3)
// transfer: a usbmon header of the link type's length with the fields the reader looks at, or
// USBPcap's 27-byte base header with a stage byte for control transfers, as USBPcap writes them.
QByteArray usbRecord(int linkType, quint16 bus, quint8 device, bool fromDevice, quint8 transfer,
                     quint8 endpoint, const char *hex)
{
    const QByteArray data = QByteArray::fromHex(hex);
    const quint32 length = quint32(data.size());
    if (linkType != DLT_USBPCAP) {
        cUsbmonHeader header {};
        header.type = fromDevice ? 'C' : 'S';
        header.xferType = transfer;
        header.epnum = endpoint;
        header.devnum = device;
        header.busnum = bus;
        header.lenCap = length;
        return QByteArray(reinterpret_cast<const char *>(&header),
                          linkType == DLT_USB_LINUX ? g_usbmonLength : g_usbmonMmappedLength)
            + data;
    }
    const bool control = transfer == 2;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(control ? 28 : 27) << quint64(0xffffc30a12345000ULL + endpoint) << quint32(0)
        << quint16(control ? 0x0008 : 0x0009) << quint8(fromDevice ? 1 : 0) << bus << quint16(device)
        << endpoint << transfer << length;
    if (control)
        out << quint8(2); // data stage
    return bytes + data;
}

// Input reports of devices 2.7 and 1.3 among an IN submission, an OUT report, and control and bulk
// data from a device.
QByteArray twoDevices(int linkType)
{
    return rawCapture(linkType,
                      {usbRecord(linkType, 2, 7, false, 1, 0x81, ""),
                       usbRecord(linkType, 2, 7, true, 1, 0x81, "0210110000"),
                       usbRecord(linkType, 2, 7, false, 1, 0x02, "0404040404"),
                       usbRecord(linkType, 1, 3, true, 1, 0x81, "0101000000"),
                       usbRecord(linkType, 2, 7, true, 2, 0x80, "1212121212121212"),
                       usbRecord(linkType, 1, 3, true, 3, 0x82, "62626262"),
                       usbRecord(linkType, 2, 7, true, 1, 0x81, "0210000000"),
                       usbRecord(linkType, 1, 3, true, 1, 0x81, "0100010000")});
}

// The fields tshark shows of each packet, space-separated; the tool's complaint when it fails.
QStringList tsharkFields(const QString &tshark, const QString &file, const QStringList &fields)
{
    QStringList arguments = {"-r", file, "-T", "fields", "-E", "separator=/s"};
    for (const QString &field : fields)
        arguments << "-e" << field;
    const cToolRun run = runTool(tshark, arguments);
    if (run.exitCode != 0 || !run.err.isEmpty())
        return {QStringLiteral("tshark exited with %1: %2").arg(run.exitCode).arg(run.err)};
    return QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_Capture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void writerRefusesImpossibleEvents();
    void severalDevicesNeedAFilter_data();
    void severalDevicesNeedAFilter();
    void unusableCaptures_data();
    void unusableCaptures();
    void wiresharkReadsOurCaptures();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void tst_Capture::writerRefusesImpossibleEvents()
{
    cPcapWriter writer;
    QVERIFY(!writer.writeInput(0, 5, QByteArray(5, '\0')));
    QCOMPARE(writer.errorString(), QStringLiteral("capture is not open"));
    QVERIFY(!writer.open(path("no/such/dir/x.pcap")));
    QVERIFY2(writer.errorString().startsWith("cannot write capture " + path("no")),
             qPrintable(writer.errorString()));

    QVERIFY(writer.open(path("x.pcap")));
    QVERIFY(!writer.completeOutput(10, 5));
    QCOMPARE(writer.errorString(), QStringLiteral("no output transfer of device 5 waits for a completion"));
    QVERIFY(!writer.writeOutput(-1, 5, QByteArray(5, '\0')));
    QCOMPARE(writer.pendingOutputs(5), 0);
    // Each device's completions pair with its own submissions; a new enumeration of an address
    // forgets what the device unplugged from it left in flight.
    QVERIFY(writer.submitOutput(10, 5, QByteArray(5, '\0')) && writer.submitOutput(20, 5, QByteArray(5, '\1'))
            && writer.submitOutput(20, 6, QByteArray(5, '\2')) && writer.completeOutput(30, 5));
    QCOMPARE(writer.pendingOutputs(5), 1);
    QVERIFY(!writer.completeOutput(40, 7));
    QVERIFY(writer.writeEnumeration(50, 6, cUsbDeviceDescriptors()));
    QCOMPARE(writer.pendingOutputs(6), 0);
    QCOMPARE(writer.pendingOutputs(5), 1);
    QVERIFY(writer.close());
    QVERIFY(!writer.isOpen());
}

void tst_Capture::severalDevicesNeedAFilter_data()
{
    QTest::addColumn<int>("linkType");
    QTest::newRow("usbmon") << int(DLT_USB_LINUX_MMAPPED);
    QTest::newRow("usbmon, 48-byte header") << int(DLT_USB_LINUX);
    QTest::newRow("USBPcap") << int(DLT_USBPCAP);
}

void tst_Capture::severalDevicesNeedAFilter()
{
    QFETCH(int, linkType);
    const QString file = path("two.pcap");
    QVERIFY(writeFile(file, twoDevices(linkType)));

    cCaptureReader reader;
    QVERIFY2(reader.read(file), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), linkType);
    QCOMPARE(reader.devices(), QStringList({"1.3", "2.7"}));
    // Timed from the first interrupt transfer of a device that counts: 2.7's IN submission, or 1.3's
    // first report.
    QCOMPARE(describe(reader.reports()),
             QStringList({"2.7 +100 02 10 11 00 00", "1.3 +300 01 01 00 00 00", "2.7 +600 02 10 00 00 00",
                          "1.3 +700 01 00 01 00 00"}));
    QCOMPARE(reader.reports().first().usec, g_epochUsec + 100);
    QCOMPARE(reader.lengthUsec(), 700);

    QVERIFY2(reader.read(file, "1.3"), qPrintable(reader.errorString()));
    QCOMPARE(reader.devices(), QStringList({"1.3", "2.7"}));
    QCOMPARE(describe(reader.reports()), QStringList({"1.3 +0 01 01 00 00 00", "1.3 +400 01 00 01 00 00"}));
    QCOMPARE(reader.firstPacketUsec(), g_epochUsec + 300);

    QVERIFY(!reader.read(file, "1.7"));
    QCOMPARE(reader.errorString(),
             QStringLiteral("capture %1 holds no interrupt IN data from device 1.7 (devices: 1.3, 2.7)")
                 .arg(file));
    QVERIFY(reader.reports().isEmpty());
    QVERIFY(!reader.read(file, "1:3"));
    QCOMPARE(reader.errorString(),
             QStringLiteral("invalid device filter \"1:3\": expected BUS.ADDRESS, e.g. 1.5"));

    // A pcap capture is told by its content, whatever its name.
    QVERIFY(QFile::rename(file, path("two.hid")));
    QString error;
    const std::unique_ptr<ICaptureReader> told
        = CaptureFormat::read(path("two.hid"), QStringLiteral("1.3"), &error);
    QVERIFY2(told, qPrintable(error));
    QCOMPARE(told->reportCount(), 2);
    QVERIFY(QFile::remove(path("two.hid")));
}

void tst_Capture::unusableCaptures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    // One input report's record, whole or damaged.
    const auto one = [](int linkType, const QByteArray &record) { return rawCapture(linkType, {record}); };
    const QByteArray usbmon = usbRecord(DLT_USB_LINUX_MMAPPED, 1, 5, true, 1, 0x81, "0210110000");
    const QByteArray usbpcap = usbRecord(DLT_USBPCAP, 1, 5, true, 1, 0x81, "0210110000");
    QByteArray shortUsbpcap = usbpcap;
    qToLittleEndian<quint16>(12, shortUsbpcap.data());
    const auto cutShort = [](int held, int needed) {
        return QStringLiteral(
                   "cannot read capture %1 at packet 1: cut short, it holds %2 of the %3 bytes its "
                   "USB header announces")
            .arg(QStringLiteral("%1"), QString::number(held), QString::number(needed));
    };

    QTest::newRow("record cut off")
        << one(DLT_USB_LINUX_MMAPPED, usbmon).chopped(3)
        << "cannot read capture %1 after packet 0: truncated dump file; tried to read 69 captured bytes, "
           "only got 66";
    QTest::newRow("usbmon header cut off") << one(DLT_USB_LINUX_MMAPPED, usbmon.left(40)) << cutShort(40, 64);
    QTest::newRow("usbmon data cut by the snap length")
        << one(DLT_USB_LINUX_MMAPPED, usbmon.chopped(3)) << cutShort(66, 69);
    QTest::newRow("USBPcap data cut by the snap length")
        << one(DLT_USBPCAP, usbpcap.chopped(3)) << cutShort(29, 32);
    QTest::newRow("USBPcap header length too small")
        << one(DLT_USBPCAP, shortUsbpcap)
        << "cannot read capture %1 at packet 1: its USBPcap header length 12 is shorter than the 27-byte "
           "base header";
    QTest::newRow("Ethernet") << one(DLT_EN10MB, QByteArray(60, '\xff'))
                              << "capture %1 is not a USB capture: its link type is 1 (EN10MB); replay reads "
                                 "usbmon (189, 220) and USBPcap (249) captures";
}

void tst_Capture::unusableCaptures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const QString file = path("capture");
    QVERIFY(writeFile(file, content));

    QString message;
    QVERIFY(!CaptureFormat::read(file, QString(), &message));
    QCOMPARE(message, error.arg(file));
}

// Wireshark reads every usbmon header field the writer fills in, and the USBPcap layout the reader
// assumes, as expected here. Of the writer's interrupt packets, first the fields they all share
// (device 9 on bus 2, no setup packet, polled every frame, nothing isochronous).
void tst_Capture::wiresharkReadsOurCaptures()
{
    const QString tshark = wiresharkTool("tshark");
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the capture layouts are not cross-checked");
    // Two writes in flight at once, the first of which completes after an input report; endpoint
    // numbers given without their direction bit, or with the wrong one, get the right one.
    cPcapWriter writer(2, 0x03, 0x84);
    QVERIFY2(writer.open(path("session.pcap"))
                 && writer.submitOutput(g_epochUsec, 9, QByteArray::fromHex("0403000100"))
                 && writer.submitOutput(g_epochUsec, 9, QByteArray::fromHex("0404000000"))
                 && writer.writeInput(g_epochUsec + 180000, 9, QByteArray::fromHex("0210110000"))
                 && writer.completeOutput(g_epochUsec + 201000, 9)
                 && writer.writeInput(g_epochUsec + 1500000, 9, QByteArray::fromHex("0101000000"))
                 && writer.close(),
             qPrintable(writer.errorString()));
    QStringList shared;
    QStringList own;
    for (const QString &line : tsharkFields(
             tshark, path("session.pcap"),
             {"usb.transfer_type", "usb.device_address", "usb.bus_id", "usb.setup_flag", "usb.interval",
              "usb.start_frame", "usb.iso.numdesc", "usb.urb_id", "usb.urb_type", "usb.endpoint_address",
              "usb.data_flag", "usb.urb_ts_sec", "usb.urb_ts_usec", "usb.urb_status", "usb.urb_len",
              "usb.data_len", "usb.copy_of_transfer_flags", "usb.capdata"})) {
        shared << line.section(QLatin1Char(' '), 0, 6);
        own << line.section(QLatin1Char(' '), 7);
    }
    shared.removeDuplicates();
    QCOMPARE(shared, QStringList {"0x01 9 2 '-' 1 0 0"});
    QCOMPARE(own,
             QStringList({
                 "0xffff888005000000 'S' 0x04 '\\0' 1700000000 0 -115 5 5 0x00000000 0403000100",
                 "0xffff888005000100 'S' 0x04 '\\0' 1700000000 0 -115 5 5 0x00000000 0404000000",
                 "0xffff888004a09000 'S' 0x83 '<' 1700000000 180000 -115 5 0 0x00000200 ",
                 "0xffff888004a09000 'C' 0x83 '\\0' 1700000000 180000 0 5 5 0x00000200 0210110000",
                 "0xffff888004a09000 'S' 0x83 '<' 1700000000 180000 -115 5 0 0x00000200 ",
                 "0xffff888005000000 'C' 0x04 '>' 1700000000 201000 0 5 0 0x00000000 ",
                 "0xffff888004a09000 'C' 0x83 '\\0' 1700000001 500000 0 5 5 0x00000200 0101000000",
                 "0xffff888004a09000 'S' 0x83 '<' 1700000001 500000 -115 5 0 0x00000200 ",
             }));

    // A device plugged at address 10: its descriptors read over endpoint 0, then its input
    // decoded with the report descriptor it gave (two bytes, vendor page, no report id).
    cUsbDeviceDescriptors descriptors;
    descriptors.device = QByteArray::fromHex("120100020000004034120100000100000001");
    descriptors.configuration
        = QByteArray::fromHex("09022200010100803209040000010300000009211101000122130007058303080001");
    descriptors.hidReport = QByteArray::fromHex("0600ff0901a101150026ff00750895028102c0");
    QVERIFY2(writer.open(path("plugged.pcap")) && writer.writeEnumeration(g_epochUsec, 10, descriptors)
                 && writer.writeInput(g_epochUsec + 1000, 10, QByteArray::fromHex("0a0b")) && writer.close(),
             qPrintable(writer.errorString()));
    const QStringList plugged = tsharkFields(
        tshark, path("plugged.pcap"),
        {"usb.transfer_type", "usb.urb_id", "usb.urb_type", "usb.endpoint_address", "usb.setup_flag",
         "usb.data_flag", "usb.interval", "usb.bmRequestType", "usb.setup.bRequest", "usb.bDescriptorType",
         "usb.urb_len", "usb.data_len", "usb.bInterfaceClass", "usbhid.data"});
    QCOMPARE(plugged,
             QStringList({
                 "0x02 0xffff888004a0a800 'S' 0x80 '\\0' '<' 0 0x80 6 0x01 18 0  ",
                 "0x02 0xffff888004a0a800 'C' 0x80 '-' '\\0' 0   0x01 18 18  ",
                 "0x02 0xffff888004a0a800 'S' 0x80 '\\0' '<' 0 0x80 6 0x02 34 0  ",
                 "0x02 0xffff888004a0a800 'C' 0x80 '-' '\\0' 0   0x02,0x04,0x21,0x05 34 34 0x03 ",
                 "0x02 0xffff888004a0a800 'S' 0x00 '\\0' '\\0' 0 0x00 9  0 0  ",
                 "0x02 0xffff888004a0a800 'C' 0x00 '-' '>' 0    0 0  ",
                 "0x02 0xffff888004a0a800 'S' 0x80 '\\0' '<' 0 0x81   19 0 0x03 ",
                 "0x02 0xffff888004a0a800 'C' 0x80 '-' '\\0' 0    19 19 0x03 ",
                 "0x01 0xffff888004a0a000 'S' 0x83 '-' '<' 1    2 0 0x03 ",
                 "0x01 0xffff888004a0a000 'C' 0x83 '-' '\\0' 1    2 2 0x03 0a0b",
                 "0x01 0xffff888004a0a000 'S' 0x83 '-' '<' 1    2 0 0x03 ",
             }));
    QVERIFY(writeFile(path("two.pcap"), twoDevices(DLT_USBPCAP)));
    QCOMPARE(
        tsharkFields(tshark, path("two.pcap"),
                     {"usb.transfer_type", "usb.bus_id", "usb.device_address", "usb.endpoint_address",
                      "usb.irp_info.direction", "usb.capdata"}),
        QStringList({"0x01 2 7 0x81 0x00 ", "0x01 2 7 0x81 0x01 0210110000", "0x01 2 7 0x02 0x00 0404040404",
                     "0x01 1 3 0x81 0x01 0101000000", "0x02 2 7 0x80 0x01 ", "0x03 1 3 0x82 0x01 62626262",
                     "0x01 2 7 0x81 0x01 0210000000", "0x01 1 3 0x81 0x01 0100010000"}));
}

Q71_WIRESHARK_TEST_MAIN(tst_Capture)
#include "tst_capture.moc"
