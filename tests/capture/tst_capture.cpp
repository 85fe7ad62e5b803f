#include "cCaptureReader.h"
#include "cPcapWriter.h"
#include "cToolRun.h"

#include <QDataStream>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pcap/pcap.h>

namespace {

constexpr qint64 g_epochUsec = Q_INT64_C(1700000000000000);

struct cRawPacket
{
    qint64 usec;
    QByteArray bytes;
    quint32 wireLength = 0; // 0: as captured
};

// A capture of any link type straight from bytes, for the formats and damage that the writer
// never produces.
QByteArray rawCapture(int linkType, const QVector<cRawPacket> &packets)
{
    char *buffer = nullptr;
    size_t size = 0;
    pcap_t *dead = pcap_open_dead_with_tstamp_precision(linkType, 262144, PCAP_TSTAMP_PRECISION_MICRO);
    pcap_dumper_t *dumper = pcap_dump_fopen(dead, open_memstream(&buffer, &size));
    for (const cRawPacket &packet : packets) {
        pcap_pkthdr record;
        std::memset(&record, 0, sizeof record);
        record.ts.tv_sec = packet.usec / 1000000;
        record.ts.tv_usec = packet.usec % 1000000;
        record.caplen = bpf_u_int32(packet.bytes.size());
        record.len = packet.wireLength ? packet.wireLength : record.caplen;
        pcap_dump(reinterpret_cast<u_char *>(dumper), &record,
                  reinterpret_cast<const u_char *>(packet.bytes.constData()));
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
    const QByteArray bytes(buffer, int(size));
    std::free(buffer);
    return bytes;
}

QByteArray fileBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool save(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A 64-byte usbmon record in host order, after the kernel's usbmon_packet.
QByteArray usbmonPacket(char type, quint8 transfer, quint8 endpoint, quint8 device, quint16 bus,
                        const QByteArray &data, quint32 announcedData = 0)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? QDataStream::LittleEndian
                                                                   : QDataStream::BigEndian);
    const quint32 length = announcedData ? announcedData : quint32(data.size());
    out << quint64(0xffff888000001000ULL + endpoint) << qint8(type) << transfer << endpoint << device << bus
        << qint8('-') << qint8(data.isEmpty() ? '<' : 0) << qint64(0) << qint32(0)
        << qint32(type == 'S' ? -115 : 0) << length << length;
    return bytes + QByteArray(8 + 16, '\0') + data;
}

// A USBPcap record: the 27-byte little-endian base header, one stage byte for control
// transfers as USBPcap writes them, then the data.
QByteArray usbpcapPacket(bool fromDevice, quint8 transfer, quint8 endpoint, quint16 device, quint16 bus,
                         const QByteArray &data, quint32 announcedData = 0)
{
    const bool control = transfer == 2;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(control ? 28 : 27) << quint64(0xffffc30a12345000ULL + endpoint) << quint32(0)
        << quint16(control ? 0x0008 : 0x0009) << quint8(fromDevice ? 1 : 0) << bus << device << endpoint
        << transfer << (announcedData ? announcedData : quint32(data.size()));
    if (control)
        out << quint8(2); // data stage
    return bytes + data;
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

// The traffic of a short session: setup writes, a key press and release, and two writes in
// flight at once, the first of which completes after an input report.
bool writeSession(const QString &fileName, cPcapWriter &writer)
{
    return writer.open(fileName) && writer.writeOutput(g_epochUsec, QByteArray::fromHex("0401000000"))
        && writer.writeOutput(g_epochUsec + 100250, QByteArray::fromHex("0402010000"))
        && writer.writeInput(g_epochUsec + 180000, QByteArray::fromHex("0210110000"))
        && writer.submitOutput(g_epochUsec + 200000, QByteArray::fromHex("0403000100"))
        && writer.submitOutput(g_epochUsec + 200000, QByteArray::fromHex("0404000000"))
        && writer.writeInput(g_epochUsec + 200001, QByteArray::fromHex("0210000000"))
        && writer.completeOutput(g_epochUsec + 201000)
        && writer.writeInput(g_epochUsec + 1500000, QByteArray::fromHex("0101000000")) && writer.close();
}

} // namespace

class tst_Capture : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writtenCaptureFollowsUsbmon();
    void writerRefusesImpossibleEvents();
    void text2pcapUsbmonReplayed();
    void severalDevicesNeedAFilter_data();
    void severalDevicesNeedAFilter();
    void unusableCaptures_data();
    void unusableCaptures();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_Capture::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

// Wireshark reading the writer's captures is checked by the emulator's tests; here every byte of
// the usbmon header is checked against the kernel's layout, and the reader reads the reports back.
void tst_Capture::writtenCaptureFollowsUsbmon()
{
    // Endpoint numbers given without their direction bit, or with the wrong one, get the right one.
    cPcapWriter writer(2, 9, 0x03, 0x84);
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));

    char message[PCAP_ERRBUF_SIZE] = {};
    pcap_t *capture = pcap_open_offline_with_tstamp_precision(
        QFile::encodeName(path("session.pcap")).constData(), PCAP_TSTAMP_PRECISION_MICRO, message);
    QVERIFY2(capture, message);
    // Per packet: type, endpoint, flag_data, status, length, len_cap, the time, and the id of the
    // URB as the index of its first appearance.
    QStringList seen;
    QVector<quint64> urbs;
    pcap_pkthdr *record = nullptr;
    const u_char *bytes = nullptr;
    while (pcap_next_ex(capture, &record, &bytes) == 1) {
        const auto at = [bytes](int offset, auto value) {
            std::memcpy(&value, bytes + offset, sizeof value);
            return value;
        };
        QCOMPARE(record->caplen, record->len);
        QCOMPARE(record->caplen, 64 + at(36, quint32()));
        // Interrupt transfers of device 9 on bus 2, no setup packet, polled every frame.
        QCOMPARE(int(bytes[9]), 1);
        QCOMPARE(int(bytes[11]), 9);
        QCOMPARE(at(12, quint16()), quint16(2));
        QCOMPARE(char(bytes[14]), '-');
        QCOMPARE(at(16, qint64()), qint64(record->ts.tv_sec));
        QCOMPARE(at(24, qint32()), qint32(record->ts.tv_usec));
        QCOMPARE(at(40, quint64()), quint64(0));
        QCOMPARE(at(48, qint32()), 1);
        QCOMPARE(at(52, qint32()), 0); // start frame
        QCOMPARE(at(56, quint32()), (bytes[10] & 0x80) ? 0x200u : 0u);
        QCOMPARE(at(60, quint32()), 0u); // isochronous descriptors
        const quint64 id = at(0, quint64());
        if (!urbs.contains(id))
            urbs.append(id);
        const char flag = char(bytes[15]);
        seen << QStringLiteral("%1 %2 %3 %4 %5/%6 +%7 urb%8")
                    .arg(QLatin1Char(char(bytes[8])))
                    .arg(int(bytes[10]), 2, 16, QLatin1Char('0'))
                    .arg(flag ? QString(QLatin1Char(flag)) : QStringLiteral("0"))
                    .arg(at(28, qint32()))
                    .arg(at(32, quint32()))
                    .arg(at(36, quint32()))
                    .arg(qint64(record->ts.tv_sec) * 1000000 + record->ts.tv_usec - g_epochUsec)
                    .arg(urbs.indexOf(id));
    }
    pcap_close(capture);

    QCOMPARE(seen,
             QStringList({
                 "S 04 0 -115 5/5 +0 urb0",
                 "C 04 > 0 5/0 +0 urb0",
                 "S 04 0 -115 5/5 +100250 urb1",
                 "C 04 > 0 5/0 +100250 urb1",
                 "S 83 < -115 5/0 +180000 urb2",
                 "C 83 0 0 5/5 +180000 urb2",
                 "S 83 < -115 5/0 +180000 urb2",
                 "S 04 0 -115 5/5 +200000 urb3",
                 "S 04 0 -115 5/5 +200000 urb4",
                 "C 83 0 0 5/5 +200001 urb2",
                 "S 83 < -115 5/0 +200001 urb2",
                 "C 04 > 0 5/0 +201000 urb3",
                 "C 83 0 0 5/5 +1500000 urb2",
                 "S 83 < -115 5/0 +1500000 urb2",
             }));

    cCaptureReader reader;
    QVERIFY2(reader.read(path("session.pcap")), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), DLT_USB_LINUX_MMAPPED);
    QCOMPARE(reader.devices(), QStringList {"2.9"});
    QCOMPARE(
        describe(reader.reports()),
        QStringList({"2.9 +0 02 10 11 00 00", "2.9 +20001 02 10 00 00 00", "2.9 +1320000 01 01 00 00 00"}));
    QCOMPARE(reader.reports().first().usec, g_epochUsec + 180000);
}

