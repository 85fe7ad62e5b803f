#include "CaptureFormat.h"
#include "WiresharkTestMain.h"
#include "cCaptureReader.h"
#include "cHidRecorderReader.h"
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

QString dataFile(const char *name)
{
    return QStringLiteral(Q71_CAPTURE_DATA_DIR "/") + QLatin1String(name);
}

// The data and timing that replay depends on, in one comparable line per report.
QStringList describe(const QVector<cReplayedReport> &reports)
{
    QStringList lines;
    for (const cReplayedReport &report : reports)
        lines << QStringLiteral("%1 +%2 %3")
                     .arg(cCaptureReader::deviceName(report.bus, report.address))
                     .arg(report.usecFromFirst)
                     .arg(QString::fromLatin1(report.data.toHex(' ')));
    return lines;
}

// A mouse and the headset as hid-recorder records two devices: their headers, then reports that
// switch between them, among comments and blank lines.
const char g_twoRecorded[]
    = "# hid-recorder of two devices\n"
      "D: 0\nR: 4 05 01 09 02\nN: Some Mouse\nP: usb-0000:00:14.0-2/input0\nI: 3 046d c077\n"
      "D: 1\nR: 3 06 00 ff\nN: Q71 Gaming Headset\nP: usb-0000:00:14.0-5/input3\n"
      "I: 3 1209 0001\n"
      "D: 0\nE: 0.100000 4 00 01 02 00\n"
      "D: 1\n\nE: 0.404000 5 02 01 0a 00 00\n# key 1\nE: 1.000250 5 02 10 11 00 00\n";

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
    void hidRecorderRecordings();
    void recordingsAsHidToolsWritesThem();
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
}

// Files replay cannot use: damaged captures and captures of other things, and what is no pcap,
// read as a hid-recorder recording, whose errors name the line.
void tst_Capture::unusableCaptures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // %1 is the file
    const auto row = [](const char *name, const QByteArray &content, const QString &error) {
        QTest::newRow(name) << content << error;
    };
    // One input report's record, whole or damaged.
    const auto one = [](int linkType, const QByteArray &record) { return rawCapture(linkType, {record}); };
    const QByteArray usbmon = usbRecord(DLT_USB_LINUX_MMAPPED, 1, 5, true, 1, 0x81, "0210110000");
    const QByteArray usbpcap = usbRecord(DLT_USBPCAP, 1, 5, true, 1, 0x81, "0210110000");
    QByteArray shortUsbpcap = usbpcap;
    qToLittleEndian<quint16>(12, shortUsbpcap.data());
    const QString atPacket = QStringLiteral("cannot read capture %1 at packet 1: ");
    const auto cutShort = [&atPacket](int held, int needed) {
        return atPacket
            + QStringLiteral("cut short, it holds %1 of the %2 bytes its USB header announces")
                  .arg(held)
                  .arg(needed);
    };
    row("record cut off", one(DLT_USB_LINUX_MMAPPED, usbmon).chopped(3),
        "cannot read capture %1 after packet 0: truncated dump file; tried to read 69 captured bytes, only "
        "got 66");
    row("usbmon header cut off", one(DLT_USB_LINUX_MMAPPED, usbmon.left(40)), cutShort(40, 64));
    row("usbmon data cut by the snap length", one(DLT_USB_LINUX_MMAPPED, usbmon.chopped(3)),
        cutShort(66, 69));
    row("USBPcap data cut by the snap length", one(DLT_USBPCAP, usbpcap.chopped(3)), cutShort(29, 32));
    row("USBPcap header length too small", one(DLT_USBPCAP, shortUsbpcap),
        atPacket + "its USBPcap header length 12 is shorter than the 27-byte base header");
    row("Ethernet", one(DLT_EN10MB, QByteArray(60, '\xff')),
        "capture %1 is not a USB capture: its link type is 1 (EN10MB); replay reads usbmon (189, 220) and "
        "USBPcap (249) captures");
    const QString notALine = QStringLiteral(": not a line of a hid-recorder recording (D:, R:, N:, P:, I:, "
                                            "E: or #), nor is the file a pcap or pcapng capture");
    row("unknown line", QByteArray(g_twoRecorded).replace("P: usb", "X: usb"), "%1:5" + notALine);
    row("time not in microseconds", "D: 0\nE: 0.5 1 02\n",
        "%1:2: E: expected the time as seconds.microseconds, e.g. 0.404000");
    row("report shorter than its length", "E: 0.000000 5 02 10\n", "%1:1: E: announces 5 bytes but holds 2");
    row("one byte announced, none held", "E: 0.000000 1\n", "%1:1: E: announces 1 byte but holds 0");
    // A descriptor wrapped over lines of bytes ends where it holds what its R: line announces.
    row("descriptor cut short by the next line", "# c\nR: 4 05 01\n09\nN: x\n",
        "%1:2: R: announces 4 bytes but holds 3");
    row("descriptor cut short by the end", "R: 4 05 01\n\n# more to come\n",
        "%1:1: R: announces 4 bytes but holds 2");
    row("descriptor continued past its length", "R: 3 05 01\n09 02\n",
        "%1:2: R: announces 3 bytes but holds 4");
    row("descriptor continued with no byte", "R: 3 05\n01 zz\n", "%1:2: R: 'zz' is not a byte in hex");
    row("bytes after a whole descriptor", "R: 2 05 01\n09 02\n", "%1:2" + notALine);
    row("descriptor byte not hex", "# c\nR: 2 06 zz\n", "%1:2: R: 'zz' is not a byte in hex");
    row("ids cut short", "I: 3 1209\n", "%1:1: I: expected bus, vendor and product in hex");
    row("device not a number", "D: one\n", "%1:1: D: expected a device number from 0 to 65535");
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
    QStringList shared, own;
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

    QVERIFY(writeFile(path("two.pcap"), twoDevices(DLT_USBPCAP)));
    QCOMPARE(
        tsharkFields(tshark, path("two.pcap"),
                     {"usb.transfer_type", "usb.bus_id", "usb.device_address", "usb.endpoint_address",
                      "usb.irp_info.direction", "usb.capdata"}),
        QStringList({"0x01 2 7 0x81 0x00 ", "0x01 2 7 0x81 0x01 0210110000", "0x01 2 7 0x02 0x00 0404040404",
                     "0x01 1 3 0x81 0x01 0101000000", "0x02 2 7 0x80 0x01 ", "0x03 1 3 0x82 0x01 62626262",
                     "0x01 2 7 0x81 0x01 0210000000", "0x01 1 3 0x81 0x01 0100010000"}));
}

