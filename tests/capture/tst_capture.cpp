#include "cCaptureReader.h"
#include "cPcapWriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

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
bool writeRawCapture(const QString &fileName, int linkType, const QVector<cRawPacket> &packets)
{
    pcap_t *dead = pcap_open_dead_with_tstamp_precision(linkType, 262144, PCAP_TSTAMP_PRECISION_MICRO);
    if (!dead)
        return false;
    pcap_dumper_t *dumper = pcap_dump_open(dead, QFile::encodeName(fileName).constData());
    if (!dumper) {
        pcap_close(dead);
        return false;
    }
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
    return true;
}

template<typename T> void appendNative(QByteArray &bytes, T value)
{
    bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template<typename T> void appendLittle(QByteArray &bytes, T value)
{
    appendNative(bytes, qToLittleEndian(value));
}

// A 64-byte usbmon record in host order, written field by field after the kernel's usbmon_packet.
QByteArray usbmonPacket(char type, quint8 xferType, quint8 endpoint, quint8 device, quint16 bus,
                        const QByteArray &data, quint32 announcedData = 0)
{
    QByteArray bytes;
    appendNative<quint64>(bytes, 0xffff888000001000ULL + endpoint);
    bytes.append(type);
    appendNative<quint8>(bytes, xferType);
    appendNative<quint8>(bytes, endpoint);
    appendNative<quint8>(bytes, device);
    appendNative<quint16>(bytes, bus);
    bytes.append('-');
    bytes.append(data.isEmpty() ? '<' : '\0');
    appendNative<qint64>(bytes, 0);
    appendNative<qint32>(bytes, 0);
    appendNative<qint32>(bytes, type == 'S' ? -115 : 0);
    const quint32 length = announcedData ? announcedData : quint32(data.size());
    appendNative<quint32>(bytes, length);
    appendNative<quint32>(bytes, length);
    bytes.append(QByteArray(8 + 16, '\0'));
    return bytes + data;
}

// A USBPcap record: the 27-byte little-endian base header, one stage byte for control
// transfers as USBPcap writes them, then the data.
QByteArray usbpcapPacket(bool fromDevice, quint8 transfer, quint8 endpoint, quint16 device, quint16 bus,
                         const QByteArray &data, quint32 announcedData = 0)
{
    const bool control = transfer == 2;
    QByteArray bytes;
    appendLittle<quint16>(bytes, control ? 28 : 27);
    appendLittle<quint64>(bytes, 0xffffc30a12345000ULL + endpoint);
    appendLittle<quint32>(bytes, 0);
    appendLittle<quint16>(bytes, control ? 0x0008 : 0x0009);
    appendLittle<quint8>(bytes, fromDevice ? 1 : 0);
    appendLittle<quint16>(bytes, bus);
    appendLittle<quint16>(bytes, device);
    appendLittle<quint8>(bytes, endpoint);
    appendLittle<quint8>(bytes, transfer);
    appendLittle<quint32>(bytes, announcedData ? announcedData : quint32(data.size()));
    if (control)
        bytes.append('\x02'); // data stage
    return bytes + data;
}

struct cToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs one of Wireshark's tools. Run as root they all warn so on stderr; that line says nothing
// about the file, so it is the one line dropped.
cToolRun runTool(const QString &program, const QStringList &arguments)
{
    cToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    QStringList errLines = QString::fromLocal8Bit(process.readAllStandardError()).split(QLatin1Char('\n'));
    errLines.removeAll(
        QStringLiteral("Running as user \"root\" and group \"root\". This could be dangerous."));
    errLines.removeAll(QString());
    run.err = errLines.join(QLatin1Char('\n'));
    return run;
}

QString findTool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
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

} // namespace