void tst_Capture::writerRefusesImpossibleEvents()
{
    cPcapWriter writer;
    QVERIFY(!writer.writeInput(0, QByteArray(5, '\0')));
    QCOMPARE(writer.errorString(), QStringLiteral("capture is not open"));
    QVERIFY(!writer.open(path("no/such/dir/x.pcap")));
    QVERIFY2(writer.errorString().startsWith(
                 QStringLiteral("cannot write capture %1: ").arg(path("no/such/dir/x.pcap"))),
             qPrintable(writer.errorString()));

    QVERIFY(writer.open(path("x.pcap")));
    QVERIFY(!writer.completeOutput(10));
    QCOMPARE(writer.errorString(), QStringLiteral("no output transfer waits for a completion"));
    QVERIFY(!writer.writeOutput(-1, QByteArray(5, '\0')));
    QCOMPARE(writer.pendingOutputs(), 0);
    QVERIFY(writer.submitOutput(10, QByteArray(5, '\0')));
    QVERIFY(writer.submitOutput(20, QByteArray(5, '\1')));
    QVERIFY(writer.completeOutput(30));
    QCOMPARE(writer.pendingOutputs(), 1);
    QVERIFY(writer.close());
    QVERIFY(!writer.isOpen());
}

// The 64-byte usbmon header is read in the writer's captures and the emulator replays a pcapng
// made from usbmon-220.txt; this is the 48-byte one, made by Wireshark's own tool.
void tst_Capture::text2pcapUsbmonReplayed()
{
    const QString text2pcap = QStandardPaths::findExecutable(QStringLiteral("text2pcap"));
    if (text2pcap.isEmpty())
        QSKIP("text2pcap is not installed (Debian package wireshark-common): no usbmon capture to replay");

    const QString capture = path("usbmon.pcapng");
    // text2pcap draws a line of dashes on stderr even when told to be quiet, so only its exit
    // code tells.
    const cToolRun run = runTool(text2pcap,
                                 {"-q", "-F", "pcapng", "-l", "189", "-t", "%H:%M:%S.%f",
                                  Q71_CAPTURE_DATA_DIR "/usbmon-189.txt", capture});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    // The hex dump holds two input reports of the headset at 3.7 among its submissions, its
    // output traffic, a control transfer, another device's bulk data and a completion that an
    // unlink ended without data.
    cCaptureReader reader;
    QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), DLT_USB_LINUX);
    QCOMPARE(reader.devices(), QStringList {"3.7"});
    QCOMPARE(describe(reader.reports()), QStringList({"3.7 +0 02 10 11 00 00", "3.7 +27250 02 10 00 00 00"}));
}

