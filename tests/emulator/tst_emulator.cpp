#include "WiresharkTestMain.h"
#include "cToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The program as a user runs it, with the plugin it finds beside itself.
cToolRun runHost(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    return runTool(QStringLiteral(Q71_HOST_PROGRAM), arguments, input);
}

QList<QJsonObject> events(const QByteArray &jsonLines)
{
    QList<QJsonObject> parsed;
    for (const QByteArray &line : jsonLines.split('\n')) {
        if (!line.isEmpty())
            parsed << QJsonDocument::fromJson(line).object();
    }
    return parsed;
}

QStringList reportsOf(const QList<QJsonObject> &trace, const char *kind)
{
    QStringList reports;
    for (const QJsonObject &event : trace) {
        if (event.value(QStringLiteral("ev")).toString() == QLatin1String(kind))
            reports << event.value(QStringLiteral("report")).toString();
    }
    return reports;
}

QList<qint64> timesOf(const QList<QJsonObject> &trace, const char *kind)
{
    QList<qint64> times;
    for (const QJsonObject &event : trace) {
        if (event.value(QStringLiteral("ev")).toString() == QLatin1String(kind))
            times << qint64(event.value(QStringLiteral("t")).toDouble());
    }
    return times;
}

QList<qint64> fromFirst(QList<qint64> times)
{
    const qint64 first = times.value(0);
    for (qint64 &time : times)
        time -= first;
    return times;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

// q71-host as its users meet it: the built-in demo, its JSON Lines, its exit codes, its
// captures read by Wireshark's tools and played back.
class tst_Emulator : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void jsonIsJsonLines();
    void shippedDemoIsTheBuiltInOne();
    void timelineAndSummary();
    void exitCodes_data();
    void exitCodes();
    void scenarioFromStandardInput();
    void verboseAddsServiceCalls();
    void realtimeClock();
    void wiresharkReadsTheCapture();
    void ownCaptureReplays();
    void wiresharkUsbmonCaptureReplays();
    void replayWithAScenario();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void tst_Emulator::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFile::exists(QStringLiteral(Q71_HOST_PROGRAM)), Q71_HOST_PROGRAM);

    // Scenarios and plugin folders that are wrong in one way each.
    QVERIFY(writeFile(path("bad.q71"), "plug\nstart\nfly 3\n"));
    QVERIFY(writeFile(path("state.q71"), "start\nmic\ninput 02 10 11 00 00\nplug\nplug hid\nstop\n"));
    const QString manifest = QFileInfo(QStringLiteral(Q71_PLUGIN_FILE)).dir().filePath("Device_Manifest.xml");
    QVERIFY(QDir().mkpath(path("not-a-plugin")));
    QVERIFY(writeFile(path("not-a-plugin/Q71Device.so"), "not a shared library"));
    QVERIFY(QFile::copy(manifest, path("not-a-plugin/Device_Manifest.xml")));
    QVERIFY(QDir().mkpath(path("no-manifest")));
    QVERIFY(QFile::copy(QStringLiteral(Q71_PLUGIN_FILE), path("no-manifest/Q71Device.so")));
}

void tst_Emulator::jsonIsJsonLines()
{
    const cToolRun run = runHost({"--json", "--verbose"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith('\n'));
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QVERIFY(lines.size() > 50);

    static const QRegularExpression head(QStringLiteral("^\\{\"t\":(0|[1-9][0-9]*),\"ev\":\"[a-zA-Z.]+\""));
    static const QRegularExpression hexReport(QStringLiteral("^[0-9A-F]{2}( [0-9A-F]{2})*$"));
    qint64 last = 0;
    for (const QByteArray &line : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), line.constData());
        // "t" and "ev" lead every line, whatever order Qt would sort the keys in.
        QVERIFY2(head.match(QString::fromUtf8(line)).hasMatch(), line.constData());
        const QJsonObject event = document.object();
        const qint64 t = qint64(event.value(QStringLiteral("t")).toDouble());
        QVERIFY2(t >= last, line.constData());
        last = t;
        if (event.contains(QStringLiteral("report")))
            QVERIFY2(hexReport.match(event.value(QStringLiteral("report")).toString()).hasMatch(),
                     line.constData());
        if (event.contains(QStringLiteral("device")))
            QVERIFY2(event.value(QStringLiteral("device")).toInt() >= 1, line.constData());
    }
    QCOMPARE(events(lines.constLast()).value(0).value(QStringLiteral("ev")).toString(),
             QStringLiteral("summary"));
}