class tst_Capture : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void writtenCaptureReadsBack();
    void writtenCaptureFollowsUsbmon();
    void tsharkShowsWrittenReports();
    void writerRefusesImpossibleEvents();

    void text2pcapUsbmonReplayed_data();
    void text2pcapUsbmonReplayed();
    void pcapngReadsAsPcap();
    void usbpcapReplayed();
    void severalDevicesNeedAFilter_data();
    void severalDevicesNeedAFilter();
    void unusableCaptures_data();
    void unusableCaptures();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // The traffic of a short session: setup writes, a key press and release, a write whose
    // completion arrives after an input report.
    bool writeSession(const QString &fileName, cPcapWriter &writer);

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_Capture::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

bool tst_Capture::writeSession(const QString &fileName, cPcapWriter &writer)
{
    return writer.open(fileName) && writer.writeOutput(g_epochUsec, QByteArray::fromHex("0401000000"))
        && writer.writeOutput(g_epochUsec + 100250, QByteArray::fromHex("0402010000"))
        && writer.writeInput(g_epochUsec + 180000, QByteArray::fromHex("0210110000"))
        && writer.submitOutput(g_epochUsec + 200000, QByteArray::fromHex("0403000100"))
        && writer.writeInput(g_epochUsec + 200001, QByteArray::fromHex("0210000000"))
        && writer.completeOutput(g_epochUsec + 201000)
        && writer.writeInput(g_epochUsec + 1500000, QByteArray::fromHex("0101000000")) && writer.close();
}

void tst_Capture::writtenCaptureReadsBack()
{
    cPcapWriter writer(2, 9, 0x83, 0x04);
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));

    cCaptureReader reader;
    QVERIFY2(reader.read(path("session.pcap")), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), DLT_USB_LINUX_MMAPPED);
    QCOMPARE(reader.devices(), QStringList {"2.9"});
    QCOMPARE(
        describe(reader.reports()),
        QStringList({"2.9 +0 02 10 11 00 00", "2.9 +20001 02 10 00 00 00", "2.9 +1320000 01 01 00 00 00"}));
    QCOMPARE(reader.reports().first().usec, g_epochUsec + 180000);
}

void tst_Capture::writtenCaptureFollowsUsbmon()
{
    cPcapWriter writer;
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));

    char message[PCAP_ERRBUF_SIZE] = {};
    pcap_t *capture = pcap_open_offline_with_tstamp_precision(
        QFile::encodeName(path("session.pcap")).constData(), PCAP_TSTAMP_PRECISION_MICRO, message);
    QVERIFY2(capture, message);
    // Per packet: type, endpoint, flag_data, status, length, len_cap, the time in the usbmon
    // header and in the record, and the id of the URB as the index of its first appearance.
    QStringList seen;
    QVector<quint64> urbs;
    pcap_pkthdr *record = nullptr;
    const u_char *bytes = nullptr;
    while (pcap_next_ex(capture, &record, &bytes) == 1) {
        QCOMPARE(record->caplen, record->len);
        QVERIFY(record->caplen >= 64);
        quint64 id;
        quint16 bus;
        qint64 sec;
        qint32 usec, status, interval;
        quint32 length, lenCap, flags;
        std::memcpy(&id, bytes, 8);
        std::memcpy(&bus, bytes + 12, 2);
        std::memcpy(&sec, bytes + 16, 8);
        std::memcpy(&usec, bytes + 24, 4);
        std::memcpy(&status, bytes + 28, 4);
        std::memcpy(&length, bytes + 32, 4);
        std::memcpy(&lenCap, bytes + 36, 4);
        std::memcpy(&interval, bytes + 48, 4);
        std::memcpy(&flags, bytes + 56, 4);
        QCOMPARE(record->caplen, 64 + lenCap);
        QCOMPARE(int(bytes[9]), 1); // interrupt
        QCOMPARE(int(bytes[11]), 5);
        QCOMPARE(int(bus), 1);
        QCOMPARE(char(bytes[14]), '-');
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes) + 40, 8), QByteArray(8, '\0'));
        QCOMPARE(interval, 1);
        QCOMPARE(flags, (bytes[10] & 0x80) ? 0x200u : 0u);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes) + 52, 4), QByteArray(4, '\0'));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes) + 60, 4), QByteArray(4, '\0'));
        QCOMPARE(sec, qint64(record->ts.tv_sec));
        QCOMPARE(usec, qint32(record->ts.tv_usec));
        if (!urbs.contains(id))
            urbs.append(id);
        const char flag = char(bytes[15]);
        seen << QStringLiteral("%1 %2 %3 %4 %5/%6 +%7 urb%8")
                    .arg(QLatin1Char(char(bytes[8])))
                    .arg(int(bytes[10]), 2, 16, QLatin1Char('0'))
                    .arg(flag ? QString(QLatin1Char(flag)) : QStringLiteral("0"))
                    .arg(status)
                    .arg(length)
                    .arg(lenCap)
                    .arg(qint64(record->ts.tv_sec) * 1000000 + record->ts.tv_usec - g_epochUsec)
                    .arg(urbs.indexOf(id));
    }
    pcap_close(capture);

    QCOMPARE(seen,
             QStringList({
                 "S 02 0 -115 5/5 +0 urb0",
                 "C 02 > 0 5/0 +0 urb0",
                 "S 02 0 -115 5/5 +100250 urb1",
                 "C 02 > 0 5/0 +100250 urb1",
                 "S 81 < -115 5/0 +180000 urb2",
                 "C 81 0 0 5/5 +180000 urb2",
                 "S 81 < -115 5/0 +180000 urb2",
                 "S 02 0 -115 5/5 +200000 urb3",
                 "C 81 0 0 5/5 +200001 urb2",
                 "S 81 < -115 5/0 +200001 urb2",
                 "C 02 > 0 5/0 +201000 urb3",
                 "C 81 0 0 5/5 +1500000 urb2",
                 "S 81 < -115 5/0 +1500000 urb2",
             }));
}