void tst_Capture::hidRecorderRecordings()
{
    const QString file = path("two.hid");
    QVERIFY(writeFile(file, g_twoRecorded));
    QString error;
    std::unique_ptr<ICaptureReader> reader = CaptureFormat::read(file, QString(), &error);
    QVERIFY2(reader, qPrintable(error));
    QCOMPARE(reader->devices(), QStringList({"0", "1"}));
    // Timed from the recording's start.
    QCOMPARE(describe(reader->reports()),
             QStringList(
                 {"0.0 +100000 00 01 02 00", "0.1 +404000 02 01 0a 00 00", "0.1 +1000250 02 10 11 00 00"}));

    cHidRecorderReader headset;
    QVERIFY2(headset.read(file, "1"), qPrintable(headset.errorString()));
    QCOMPARE(describe(headset.reports()),
             QStringList({"0.1 +404000 02 01 0a 00 00", "0.1 +1000250 02 10 11 00 00"}));
    QCOMPARE(headset.lengthUsec(), 1000250);
    QCOMPARE(headset.reportDescriptor(), QByteArray::fromHex("0600ff"));
    QCOMPARE(headset.deviceName(), QStringLiteral("Q71 Gaming Headset"));

    QVERIFY(!headset.read(file, "2"));
    QCOMPARE(headset.errorString(),
             QStringLiteral("recording %1 holds no input reports of device 2 (devices: 0, 1)").arg(file));
    QVERIFY(!headset.read(file, "1.5"));
}

// Recordings of other devices, as hid-tools' recorder writes them and as they come back from the
// users who made them: decoded descriptors and events in comments, one device or several, and a
// long descriptor wrapped over several lines in a file with a byte order mark and CR LF line ends.
void tst_Capture::recordingsAsHidToolsWritesThem()
{
    cHidRecorderReader mouse;
    QVERIFY2(mouse.read(dataFile("mouse.hid")), qPrintable(mouse.errorString()));
    QCOMPARE(mouse.devices(), QStringList({"0"}));
    QCOMPARE(describe(mouse.reports()),
             QStringList({"0.0 +0 00 05 fe 00", "0.0 +8011 01 00 00 00", "0.0 +120996 00 00 00 ff"}));
    QCOMPARE(mouse.reportDescriptor().size(), 52);
    QCOMPARE(mouse.deviceName(), QStringLiteral("Generic USB Optical Mouse"));

    cHidRecorderReader both;
    QVERIFY2(both.read(dataFile("mouse-and-keyboard.hid")), qPrintable(both.errorString()));
    QCOMPARE(both.devices(), QStringList({"0", "1"}));
    QCOMPARE(describe(both.reports()),
             QStringList({"0.1 +0 01 00 00 04 00 00 00 00 00", "0.0 +4000 00 05 fe 00",
                          "0.0 +12000 00 01 00 00", "0.1 +90000 01 00 00 00 00 00 00 00 00"}));
    QVERIFY2(both.read(dataFile("mouse-and-keyboard.hid"), "0"), qPrintable(both.errorString()));
    QCOMPARE(both.reportDescriptor(), mouse.reportDescriptor());
    QVERIFY2(both.read(dataFile("mouse-and-keyboard.hid"), "1"), qPrintable(both.errorString()));
    QCOMPARE(both.deviceName(), QStringLiteral("Some Gaming Keyboard"));

    // The wrapped descriptor is the one the other recording holds on one line.
    cHidRecorderReader keyboard;
    QVERIFY2(keyboard.read(dataFile("keyboard-wrapped.hid")), qPrintable(keyboard.errorString()));
    QCOMPARE(keyboard.reportDescriptor().size(), 92);
    QCOMPARE(keyboard.reportDescriptor(), both.reportDescriptor());
    QCOMPARE(keyboard.deviceName(), QStringLiteral("Some Gaming Keyboard"));
    QCOMPARE(describe(keyboard.reports()),
             QStringList({"0.0 +0 01 00 00 04 00 00 00 00 00", "0.0 +96000 01 00 00 00 00 00 00 00 00",
                          "0.0 +1500250 02 e9 00"}));

    // A byte order mark alone, before a comment or before the first header line.
    const QByteArray recorded(g_twoRecorded);
    for (const QByteArray &content : {recorded, recorded.mid(recorded.indexOf("D: 0"))}) {
        QVERIFY(writeFile(path("bom.hid"), "\xEF\xBB\xBF" + content));
        cHidRecorderReader marked;
        QVERIFY2(marked.read(path("bom.hid")), qPrintable(marked.errorString()));
        QCOMPARE(marked.reportCount(), 3);
    }
}

Q71_WIRESHARK_TEST_MAIN(tst_Capture)
#include "tst_capture.moc"