void tst_Emulator::shippedDemoIsTheBuiltInOne()
{
    const cToolRun builtIn = runHost({"--json"});
    const cToolRun shipped = runHost({"--json", QStringLiteral(Q71_DEMO_FILE)});
    QCOMPARE(shipped.exitCode, 0);
    QCOMPARE(shipped.out, builtIn.out);
}

void tst_Emulator::timelineAndSummary()
{
    const cToolRun run = runHost({"--locale", "en-US"});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
    QVERIFY2(lines.value(0).startsWith(QStringLiteral("q71-host ")), qPrintable(lines.value(0)));
    QVERIFY2(lines.value(0).contains(QStringLiteral("the built-in demo on the virtual clock")),
             qPrintable(lines.value(0)));

    // Every report sits in the same column, whoever sent it.
    static const QRegularExpression report(QStringLiteral("  (0[0-9A-F]( [0-9A-F]{2}){4})  "));
    QSet<int> columns;
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = report.match(line);
        if (match.hasMatch())
            columns << match.capturedStart(1);
    }
    QCOMPARE(columns.size(), 1);

    QVERIFY(
        lines.contains(QStringLiteral("  101 ms  device 1 \u2192 headset    02 10 11 00 00  key 1 setup")));
    QVERIFY(lines.contains(QStringLiteral(
        "  450 ms  headset \u2192 device 1    02 01 0B 00 00  status: Dolby on, light 2, notification 2")));
    QVERIFY(lines.contains(
        QStringLiteral("  500 ms  device \u2192 profiler                     key 1 pressed (Q71, Headset)")));
    const int summary = lines.indexOf(QStringLiteral("Summary: 1200 ms on the virtual clock"));
    QVERIFY(summary > 0);
    QCOMPARE(lines.mid(summary + 1, 7),
             QStringList({"  reports written           9", "  reports read             10",
                          "  write completions         9", "  events posted             4",
                          "  failures logged           0", "  warnings logged           0",
                          "  scenario errors           0"}));

    // --quiet leaves the summary only, in either form.
    const cToolRun quiet = runHost({"--quiet"});
    QVERIFY2(quiet.out.startsWith("Summary: 1200 ms on the virtual clock\n"), quiet.out.constData());
    const cToolRun quietJson = runHost({"--quiet", "--json"});
    QCOMPARE(quietJson.out.count('\n'), 1);
    QCOMPARE(events(quietJson.out).value(0).value(QStringLiteral("written")).toInt(), 9);
}