void tst_Capture::tsharkShowsWrittenReports()
{
    const QString tshark = findTool("tshark");
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the capture cannot be checked by Wireshark");
    cPcapWriter writer;
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));

    // Without the device's descriptors in the capture Wireshark cannot tell a HID interface, so
    // it shows interrupt data as the URB's leftover capture data.
    const cToolRun fields = runTool(tshark, {"-r", path("session.pcap"), "-T", "fields",
                                             "-E", "separator=/s",       "-e", "frame.time_epoch",
                                             "-e", "usb.bus_id",         "-e", "usb.device_address",
                                             "-e", "usb.urb_type",       "-e", "usb.endpoint_address",
                                             "-e", "usb.transfer_type",  "-e", "usb.urb_status",
                                             "-e", "usb.capdata"});
    QCOMPARE(fields.err, QString());
    QCOMPARE(fields.exitCode, 0);
    QCOMPARE(fields.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             QStringList({
                 "1700000000.000000000 1 5 'S' 0x02 0x01 -115 0401000000",
                 "1700000000.000000000 1 5 'C' 0x02 0x01 0 ",
                 "1700000000.100250000 1 5 'S' 0x02 0x01 -115 0402010000",
                 "1700000000.100250000 1 5 'C' 0x02 0x01 0 ",
                 "1700000000.180000000 1 5 'S' 0x81 0x01 -115 ",
                 "1700000000.180000000 1 5 'C' 0x81 0x01 0 0210110000",
                 "1700000000.180000000 1 5 'S' 0x81 0x01 -115 ",
                 "1700000000.200000000 1 5 'S' 0x02 0x01 -115 0403000100",
                 "1700000000.200001000 1 5 'C' 0x81 0x01 0 0210000000",
                 "1700000000.200001000 1 5 'S' 0x81 0x01 -115 ",
                 "1700000000.201000000 1 5 'C' 0x02 0x01 0 ",
                 "1700000001.500000000 1 5 'C' 0x81 0x01 0 0101000000",
                 "1700000001.500000000 1 5 'S' 0x81 0x01 -115 ",
             }));

    // Dissector complaints (malformed packets, unmatched URBs) come as expert information.
    const cToolRun expert = runTool(tshark, {"-r", path("session.pcap"), "-q", "-z", "expert"});
    QCOMPARE(expert.err, QString());
    QCOMPARE(expert.exitCode, 0);
    QCOMPARE(expert.out.trimmed(), QString());
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
    QVERIFY(!writer.isOpen());

    QVERIFY(writer.open(path("x.pcap")));
    QVERIFY(!writer.completeOutput(10));
    QCOMPARE(writer.errorString(), QStringLiteral("no output transfer waits for a completion"));
    QVERIFY(!writer.writeOutput(-1, QByteArray(5, '\0')));
    QCOMPARE(writer.pendingOutputs(), 0);
    QVERIFY(writer.submitOutput(10, QByteArray(5, '\0')));
    QVERIFY(writer.submitOutput(20, QByteArray(5, '\1')));
    QCOMPARE(writer.pendingOutputs(), 2);
    QVERIFY(writer.completeOutput(30));
    QCOMPARE(writer.pendingOutputs(), 1);
    QVERIFY(writer.close());
    QVERIFY(!writer.isOpen());
}