void tst_Capture::severalDevicesNeedAFilter_data()
{
    QTest::addColumn<int>("linkType");
    QTest::newRow("usbmon") << int(DLT_USB_LINUX_MMAPPED);
    QTest::newRow("USBPcap") << int(DLT_USBPCAP);
}

void tst_Capture::severalDevicesNeedAFilter()
{
    QFETCH(int, linkType);
    const bool usbpcap = linkType == DLT_USBPCAP;
    // A completion from the device or a submission to it, of an interrupt (1), control (2) or
    // bulk (3) transfer.
    const auto packet = [usbpcap](qint64 usec, quint16 bus, quint8 device, bool fromDevice, quint8 transfer,
                                  quint8 endpoint, const char *hex) {
        const QByteArray data = QByteArray::fromHex(hex);
        return cRawPacket {g_epochUsec + usec,
                           usbpcap
                               ? usbpcapPacket(fromDevice, transfer, endpoint, device, bus, data)
                               : usbmonPacket(fromDevice ? 'C' : 'S', transfer, endpoint, device, bus, data)};
    };
    const auto in = [&](qint64 usec, quint16 bus, quint8 device, const char *hex) {
        return packet(usec, bus, device, true, 1, 0x81, hex);
    };
    // Among the reports: an IN submission, an OUT report, control and bulk data from a device.
    const QString file = path("two.pcap");
    QVERIFY(save(file,
                 rawCapture(linkType,
                            {packet(0, 2, 7, false, 1, 0x81, ""), in(100, 2, 7, "0210110000"),
                             packet(200, 2, 7, false, 1, 0x02, "0404040404"), in(300, 1, 3, "0101000000"),
                             packet(400, 2, 7, true, 2, 0x80, "1212121212121212"),
                             packet(500, 1, 3, true, 3, 0x82, "62626262"), in(700, 2, 7, "0210000000"),
                             in(1000, 1, 3, "0100010000")})));

    cCaptureReader reader;
    QVERIFY2(reader.read(file), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), linkType);
    QCOMPARE(reader.devices(), QStringList({"1.3", "2.7"}));
    QCOMPARE(describe(reader.reports()),
             QStringList({"2.7 +0 02 10 11 00 00", "1.3 +200 01 01 00 00 00", "2.7 +600 02 10 00 00 00",
                          "1.3 +900 01 00 01 00 00"}));

    QVERIFY2(reader.read(file, "1.3"), qPrintable(reader.errorString()));
    QCOMPARE(reader.devices(), QStringList({"1.3", "2.7"}));
    QCOMPARE(describe(reader.reports()), QStringList({"1.3 +0 01 01 00 00 00", "1.3 +700 01 00 01 00 00"}));

    QVERIFY(!reader.read(file, "1.7"));
    QCOMPARE(reader.errorString(),
             QStringLiteral("capture %1 holds no interrupt IN data from device 1.7 (devices: 1.3, 2.7)")
                 .arg(file));
    QVERIFY(reader.reports().isEmpty());
    QVERIFY(!reader.read(file, "1:3"));
    QCOMPARE(reader.errorString(),
             QStringLiteral("invalid device filter \"1:3\": expected BUS.ADDRESS, e.g. 1.5"));

    // Wireshark reading the same bytes confirms the USBPcap layout that the reader assumes.
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (!usbpcap)
        return;
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the USBPcap layout is not cross-checked");
    const cToolRun run
        = runTool(tshark,
                  {"-r", file, "-Y", "usb.transfer_type == 1", "-T", "fields", "-E", "separator=/s", "-e",
                   "usb.bus_id", "-e", "usb.device_address", "-e", "usb.endpoint_address", "-e",
                   "usb.irp_info.direction", "-e", "usb.capdata"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(
        QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
        QStringList({"2 7 0x81 0x00 ", "2 7 0x81 0x01 0210110000", "2 7 0x02 0x00 0404040404",
                     "1 3 0x81 0x01 0101000000", "2 7 0x81 0x01 0210000000", "1 3 0x81 0x01 0100010000"}));
}

void tst_Capture::unusableCaptures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    QTemporaryDir dir;
    cPcapWriter writer;
    QVERIFY2(writeSession(dir.filePath("session.pcap"), writer), qPrintable(writer.errorString()));
    const QByteArray session = fileBytes(dir.filePath("session.pcap"));
    const QByteArray report = QByteArray::fromHex("0210110000");
    QByteArray shortUsbpcap = usbpcapPacket(true, 1, 0x81, 5, 1, report);
    qToLittleEndian<quint16>(12, shortUsbpcap.data());
    const auto cutShort = [](int held, int needed) {
        return QStringLiteral(
                   "cannot read capture %1 at packet 1: cut short, it holds %2 of the %3 bytes its "
                   "USB header announces")
            .arg(QStringLiteral("%1"), QString::number(held), QString::number(needed));
    };

    QTest::newRow("record cut off")
        << session.left(session.size() - 3)
        << "cannot read capture %1 after packet 13: truncated dump file; tried to "
           "read 64 captured bytes, only got 61";
    QTest::newRow("usbmon header cut off")
        << rawCapture(DLT_USB_LINUX_MMAPPED, {{0, usbmonPacket('C', 1, 0x81, 5, 1, report).left(40)}})
        << cutShort(40, 64);
    QTest::newRow("usbmon data cut by the snap length")
        << rawCapture(DLT_USB_LINUX_MMAPPED, {{0, usbmonPacket('C', 1, 0x81, 5, 1, report.left(2), 5), 69}})
        << cutShort(66, 69);
    QTest::newRow("USBPcap data cut by the snap length")
        << rawCapture(DLT_USBPCAP, {{0, usbpcapPacket(true, 1, 0x81, 5, 1, report.left(2), 5), 32}})
        << cutShort(29, 32);
    QTest::newRow("USBPcap header length too small")
        << rawCapture(DLT_USBPCAP, {{0, shortUsbpcap}})
        << "cannot read capture %1 at packet 1: its USBPcap header length 12 is shorter than the 27-byte "
           "base header";
    QTest::newRow("Ethernet") << rawCapture(DLT_EN10MB, {{0, QByteArray(60, '\xff')}})
                              << "capture %1 is not a USB capture: its link type is 1 (EN10MB); replay reads "
                                 "usbmon (189, 220) and USBPcap (249) captures";
    QTest::newRow("not a capture") << QByteArray("0000 02 10 11 00 00\n")
                                   << "cannot read capture %1: unknown file format";
}

void tst_Capture::unusableCaptures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const QString file = path("capture");
    QVERIFY(save(file, content));

    cCaptureReader reader;
    QVERIFY(!reader.read(file));
    QCOMPARE(reader.errorString(), error.arg(file));
    QVERIFY(reader.reports().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Capture)
#include "tst_capture.moc"