void tst_Emulator::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // a regular expression for the whole of standard error

    QTest::newRow("demo") << QStringList {} << 0 << QString();
    QTest::newRow("help") << QStringList {"--help"} << 0 << QString();
    QTest::newRow("version") << QStringList {"--version"} << 0 << QString();
    QTest::newRow("command out of place runs on")
        << QStringList {"--json", path("state.q71")} << 0 << QString();
    QTest::newRow("malformed line") << QStringList {
        path("bad.q71")} << 2 << QRegularExpression::escape(path("bad.q71") + ":3: unknown command 'fly'\n");
    QTest::newRow("missing scenario")
        << QStringList {path("none.q71")} << 2
        << QRegularExpression::escape("q71-host: cannot read scenario " + path("none.q71") + ": ")
            + "[^\n]+\n";
    QTest::newRow("scenario is a directory")
        << QStringList {m_dir.path()} << 2
        << QRegularExpression::escape("q71-host: cannot read scenario " + m_dir.path()
                                      + ": it is a directory\n");
    QTest::newRow("missing plugin") << QStringList {"--plugin", path("nowhere/Q71Device.so")} << 2
                                    << QRegularExpression::escape("q71-host: no plugin at "
                                                                  + path("nowhere/Q71Device.so")
                                                                  + " (give one with --plugin PATH)\n");
    QTest::newRow("missing manifest")
        << QStringList {"--plugin", path("no-manifest/Q71Device.so")} << 2
        << QRegularExpression::escape("q71-host: no Device_Manifest.xml beside the plugin "
                                      + path("no-manifest/Q71Device.so") + "\n");
    QTest::newRow("not a plugin") << QStringList {"--plugin", path("not-a-plugin/Q71Device.so")} << 2
                                  << QRegularExpression::escape("q71-host: Cannot load plugin '"
                                                                + path("not-a-plugin/Q71Device.so") + "': ")
            + "[^\n]+\n";
    QTest::newRow("unknown option") << QStringList {"--fast"} << 2 << "q71-host: Unknown option 'fast'.\n";
    QTest::newRow("two scenarios") << QStringList {path("bad.q71"), path("state.q71")} << 2
                                   << "q71-host: one scenario at most, not 2\n";
    QTest::newRow("device without capture")
        << QStringList {"--replay-device", "1.5"} << 2 << "q71-host: --replay-device needs --replay\n";
    QTest::newRow("capture that is none")
        << QStringList {"--replay", path("bad.q71")} << 2 << QStringLiteral("q71-host: [^\n]+\n");
    QTest::newRow("unwritable capture")
        << QStringList {"--pcap", path("nowhere/x.pcap")} << 2
        << QRegularExpression::escape("q71-host: cannot write capture " + path("nowhere/x.pcap") + ": ")
            + "[^\n]+\n";
}

void tst_Emulator::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    const cToolRun run = runHost(arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QRegularExpression expected(QLatin1Char('^') + error + QLatin1Char('$'));
    QVERIFY2(expected.match(run.err).hasMatch(), qPrintable(run.err));
    if (exitCode == 2)
        QVERIFY2(run.out.isEmpty(), run.out.constData());
}