void tst_Capture::text2pcapUsbmonReplayed_data()
{
    QTest::addColumn<int>("linkType");
    QTest::addColumn<QString>("format");
    QTest::newRow("usbmon 48-byte, pcapng") << 189 << "pcapng";
    QTest::newRow("usbmon 48-byte, pcap") << 189 << "pcap";
    QTest::newRow("usbmon mmapped, pcapng") << 220 << "pcapng";
    QTest::newRow("usbmon mmapped, pcap") << 220 << "pcap";
}

void tst_Capture::text2pcapUsbmonReplayed()
{
    QFETCH(int, linkType);
    QFETCH(QString, format);
    const QString text2pcap = findTool("text2pcap");
    if (text2pcap.isEmpty())
        QSKIP("text2pcap is not installed (Debian package wireshark-common): no usbmon capture to replay");

    const QString dump = QStringLiteral(Q71_CAPTURE_DATA_DIR "/usbmon-%1.txt").arg(linkType);
    const QString capture = path("usbmon." + format);
    // text2pcap draws a line of dashes on stderr even when told to be quiet, so only its exit
    // code tells.
    const cToolRun run = runTool(
        text2pcap, {"-q", "-F", format, "-l", QString::number(linkType), "-t", "%H:%M:%S.%f", dump, capture});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    // The hex dump holds two input reports of the headset at 3.7 among its submissions, its
    // output traffic, a control transfer, another device's bulk data and a completion that an
    // unlink ended without data.
    cCaptureReader reader;
    QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), linkType);
    QCOMPARE(reader.devices(), QStringList {"3.7"});
    QCOMPARE(describe(reader.reports()), QStringList({"3.7 +0 02 10 11 00 00", "3.7 +27250 02 10 00 00 00"}));
}

void tst_Capture::pcapngReadsAsPcap()
{
    const QString editcap = findTool("editcap");
    if (editcap.isEmpty())
        QSKIP("editcap is not installed (Debian package wireshark-common): no pcapng copy to compare");
    cPcapWriter writer;
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));
    const cToolRun run = runTool(editcap, {"-F", "pcapng", path("session.pcap"), path("session.pcapng")});
    QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
    QFile converted(path("session.pcapng"));
    QVERIFY(converted.open(QIODevice::ReadOnly));
    QCOMPARE(converted.read(4), QByteArray::fromHex("0a0d0d0a")); // a section header block

    cCaptureReader fromPcap;
    cCaptureReader fromPcapng;
    QVERIFY2(fromPcap.read(path("session.pcap")), qPrintable(fromPcap.errorString()));
    QVERIFY2(fromPcapng.read(path("session.pcapng")), qPrintable(fromPcapng.errorString()));
    QCOMPARE(fromPcapng.linkType(), DLT_USB_LINUX_MMAPPED);
    QCOMPARE(fromPcapng.devices(), fromPcap.devices());
    QCOMPARE(describe(fromPcapng.reports()), describe(fromPcap.reports()));
    QCOMPARE(fromPcapng.reports().size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(fromPcapng.reports().at(i).usec, fromPcap.reports().at(i).usec);
}

