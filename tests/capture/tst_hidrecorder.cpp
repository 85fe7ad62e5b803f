#include "CaptureFormat.h"
#include "CaptureTestFiles.h"
#include "cHidRecorderReader.h"

#include <QtTest>

namespace {

// A mouse and the headset as hid-recorder records two devices: their headers, then reports that
// switch between them, among comments and blank lines.
const char g_twoRecorded[]
    = "# hid-recorder of two devices\n"
      "D: 0\nR: 4 05 01 09 02\nN: Some Mouse\nP: usb-0000:00:14.0-2/input0\nI: 3 046d c077\n"
      "D: 1\nR: 3 06 00 ff\nN: Q71 Gaming Headset\nP: usb-0000:00:14.0-5/input3\n"
      "I: 3 1209 0001\n"
      "D: 0\nE: 0.100000 4 00 01 02 00\n"
      "D: 1\n\nE: 0.404000 5 02 01 0a 00 00\n# key 1\nE: 1.000250 5 02 10 11 00 00\n";

} // namespace

// hid-recorder text recordings as replay reads them: hid-tools' recorder's format, and the lines
// that are not of it, each told by its file and line.
class tst_HidRecorder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void hidRecorderRecordings();
    void recordingsAsHidToolsWritesThem();
    void malformedRecordings_data();
    void malformedRecordings();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void tst_HidRecorder::hidRecorderRecordings()
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
void tst_HidRecorder::recordingsAsHidToolsWritesThem()
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
    for (const QByteArray &content :
         {QByteArray("\xEF\xBB\xBF") + g_twoRecorded,
          QByteArray("\xEF\xBB\xBF")
              + QByteArray(g_twoRecorded).mid(QByteArray(g_twoRecorded).indexOf("D: 0"))}) {
        QVERIFY(writeFile(path("bom.hid"), content));
        cHidRecorderReader marked;
        QVERIFY2(marked.read(path("bom.hid")), qPrintable(marked.errorString()));
        QCOMPARE(marked.reportCount(), 3);
    }
}

void tst_HidRecorder::malformedRecordings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // after "FILE:"
    const auto row = [](const char *name, const QByteArray &content, const QString &error) {
        QTest::newRow(name) << content << error;
    };
    // What is no pcap is read as a hid-recorder recording, whose errors name the line.
    const QString notALine = QStringLiteral(": not a line of a hid-recorder recording (D:, R:, N:, P:, I:, E: or "
                                            "#), nor is the file a pcap or pcapng capture");
    row("unknown line", QByteArray(g_twoRecorded).replace("P: usb", "X: usb"), "5" + notALine);
    row("time not in microseconds", "D: 0\nE: 0.5 1 02\n",
        "2: E: expected the time as seconds.microseconds, e.g. 0.404000");
    row("report shorter than its length", "E: 0.000000 5 02 10\n", "1: E: announces 5 bytes but holds 2");
    row("one byte announced, none held", "E: 0.000000 1\n", "1: E: announces 1 byte but holds 0");
    // A descriptor wrapped over lines of bytes ends where it holds what its R: line announces.
    row("descriptor cut short by the next line", "# c\nR: 4 05 01\n09\nN: x\n", "2: R: announces 4 bytes but holds 3");
    row("descriptor cut short by the end", "R: 4 05 01\n\n# more\n", "1: R: announces 4 bytes but holds 2");
    row("descriptor continued past its length", "R: 3 05 01\n09 02\n", "2: R: announces 3 bytes but holds 4");
    row("descriptor continued with no byte", "R: 3 05\n01 zz\n", "2: R: 'zz' is not a byte in hex");
    row("bytes after a whole descriptor", "R: 2 05 01\n09 02\n", "2" + notALine);
    row("descriptor byte not hex", "# c\nR: 2 06 zz\n", "2: R: 'zz' is not a byte in hex");
    row("ids cut short", "I: 3 1209\n", "1: I: expected bus, vendor and product in hex");
    row("device not a number", "D: one\n", "1: D: expected a device number from 0 to 65535");
}

void tst_HidRecorder::malformedRecordings()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const QString file = path("recording");
    QVERIFY(writeFile(file, content));

    QString message;
    QVERIFY(!CaptureFormat::read(file, QString(), &message));
    QCOMPARE(message, file + ':' + error);
}

QTEST_GUILESS_MAIN(tst_HidRecorder)
#include "tst_hidrecorder.moc"