void tst_Emulator::scenarioFromStandardInput()
{
    const cToolRun run = runHost({"--json", "-"}, "plug\nstart\nmic\ninput 02 10 11 00 00\nwait 150ms\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const QList<QJsonObject> trace = events(run.out);
    QCOMPARE(reportsOf(trace, "hid.write"), QStringList({"02 08 00 00 00", "02 10 11 00 00"}));
    QCOMPARE(timesOf(trace, "hid.write"), QList<qint64>({0, 101}));

    // A malformed line read from standard input is named after it.
    const cToolRun bad = runHost({"-"}, "plug\n\nwait soon\n");
    QCOMPARE(bad.exitCode, 2);
    QCOMPARE(bad.err, QStringLiteral("<stdin>:3: wait: 'soon' is not a duration, e.g. 150ms or 1.5s\n"));
}

void tst_Emulator::verboseAddsServiceCalls()
{
    const QList<QJsonObject> plain = events(runHost({"--json"}).out);
    const QList<QJsonObject> verbose = events(runHost({"--json", "--verbose"}).out);
    QStringList calls;
    QList<QJsonObject> rest;
    for (const QJsonObject &event : verbose) {
        const QString kind = event.value(QStringLiteral("ev")).toString();
        if (kind == QLatin1String("service.call"))
            calls << event.value(QStringLiteral("method")).toString();
        if (!kind.startsWith(QLatin1String("service.")))
            rest << event;
    }
    // The plugin's calls while it loads, while it makes its device and while it runs.
    for (const char *method : {"parseManifest", "registerDeviceProvider", "createProfilerDevice",
                               "createAudioDevice", "destroyAudioDevice"})
        QVERIFY2(calls.contains(QLatin1String(method)), method);
    // Apart from the service operations, a verbose trace is the plain one.
    QCOMPARE(rest, plain);
}

void tst_Emulator::realtimeClock()
{
    const cToolRun run = runHost({"--json", "--realtime", "-"}, "plug\nstart\nwait 250ms\n");
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = events(run.out);
    QCOMPARE(trace.constLast().value(QStringLiteral("clock")).toString(), QStringLiteral("real"));
    QCOMPARE(reportsOf(trace, "hid.write").mid(0, 2), QStringList({"02 08 00 00 00", "02 10 11 00 00"}));
    // The wall clock is only known to have gone at least as far as the device's 100 ms pacing.
    const QList<qint64> writes = timesOf(trace, "hid.write");
    QVERIFY2(writes.at(1) - writes.at(0) >= 100, qPrintable(QString::number(writes.at(1) - writes.at(0))));
    QVERIFY(trace.constLast().value(QStringLiteral("t")).toInt() >= 250);
}

void tst_Emulator::wiresharkReadsTheCapture()
{
    const QString tshark = wiresharkTool("tshark");
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the capture cannot be checked by Wireshark");
    const cToolRun run = runHost({"--json", "--pcap", path("demo.pcap")});
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = events(run.out);

    const cToolRun read
        = runTool(tshark,
                  {"-r", path("demo.pcap"), "-T", "fields", "-E", "separator=/s", "-e", "frame.time_epoch",
                   "-e", "usb.urb_type", "-e", "usb.endpoint_address", "-e", "usb.capdata"});
    QCOMPARE(read.err, QString());
    QCOMPARE(read.exitCode, 0);
    QStringList outputs;
    QStringList inputs;
    QList<qint64> outputTimes;
    for (const QString &line : QString::fromUtf8(read.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() < 4 || fields.at(3).isEmpty())
            continue;
        const QString bytes
            = QString::fromLatin1(QByteArray::fromHex(fields.at(3).toLatin1()).toHex(' ').toUpper());
        if (fields.at(1) == QLatin1String("'S'") && fields.at(2) == QLatin1String("0x02")) {
            outputs << bytes;
            outputTimes << qRound64(fields.at(0).toDouble() * 1000);
        } else if (fields.at(1) == QLatin1String("'C'") && fields.at(2) == QLatin1String("0x81")) {
            inputs << bytes;
        }
    }
    // Wireshark shows each report the trace shows, at the trace's own times.
    QCOMPARE(outputs, reportsOf(trace, "hid.write"));
    QCOMPARE(inputs, reportsOf(trace, "hid.input"));
    QCOMPARE(outputTimes, timesOf(trace, "hid.write"));

    const cToolRun expert = runTool(tshark, {"-r", path("demo.pcap"), "-q", "-z", "expert"});
    QCOMPARE(expert.err, QString());
    QCOMPARE(expert.exitCode, 0);
    QCOMPARE(QString::fromUtf8(expert.out).trimmed(), QString());
}

void tst_Emulator::ownCaptureReplays()
{
    const cToolRun recorded = runHost({"--json", "--pcap", path("replay.pcap")});
    QCOMPARE(recorded.exitCode, 0);
    const QList<QJsonObject> original = events(recorded.out);

    const cToolRun replayed = runHost({"--json", "--replay", path("replay.pcap")});
    QCOMPARE(replayed.err, QString());
    QCOMPARE(replayed.exitCode, 0);
    const QList<QJsonObject> trace = events(replayed.out);
    QCOMPARE(reportsOf(trace, "hid.input"), reportsOf(original, "hid.input"));
    QCOMPARE(fromFirst(timesOf(trace, "hid.input")), fromFirst(timesOf(original, "hid.input")));

    // With no scenario: plugged, started, played from the start, unplugged after the last report.
    QStringList flow;
    for (const QJsonObject &event : trace) {
        const QString kind = event.value(QStringLiteral("ev")).toString();
        if (kind == QLatin1String("plug") || kind == QLatin1String("start") || kind == QLatin1String("replay")
            || kind == QLatin1String("unplug"))
            flow << kind;
    }
    QCOMPARE(flow, QStringList({"plug", "plug", "plug", "start", "replay", "unplug", "unplug", "unplug"}));
    QCOMPARE(timesOf(trace, "hid.input").value(0), qint64(0));
    QCOMPARE(timesOf(trace, "unplug").value(0), timesOf(trace, "hid.input").constLast() + 500);
    // The key presses of the original reach the profiler again.
    QCOMPARE(timesOf(trace, "event").size(), 4);
}

void tst_Emulator::wiresharkUsbmonCaptureReplays()
{
    const QString text2pcap = wiresharkTool("text2pcap");
    if (text2pcap.isEmpty())
        QSKIP("text2pcap is not installed (Debian package wireshark-common): no usbmon capture to replay");
    const cToolRun made
        = runTool(text2pcap,
                  {"-q", "-F", "pcapng", "-l", "220", "-t", "%H:%M:%S.%f",
                   QStringLiteral(Q71_CAPTURE_DATA_DIR "/usbmon-220.txt"), path("usbmon.pcapng")});
    QCOMPARE(made.exitCode, 0);

    // The capture's headset at 3.7 pressed and released key 1, 27.25 ms apart.
    const cToolRun run = runHost({"--json", "--replay", path("usbmon.pcapng"), "--replay-device", "3.7"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = events(run.out);
    QCOMPARE(reportsOf(trace, "hid.input"), QStringList({"02 10 11 00 00", "02 10 00 00 00"}));
    QCOMPARE(timesOf(trace, "hid.input"), QList<qint64>({0, 27}));
    QCOMPARE(timesOf(trace, "event"), QList<qint64>({0, 27}));

    const cToolRun elsewhere = runHost({"--replay", path("usbmon.pcapng"), "--replay-device", "3.9"});
    QCOMPARE(elsewhere.exitCode, 2);
    QVERIFY2(elsewhere.err.startsWith(QStringLiteral("q71-host: "))
                 && elsewhere.err.count(QLatin1Char('\n')) == 1,
             qPrintable(elsewhere.err));
}

void tst_Emulator::replayWithAScenario()
{
    const cToolRun recorded
        = runHost({"--json", "--pcap", path("keys.pcap"), "-"},
                  "plug\nstart\nwait 10ms\ninput 02 10 00 22 00\nwait 40ms\ninput 02 10 00 00 00\n");
    QCOMPARE(recorded.exitCode, 0);

    // Played from the scenario's first start, wherever that is, keeping the 40 ms between them.
    const cToolRun run
        = runHost({"--json", "--replay", path("keys.pcap"), "-"}, "plug\nwait 1s\nstart\nwait 100ms\n");
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = events(run.out);
    QCOMPARE(timesOf(trace, "hid.input"), QList<qint64>({1000, 1040}));
    QCOMPARE(timesOf(trace, "event"), QList<qint64>({1000, 1040}));

    // A scenario that never starts a device plays nothing, and says so.
    const cToolRun unstarted = runHost({"--json", "--replay", path("keys.pcap"), "-"}, "plug\nwait 1s\n");
    QCOMPARE(unstarted.exitCode, 0);
    const QList<QJsonObject> idle = events(unstarted.out);
    QVERIFY(reportsOf(idle, "hid.input").isEmpty());
    QCOMPARE(timesOf(idle, "error").size(), 1);
}

Q71_WIRESHARK_TEST_MAIN(tst_Emulator)
#include "tst_emulator.moc"