void tst_Capture::usbpcapReplayed()
{
    const QByteArray pressed = QByteArray::fromHex("0210110000");
    const QByteArray released = QByteArray::fromHex("0210000000");
    QVERIFY(
        writeRawCapture(path("usbpcap.pcap"), DLT_USBPCAP,
                        {
                            {g_epochUsec, usbpcapPacket(false, 1, 0x81, 4, 2, {}, 0)},
                            {g_epochUsec + 8000, usbpcapPacket(true, 1, 0x81, 4, 2, pressed)},
                            {g_epochUsec + 8000, usbpcapPacket(false, 1, 0x81, 4, 2, {}, 0)},
                            {g_epochUsec + 9000, usbpcapPacket(false, 1, 0x02, 4, 2, QByteArray(5, '\4'))},
                            {g_epochUsec + 9500, usbpcapPacket(true, 1, 0x02, 4, 2, {})},
                            {g_epochUsec + 9600, usbpcapPacket(true, 2, 0x80, 4, 2, QByteArray(8, '\x12'))},
                            {g_epochUsec + 9700, usbpcapPacket(true, 3, 0x82, 4, 2, QByteArray(4, 'b'))},
                            {g_epochUsec + 64000, usbpcapPacket(true, 1, 0x81, 4, 2, released)},
                        }));

    cCaptureReader reader;
    QVERIFY2(reader.read(path("usbpcap.pcap")), qPrintable(reader.errorString()));
    QCOMPARE(reader.linkType(), DLT_USBPCAP);
    QCOMPARE(reader.devices(), QStringList {"2.4"});
    QCOMPARE(describe(reader.reports()), QStringList({"2.4 +0 02 10 11 00 00", "2.4 +56000 02 10 00 00 00"}));

    // Wireshark reading the same bytes confirms the header layout that the reader assumes.
    const QString tshark = findTool("tshark");
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the USBPcap layout is not cross-checked");
    const cToolRun run
        = runTool(tshark,
                  {"-r", path("usbpcap.pcap"), "-Y", "usb.transfer_type == 1", "-T", "fields", "-E",
                   "separator=/s", "-e", "usb.bus_id", "-e", "usb.device_address", "-e",
                   "usb.endpoint_address", "-e", "usb.irp_info.direction", "-e", "usb.capdata"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             QStringList({"2 4 0x81 0x00 ", "2 4 0x81 0x01 0210110000", "2 4 0x81 0x00 ",
                          "2 4 0x02 0x00 0404040404", "2 4 0x02 0x01 ", "2 4 0x81 0x01 0210000000"}));
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
    const auto in = [linkType](quint16 bus, quint8 device, const char *hex) {
        const QByteArray data = QByteArray::fromHex(hex);
        return linkType == DLT_USBPCAP ? usbpcapPacket(true, 1, 0x81, device, bus, data)
                                       : usbmonPacket('C', 1, 0x81, device, bus, data);
    };
    const QString file = path("two.pcap");
    QVERIFY(writeRawCapture(file, linkType,
                            {
                                {g_epochUsec + 100, in(2, 7, "0210110000")},
                                {g_epochUsec + 300, in(1, 3, "0101000000")},
                                {g_epochUsec + 700, in(2, 7, "0210000000")},
                                {g_epochUsec + 1000, in(1, 3, "0100010000")},
                            }));

    cCaptureReader reader;
    QVERIFY2(reader.read(file), qPrintable(reader.errorString()));
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
}

void tst_Capture::unusableCaptures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("record cut off")
        << "cut-record.pcap"
        << "cannot read capture %1 after packet 12: truncated dump file; tried to read "
           "64 captured bytes, only got 61";
    QTest::newRow("file header cut off")
        << "cut-header.pcap"
        << "cannot read capture %1: truncated dump file; tried to read 24 file header bytes, only got 6";
    QTest::newRow("usbmon header cut off")
        << "cut-usbmon.pcap"
        << "cannot read capture %1 at packet 2: cut short, it holds 40 of the 64 bytes its USB "
           "header announces";
    QTest::newRow("usbmon data cut by the snap length")
        << "snapped-usbmon.pcap"
        << "cannot read capture %1 at packet 1: cut short, it holds 66 of the 69 bytes its USB header "
           "announces";
    QTest::newRow("USBPcap data cut by the snap length")
        << "snapped-usbpcap.pcap"
        << "cannot read capture %1 at packet 1: cut short, it holds 29 of the 32 bytes its USB header "
           "announces";
    QTest::newRow("USBPcap header length too small") << "bad-usbpcap.pcap"
                                                     << "cannot read capture %1 at packet 1: its USBPcap "
                                                        "header length 12 is shorter than the 27-byte base "
                                                        "header";
    QTest::newRow("Ethernet")
        << "ethernet.pcap"
        << "capture %1 is not a USB capture: its link type is 1 (EN10MB); replay reads usbmon "
           "(189, 220) and USBPcap (249) captures";
    QTest::newRow("not a capture") << "notes.txt"
                                   << "cannot read capture %1: unknown file format";
    QTest::newRow("missing") << "missing.pcap"
                             << "cannot read capture %1: %1: No such file or directory";
}

void tst_Capture::unusableCaptures()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    const QString file = path(name);

    cPcapWriter writer;
    QVERIFY2(writeSession(path("session.pcap"), writer), qPrintable(writer.errorString()));
    QFile session(path("session.pcap"));
    QVERIFY(session.open(QIODevice::ReadOnly));
    const QByteArray whole = session.readAll();
    const auto saveBytes = [&file](const QByteArray &bytes) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    const QByteArray report = QByteArray::fromHex("0210110000");

    if (name == "cut-record.pcap") {
        QVERIFY(saveBytes(whole.left(whole.size() - 3)));
    } else if (name == "cut-header.pcap") {
        QVERIFY(saveBytes(whole.left(10)));
    } else if (name == "cut-usbmon.pcap") {
        QVERIFY(writeRawCapture(file, DLT_USB_LINUX_MMAPPED,
                                {{0, usbmonPacket('C', 1, 0x81, 5, 1, report)},
                                 {10, usbmonPacket('C', 1, 0x81, 5, 1, report).left(40)}}));
    } else if (name == "snapped-usbmon.pcap") {
        QVERIFY(writeRawCapture(file, DLT_USB_LINUX_MMAPPED,
                                {{0, usbmonPacket('C', 1, 0x81, 5, 1, report.left(2), 5), 69}}));
    } else if (name == "snapped-usbpcap.pcap") {
        QVERIFY(writeRawCapture(file, DLT_USBPCAP,
                                {{0, usbpcapPacket(true, 1, 0x81, 5, 1, report.left(2), 5), 32}}));
    } else if (name == "bad-usbpcap.pcap") {
        QByteArray packet = usbpcapPacket(true, 1, 0x81, 5, 1, report);
        qToLittleEndian<quint16>(12, packet.data());
        QVERIFY(writeRawCapture(file, DLT_USBPCAP, {{0, packet}}));
    } else if (name == "ethernet.pcap") {
        QVERIFY(writeRawCapture(file, DLT_EN10MB, {{0, QByteArray(60, '\xff')}}));
    } else if (name == "notes.txt") {
        QVERIFY(saveBytes("0000 02 10 11 00 00\n"));
    }

    cCaptureReader reader;
    QVERIFY(!reader.read(file));
    QCOMPARE(reader.errorString(), error.arg(file));
    QVERIFY(reader.reports().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Capture)
#include "tst_capture.moc"
