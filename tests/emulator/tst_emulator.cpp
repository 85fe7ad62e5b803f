#include "HeadsetDescriptors.h"
#include "TraceKind.h"
#include "WiresharkTestMain.h"
#include "cHidRecorderReader.h"
#include "cPcapWriter.h"
#include "cToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

// The program as a user runs it, with the plugin it finds beside itself.
cToolRun runHost(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    return runTool(QStringLiteral(Q71_HOST_PROGRAM), arguments, input);
}

// The events of one kind, in order.
QList<QJsonObject> ofKind(const QList<QJsonObject> &trace, TraceKind::TraceKind_t kind)
{
    QList<QJsonObject> matching;
    for (const QJsonObject &event : trace) {
        if (event.value(QStringLiteral("ev")).toString() == TraceKind::name(kind))
            matching << event;
    }
    return matching;
}

QStringList reportsOf(const QList<QJsonObject> &trace, TraceKind::TraceKind_t kind)
{
    QStringList reports;
    for (const QJsonObject &event : ofKind(trace, kind))
        reports << event.value(QStringLiteral("report")).toString();
    return reports;
}

QList<qint64> timesOf(const QList<QJsonObject> &trace, TraceKind::TraceKind_t kind)
{
    QList<qint64> times;
    for (const QJsonObject &event : ofKind(trace, kind))
        times << qint64(event.value(QStringLiteral("t")).toDouble());
    return times;
}

// The lines of a run's JSON that show the headset's input and what it set off, times included.
QList<QByteArray> inputSide(const QByteArray &jsonLines)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : jsonLines.split('\n')) {
        const QString kind = QJsonDocument::fromJson(line).object().value(QStringLiteral("ev")).toString();
        for (TraceKind::TraceKind_t input :
             {TraceKind::HidInput, TraceKind::Dolby, TraceKind::Volume, TraceKind::Event, TraceKind::Model}) {
            if (kind == TraceKind::name(input))
                lines << line;
        }
    }
    return lines;
}

} // namespace

// q71-host as its users meet it where the golden scenarios do not show it: the built-in demo, the
// JSON Lines of a verbose run, its exit codes, its captures read by Wireshark's tools and played
// back.
class tst_Emulator : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void builtInDemo();
    void exitCodes_data();
    void exitCodes();
    void verboseJson_data();
    void verboseJson();
    void brokenManifest_data();
    void brokenManifest();
    void outputErrors();
    void localeSpellings();
    void realtimeClock();
    void wiresharkReadsTheCapture();
    void wiresharkDecodesEveryHeadsetAsHid();
    void eightHeadsetsEachItsOwnDevice();
    void ownRecordingsReplay();
    void wiresharkUsbmonCaptureReplays();
    void replayWithAScenario();
    void replayKeepsGapsOfWeeks();
    void replayRefusesTimesOutOfRange();
    void unreadableScenarios();
    void verdicts();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void tst_Emulator::initTestCase()
{
    QVERIFY(m_dir.isValid());

    // Scenarios and plugin folders that are wrong in one way each.
    QVERIFY(writeFile(path("bad.q71"), "plug\nstart\nfly 3\n"));
    const QString manifest = QFileInfo(QStringLiteral(Q71_PLUGIN_FILE)).dir().filePath("Device_Manifest.xml");
    QVERIFY(QDir().mkpath(path("not-a-plugin")));
    QVERIFY(writeFile(path("not-a-plugin/Q71Device.so"), "not a shared library"));
    QVERIFY(QFile::copy(manifest, path("not-a-plugin/Device_Manifest.xml")));
    QVERIFY(QDir().mkpath(path("no-manifest")));
    QVERIFY(QFile::copy(QStringLiteral(Q71_PLUGIN_FILE), path("no-manifest/Q71Device.so")));
    // A file a refused or failed run must leave as it was.
    QVERIFY(writeFile(path("existing.pcap"), "kept"));
}

void tst_Emulator::builtInDemo()
{
    // The same demo built in and from its installed file, which a golden scenario pins.
    const cToolRun builtIn = runHost({"--json"});
    QCOMPARE(builtIn.exitCode, 0);
    QCOMPARE(runHost({"--json", QStringLiteral(Q71_DEMO_FILE)}).out, builtIn.out);
    const cToolRun timeline = runHost({});
    QVERIFY2(timeline.out.startsWith("q71-host " Q71_HOST_VERSION
                                     ": the built-in demo on the virtual clock, plugin "),
             timeline.out.left(200).constData());

    // --quiet leaves the summary only, in either form.
    const cToolRun quiet = runHost({"--quiet"});
    QVERIFY2(quiet.out.startsWith("Summary: 1200 ms on the virtual clock\n"), quiet.out.constData());
    const cToolRun quietJson = runHost({"--quiet", "--json"});
    QCOMPARE(quietJson.out.count('\n'), 1);
    QCOMPARE(jsonEvents(quietJson.out).value(0).value(QStringLiteral("written")).toInt(), 9);
}

void tst_Emulator::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // a regular expression for the whole of standard error

    QTest::newRow("help") << QStringList {"--help"} << 0 << QString();
    QTest::newRow("version") << QStringList {"--version"} << 0 << QString();
    QTest::newRow("malformed line on standard input")
        << QStringList {"-"} << 2
        << QRegularExpression::escape("<stdin>:3: wait: 'soon' is not a duration, e.g. 150ms or 1.5s\n");
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
    QTest::newRow("missing manifest of the user's")
        << QStringList {"--manifest", path("none.xml")} << 2
        << QRegularExpression::escape("q71-host: cannot read the manifest " + path("none.xml")
                                      + ": No such file or directory\n");
    QTest::newRow("manifest of the user's is a directory")
        << QStringList {"--manifest", m_dir.path()} << 2
        << QRegularExpression::escape("q71-host: cannot read the manifest " + m_dir.path()
                                      + ": it is a directory\n");
    QTest::newRow("missing manifest")
        << QStringList {"--plugin", path("no-manifest/Q71Device.so")} << 2
        << QRegularExpression::escape("q71-host: no Device_Manifest.xml beside the plugin "
                                      + path("no-manifest/Q71Device.so") + "\n");
    QTest::newRow("not a plugin") << QStringList {"--plugin", path("not-a-plugin/Q71Device.so")} << 2
                                  << QRegularExpression::escape("q71-host: Cannot load plugin '"
                                                                + path("not-a-plugin/Q71Device.so") + "': ")
            + "[^\n]+\n";
    QTest::newRow("unknown option") << QStringList {"--fast"} << 2 << "q71-host: Unknown option 'fast'.\n";
    QTest::newRow("two scenarios") << QStringList {path("bad.q71"), path("bad.q71")} << 2
                                   << "q71-host: one scenario at most, not 2\n";
    QTest::newRow("device without capture")
        << QStringList {"--replay-device", "1.5"} << 2 << "q71-host: --replay-device needs --replay\n";
    // Neither pcap nor pcapng, so read as a hid-recorder recording, which names the line.
    QTest::newRow("capture that is none")
        << QStringList {"--replay", path("bad.q71")} << 2
        << QRegularExpression::escape("q71-host: " + path("bad.q71")
                                      + ":1: not a line of a hid-recorder recording (D:, R:, N:, P:, I:, E: "
                                        "or #), nor is the file a pcap or pcapng capture\n");
    QTest::newRow("offset that is no duration")
        << QStringList {"--replay", path("bad.q71"), "--replay-offset", "-1.5"} << 2
        << "q71-host: --replay-offset -1.5: '1.5' is not a duration, e.g. 150ms or 1.5s\n";
    QTest::newRow("empty scenario path")
        << QStringList {""} << 2
        << "q71-host: the scenario path is empty \\(no SCENARIO runs the built-in demo\\)\n";
    QTest::newRow("quiet and verbose") << QStringList {"--quiet", "--verbose"} << 2
                                       << "q71-host: --quiet and --verbose ask for opposite things: give one "
                                          "of them\n";
    QTest::newRow("not a locale") << QStringList {"--locale", "garbage!!"} << 2
                                  << "q71-host: --locale garbage!!: not a locale name, e.g. ja-JP or en-US\n";
    QTest::newRow("volume step of no live run")
        << QStringList {"--volume-step", "10"} << 2 << "q71-host: --volume-step needs --live\n";
    QTest::newRow("volume step past the full volume")
        << QStringList {"--live", "--volume-step", "101"} << 2
        << "q71-host: --volume-step 101: a whole percentage from 1 to 100\n";
    QTest::newRow("session bus served and not")
        << QStringList {"--live", "--dbus", "--no-dbus"} << 2
        << "q71-host: --dbus and --no-dbus ask for opposite things: give one of them\n";
    QTest::newRow("session bus left alone by a simulated run")
        << QStringList {"--no-dbus"} << 2
        << "q71-host: --no-dbus needs --live: a simulated run serves the session bus only with --dbus\n";
    QTest::newRow("recording into the trace")
        << QStringList {"--quiet", "--record", "-"} << 2
        << "q71-host: --record -: standard output carries the trace; give the file a name\n";
    QTest::newRow("recording over the capture")
        << QStringList {"--pcap", path("existing.pcap"), "--record", path("existing.pcap")} << 2
        << QRegularExpression::escape("q71-host: --pcap and --record would both write "
                                      + path("existing.pcap"))
            + "\n";
    QTest::newRow("standard input read twice")
        << QStringList {"--replay", "-", "-"} << 2
        << "q71-host: --replay - and the scenario - would both read standard input: give one a file\n";
    QTest::newRow("capture over the scenario")
        << QStringList {"--pcap", path("existing.pcap"), path("existing.pcap")} << 2
        << QRegularExpression::escape("q71-host: --pcap " + path("existing.pcap")
                                      + " would overwrite the scenario\n");
    QTest::newRow("capture over the manifest")
        << QStringList {"--pcap", path("existing.pcap"), "--manifest", path("existing.pcap")} << 2
        << QRegularExpression::escape("q71-host: --pcap " + path("existing.pcap")
                                      + " would overwrite the manifest\n");
    QTest::newRow("recording over the configuration")
        << QStringList {"--record", path("existing.pcap"), "--config", path("existing.pcap")} << 2
        << QRegularExpression::escape("q71-host: --record " + path("existing.pcap")
                                      + " would overwrite the configuration file\n");
    QTest::newRow("capture of a run that does not start")
        << QStringList {"--plugin", path("not-a-plugin/Q71Device.so"), "--pcap", path("existing.pcap")} << 2
        << QStringLiteral("q71-host: Cannot load plugin [^\n]+\n");
    QTest::newRow("missing file to check against")
        << QStringList {"--check", path("none.jsonl")} << 2
        << QRegularExpression::escape("q71-host: --check " + path("none.jsonl") + ": ") + "[^\n]+\n";
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
    // The one scenario read from standard input has a malformed third line.
    const cToolRun run = runHost(arguments, arguments.contains("-") ? "plug\n\nwait soon\n" : "");
    QCOMPARE(run.exitCode, exitCode);
    const QRegularExpression expected(QLatin1Char('^') + error + QLatin1Char('$'));
    QVERIFY2(expected.match(run.err).hasMatch(), qPrintable(run.err));
    if (exitCode == 2)
        QVERIFY2(run.out.isEmpty(), run.out.constData());
    QCOMPARE(readFile(path("existing.pcap")), QByteArray("kept"));
    QCOMPARE(QDir(m_dir.path()).entryList({"*.pcap.*"}, QDir::Files), QStringList());
}

void tst_Emulator::verboseJson_data()
{
    QTest::addColumn<QByteArray>("scenario"); // empty: the built-in demo
    QTest::newRow("demo") << QByteArray();
    // The framework's reasons for the failed calls are warnings, counted whether shown or not.
    QTest::newRow("failed calls") << QByteArray("service audio down\nplug\nstart\nwait 450ms\nunplug\n");
}

void tst_Emulator::verboseJson()
{
    QFETCH(QByteArray, scenario);
    const QStringList source = scenario.isEmpty() ? QStringList() : QStringList {"-"};
    const cToolRun run = runHost(QStringList {"--json", "--verbose"} + source, scenario);
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> verbose = jsonEvents(run.out);
    QStringList calls;
    for (const QJsonObject &call : ofKind(verbose, TraceKind::ServiceCall))
        calls << call.value(QStringLiteral("method")).toString();
    // The plugin's calls while it loads, while it makes its device and while it runs.
    for (const char *method : {"parseManifest", "registerDeviceProvider", "createProfilerDevice",
                               "createAudioDevice", "destroyAudioDevice"})
        QVERIFY2(!scenario.isEmpty() || calls.contains(QLatin1String(method)), method);
    // Apart from the service operations ("service.*") and the framework's reasons for a failed
    // call (warnings), a verbose trace is the plain one, its summary's counts included.
    QList<QJsonObject> rest;
    for (const QJsonObject &event : verbose) {
        const bool reason = event.value(QStringLiteral("level")).toString() == QLatin1String("warning");
        if (!event.value(QStringLiteral("ev")).toString().startsWith(QLatin1String("service.")) && !reason)
            rest << event;
    }
    QCOMPARE(rest, jsonEvents(runHost(QStringList {"--json"} + source, scenario).out));
}

void tst_Emulator::brokenManifest_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<QString>("problem"); // after "FILE:"
    QTest::newRow("empty") << QByteArray("\n") << "1: the manifest is empty";
    QTest::newRow("malformed") << QByteArray("<manifest>\n<device>\n</manifest>\n")
                               << "3: not well-formed XML: [^\"]+";
    QTest::newRow("without probes") << QByteArray(
        "<manifest>\n  <device model=\"Q71\">\n  </device>\n</manifest>\n")
                                    << "2: <device> holds no <hid_probe>: no such transport can match";
}

void tst_Emulator::brokenManifest()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QString, problem);
    const QString folder = path(QStringLiteral("manifest-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    QFile::remove(folder + "/Q71Device.so");
    QVERIFY(QFile::copy(QStringLiteral(Q71_PLUGIN_FILE), folder + "/Q71Device.so"));
    QVERIFY(writeFile(folder + "/Device_Manifest.xml", manifest));
    const QRegularExpression expected(QLatin1Char('^')
                                      + QRegularExpression::escape(folder + "/Device_Manifest.xml:") + problem
                                      + QLatin1Char('$'));
    // The plugin turns every transport down in silence; the emulator says why, before it loads, and
    // names the user's file also when the plugin reads it through a link of the emulator's.
    for (const QStringList &loading : {QStringList {"--plugin", folder + "/Q71Device.so"},
                                       QStringList {"--manifest", folder + "/Device_Manifest.xml"}}) {
        const cToolRun run = runHost(QStringList {"--json", "-"} + loading, "plug hid\n");
        QCOMPARE(run.exitCode, 0);
        const QList<QJsonObject> trace = jsonEvents(run.out);
        const QJsonObject warning = ofKind(trace, TraceKind::Log).value(0);
        QCOMPARE(warning.value(QStringLiteral("level")).toString(), QStringLiteral("warning"));
        QVERIFY2(expected.match(warning.value(QStringLiteral("message")).toString()).hasMatch(),
                 qPrintable(warning.value(QStringLiteral("message")).toString()));
        QCOMPARE(ofKind(trace, TraceKind::CreateDevice).value(0).value(QStringLiteral("result")).toBool(),
                 false);
        QVERIFY(trace.constLast().value(QStringLiteral("warnings")).toInt() >= 1);
    }
}

void tst_Emulator::outputErrors()
{
    // Standard output that takes nothing fails the run, with one line to say so.
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(Q71_HOST_PROGRAM), {"--json"});
    QVERIFY(process.waitForFinished(240000));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()).count(QLatin1Char('\n')), 1);

    // Files named through a link or a device are written through it, not replaced by a new file: a
    // full device fails the run, and a link still points where it did, to the data.
    for (const QString &option : {QStringLiteral("--pcap"), QStringLiteral("--record")}) {
        QCOMPARE(runHost({"--quiet", option, "/dev/full"}).exitCode, 1);
        QVERIFY(!QFileInfo(QStringLiteral("/dev/full")).isFile());
        const QString target = path("target"), link = path("link");
        QFile::remove(link);
        QFile::remove(target);
        QVERIFY(QFile::link(target, link));
        QCOMPARE(runHost({"--quiet", option, link}).exitCode, 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(target).size() > 0);
    }
}

void tst_Emulator::localeSpellings()
{
    // A locale named with an underscore is the one named with a hyphen.
    const QByteArray info("plug\ninfo\n");
    QCOMPARE(runHost({"--json", "--locale", "ja_JP", "-"}, info).out,
             runHost({"--json", "--locale", "ja-JP", "-"}, info).out);
}

void tst_Emulator::realtimeClock()
{
    const cToolRun run = runHost({"--json", "--realtime", "-"}, "plug\nstart\nwait 250ms\n");
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = jsonEvents(run.out);
    QCOMPARE(trace.constLast().value(QStringLiteral("clock")).toString(), QStringLiteral("real"));
    // The wall clock is only known to have gone at least as far as the device's 100 ms pacing.
    const QList<qint64> writes = timesOf(trace, TraceKind::HidWrite);
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
    const QList<QJsonObject> trace = jsonEvents(run.out);

    // The headset's inputs are read back by the replay tests; Wireshark shows each report the
    // host wrote, at the trace's own times.
    const cToolRun read = runTool(tshark,
                                  {"-r", path("demo.pcap"), "-Y", "usb.urb_type == 'S'", "-T", "fields", "-e",
                                   "frame.time_epoch", "-e", "usbhid.data"});
    QCOMPARE(read.err, QString());
    QCOMPARE(read.exitCode, 0);
    QStringList outputs;
    QList<qint64> outputTimes;
    for (const QString &line : QString::fromUtf8(read.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.value(1).isEmpty())
            continue; // a submission for the next input report, or a control transfer's
        outputs << QString::fromLatin1(QByteArray::fromHex(fields.at(1).toLatin1()).toHex(' ').toUpper());
        outputTimes << qRound64(fields.at(0).toDouble() * 1000);
    }
    QCOMPARE(outputs, reportsOf(trace, TraceKind::HidWrite));
    QCOMPARE(outputTimes, timesOf(trace, TraceKind::HidWrite));

    // The report descriptor gives every data byte after the report id a usage: each is vendor
    // data, none padding.
    const cToolRun fields
        = runTool(tshark,
                  {"-r", path("demo.pcap"), "-Y", "usbhid.data", "-T", "fields", "-E", "occurrence=a", "-e",
                   "usbhid.data", "-e", "usbhid.data.vendor", "-e", "usbhid.data.padding"});
    QCOMPARE(fields.err, QString());
    const QStringList reports = QString::fromUtf8(fields.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(reports.size(),
             trace.constLast().value(QStringLiteral("written")).toInt()
                 + trace.constLast().value(QStringLiteral("read")).toInt());
    for (const QString &line : reports) {
        const QStringList field = line.split(QLatin1Char('\t'));
        const QByteArray data = QByteArray::fromHex(field.value(0).toLatin1()).mid(1);
        QCOMPARE(field.value(1), QString::fromLatin1(data.toHex(',')));
        QCOMPARE(field.value(2), QString());
    }

    const cToolRun expert = runTool(tshark, {"-r", path("demo.pcap"), "-q", "-z", "expert"});
    QCOMPARE(expert.err, QString());
    QCOMPARE(expert.exitCode, 0);
    QCOMPARE(QString::fromUtf8(expert.out).trimmed(), QString());
}

// A desk of eight headsets, plugged by number: eight devices, each its own uids and number, and a
// key on each heard from that device only.
void tst_Emulator::eightHeadsetsEachItsOwnDevice()
{
    QByteArray scenario;
    for (int unit = 1; unit <= 8; ++unit)
        scenario += QStringLiteral("plug hid:%1 render:%1 capture:%1\n").arg(unit).toLatin1();
    scenario += "start\nwait 500ms\n";
    for (int device = 8; device >= 1; --device)
        scenario += QStringLiteral("input %1 02 10 11 00 00\n").arg(device).toLatin1();
    scenario += "wait 100ms\n";
    const cToolRun run = runHost({"--json", "-"}, scenario);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QStringList plugged;
    QList<int> created;
    QList<int> pressed;
    for (const QJsonObject &event : jsonEvents(run.out)) {
        const QString kind = event.value(QStringLiteral("ev")).toString();
        if (kind == QLatin1String("plug") && event.value(QStringLiteral("transport")) == QLatin1String("hid"))
            plugged << event.value(QStringLiteral("uid")).toString();
        if (kind == QLatin1String("createDevice") && event.value(QStringLiteral("result")).toBool())
            created << event.value(QStringLiteral("device")).toInt();
        if (kind == QLatin1String("event")
            && event.value(QStringLiteral("name")) == QLatin1String("GKeyPressed"))
            pressed << event.value(QStringLiteral("device")).toInt();
    }
    QCOMPARE(plugged,
             QStringList({"Q71-1-hid", "Q71-2-hid", "Q71-3-hid", "Q71-4-hid", "Q71-5-hid", "Q71-6-hid",
                          "Q71-7-hid", "Q71-8-hid"}));
    QCOMPARE(created, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(pressed, QList<int>({8, 7, 6, 5, 4, 3, 2, 1}));
}

// Two headsets and one plugged again: each plugging gets an address of its own and begins with the
// descriptors, so that Wireshark decodes every report written and read as HID data, on the address
// of the device the trace says it went through. A capture of several devices replays one of them.
void tst_Emulator::wiresharkDecodesEveryHeadsetAsHid()
{
    const QString tshark = wiresharkTool("tshark");
    if (tshark.isEmpty())
        QSKIP("tshark is not installed (Debian package tshark): the capture cannot be checked by Wireshark");
    const cToolRun run = runHost({"--json", "--pcap", path("two.pcap"), "-"},
                                 "plug\nplug hid:second render:second capture:second\nstart\nwait 500ms\n"
                                 "input 02 10 11 00 00\ninput 2 02 10 00 22 00\nwait 100ms\n"
                                 "unplug hid\nplug hid\nstart\nwait 500ms\ninput 1 01 00 01 00 00\n");
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = jsonEvents(run.out);
    // A bus gives each device it sees plugged the next address, from 5 on here.
    QHash<int, int> addresses;
    int nextAddress = 5;
    QStringList traced;
    for (const QJsonObject &event : trace) {
        const QString kind = event.value(QStringLiteral("ev")).toString();
        const int device = event.value(QStringLiteral("device")).toInt();
        if ((kind == QLatin1String("createDevice") || kind == QLatin1String("addTransport"))
            && event.value(QStringLiteral("result")).toBool()
            && event.value(QStringLiteral("transport")).toString() == QLatin1String("hid"))
            addresses[device] = nextAddress++;
        if (kind == QLatin1String("hid.write") || kind == QLatin1String("hid.input"))
            traced << QString::number(addresses.value(device)) + ' '
                    + event.value(QStringLiteral("report")).toString().remove(' ').toLower();
    }
    QCOMPARE(nextAddress, 8);
    const QJsonObject summary = trace.constLast();
    QCOMPARE(traced.size(),
             summary.value(QStringLiteral("written")).toInt()
                 + summary.value(QStringLiteral("read")).toInt());

    const cToolRun decoded = runTool(tshark,
                                     {"-r", path("two.pcap"), "-Y", "usbhid.data", "-T", "fields", "-e",
                                      "usb.device_address", "-e", "usbhid.data"});
    QCOMPARE(decoded.err, QString());
    QCOMPARE(QString::fromUtf8(decoded.out).replace('\t', ' ').split('\n', Qt::SkipEmptyParts), traced);
    // Every interrupt transfer of each address is known to belong to a HID interface.
    const cToolRun classes = runTool(tshark,
                                     {"-r", path("two.pcap"), "-Y", "usb.transfer_type == 0x01", "-T",
                                      "fields", "-e", "usb.device_address", "-e", "usb.bInterfaceClass"});
    QStringList interrupts = QString::fromUtf8(classes.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(interrupts.size(),
             2 * summary.value(QStringLiteral("written")).toInt()
                 + 2 * summary.value(QStringLiteral("read")).toInt() + 3);
    interrupts.removeDuplicates();
    QCOMPARE(interrupts, QStringList({"5\t0x03", "6\t0x03", "7\t0x03"}));

    const cToolRun second = runHost({"--json", "--replay", path("two.pcap"), "--replay-device", "1.6"});
    QCOMPARE(second.err, QString());
    QCOMPARE(reportsOf(jsonEvents(second.out), TraceKind::HidInput), QStringList({"02 10 00 22 00"}));
}

void tst_Emulator::ownRecordingsReplay()
{
    const cToolRun recorded = runHost({"--json", "--pcap", path("demo.pcap"), "--record", path("demo.hid")});
    QCOMPARE(recorded.exitCode, 0);
    const QList<QByteArray> original = inputSide(recorded.out);
    cHidRecorderReader recording;
    QVERIFY2(recording.read(path("demo.hid")), qPrintable(recording.errorString()));
    QCOMPARE(recording.reportDescriptor(), HeadsetDescriptors::reportDescriptor());

    // With no scenario: plugged and started as the demo is, each report at its time after the
    // capture's first packet (the first setup write; a recording's start), unplugged 500 ms after
    // the last one. What the reports set off happens as it did.
    for (const char *file : {"demo.pcap", "demo.hid"}) {
        const cToolRun replayed = runHost({"--json", "--replay", path(file)});
        QCOMPARE(replayed.err, QString());
        QCOMPARE(replayed.exitCode, 0);
        QCOMPARE(inputSide(replayed.out), original);
        const QList<QJsonObject> trace = jsonEvents(replayed.out);
        QCOMPARE(ofKind(trace, TraceKind::Replay).value(0).value("first").toString(),
                 QStringLiteral("0.000000"));
        QCOMPARE(timesOf(trace, TraceKind::Unplug).value(0),
                 timesOf(trace, TraceKind::HidInput).constLast() + 500);
    }

    // Shifted, earlier or later; a report shifted before the start plays at it, in order.
    const QList<qint64> times = timesOf(jsonEvents(recorded.out), TraceKind::HidInput);
    for (const qint64 offset : {-460, 250}) {
        const cToolRun shifted = runHost(
            {"--json", "--replay", path("demo.hid"), "--replay-offset", QStringLiteral("%1ms").arg(offset)});
        const QList<QJsonObject> trace = jsonEvents(shifted.out);
        QList<qint64> expected;
        for (const qint64 time : times)
            expected << std::max<qint64>(0, time + offset);
        QCOMPARE(timesOf(trace, TraceKind::HidInput), expected);
        QCOMPARE(reportsOf(trace, TraceKind::HidInput),
                 reportsOf(jsonEvents(recorded.out), TraceKind::HidInput));
        QCOMPARE(ofKind(trace, TraceKind::Replay).value(0).value("offset").toInt(), int(offset));
    }
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

    // The capture's headset at 3.7 was polled, then pressed key 1 4 ms later and released it
    // 27.25 ms after that.
    const cToolRun run = runHost({"--json", "--replay", path("usbmon.pcapng"), "--replay-device", "3.7"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = jsonEvents(run.out);
    QCOMPARE(reportsOf(trace, TraceKind::HidInput), QStringList({"02 10 11 00 00", "02 10 00 00 00"}));
    QCOMPARE(timesOf(trace, TraceKind::HidInput), QList<qint64>({4, 31}));
    QCOMPARE(timesOf(trace, TraceKind::Event), QList<qint64>({4, 31}));
}

void tst_Emulator::replayWithAScenario()
{
    const cToolRun recorded = runHost(
        {"--json", "--pcap", path("keys.pcap"), "--record", path("keys.hid"), "-"},
        "plug\nwait 300ms\nstart\nwait 10ms\ninput 02 10 00 22 00\nwait 40ms\ninput 02 10 00 00 00\n");
    QCOMPARE(recorded.exitCode, 0);

    // Timed from the scenario's first start, wherever that is, as they were from the recorded one.
    for (const char *file : {"keys.pcap", "keys.hid"}) {
        const cToolRun run
            = runHost({"--json", "--replay", path(file), "-"}, "plug\nwait 1s\nstart\nwait 100ms\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(timesOf(jsonEvents(run.out), TraceKind::HidInput), QList<qint64>({1010, 1050}));
    }

    // A scenario that never starts a device plays nothing, and says so.
    const cToolRun unstarted = runHost({"--json", "--replay", path("keys.pcap"), "-"}, "plug\nwait 1s\n");
    QCOMPARE(unstarted.exitCode, 0);
    const QList<QJsonObject> idle = jsonEvents(unstarted.out);
    QVERIFY(reportsOf(idle, TraceKind::HidInput).isEmpty());
    QCOMPARE(timesOf(idle, TraceKind::Error).size(), 1);
}

void tst_Emulator::replayKeepsGapsOfWeeks()
{
    // Gaps past what an int of milliseconds holds (2^31 and 2^32 ms) are kept to the millisecond.
    const QList<qint64> times = {0, (Q_INT64_C(1) << 31) + 5, (Q_INT64_C(1) << 32) + 7};
    cPcapWriter writer;
    QVERIFY(writer.open(path("weeks.pcap")));
    for (const qint64 ms : times)
        QVERIFY(writer.writeInput(ms * 1000, 5, QByteArray::fromHex("0210110000")));
    QVERIFY(writer.close());

    const cToolRun run = runHost({"--json", "--replay", path("weeks.pcap")});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> trace = jsonEvents(run.out);
    QCOMPARE(timesOf(trace, TraceKind::HidInput), times);
    QVERIFY(ofKind(trace, TraceKind::Error).isEmpty());

    // Standard input is read twice as well, through a copy.
    QCOMPARE(timesOf(jsonEvents(runHost({"--json", "--replay", "-"}, readFile(path("weeks.pcap"))).out),
                     TraceKind::HidInput),
             times);
}

void tst_Emulator::replayRefusesTimesOutOfRange()
{
    // A pcapng file that counts in whole seconds, at a time no count of microseconds holds: one
    // line, nothing run.
    const QString capture = QStringLiteral(Q71_CAPTURE_DATA_DIR "/capture-timestamp-overflow.pcapng");
    const cToolRun run = runHost({"--json", "--replay", capture});
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err,
             "q71-host: cannot read capture " + capture
                 + " at packet 1: its time stamp, 1796464800000000000 s from the epoch, is out of range\n");
    QCOMPARE(run.out, QByteArray());
}

void tst_Emulator::unreadableScenarios()
{
    // Opened, then unreadable: one line that names the file, nothing run.
    const QString host = QStringLiteral(Q71_HOST_PROGRAM);
    const QList<QPair<QString, QString>> cases = {
        {"exec \"$0\" /proc/self/mem", "/proc/self/mem"},
        {"exec \"$0\" - < /", "<stdin>"},
        // A closed standard input: descriptor 0 would be whatever file Qt opened next.
        {"exec \"$0\" - <&-", "<stdin>"},
    };
    for (const auto &shell : cases) {
        const cToolRun run = runTool(QStringLiteral("/bin/sh"), {"-c", shell.first, host});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("q71-host: cannot read scenario " + shell.second + ": ")
                     && run.err.count('\n') == 1,
                 qPrintable(run.err));
        QCOMPARE(run.out, QByteArray());
    }
}

void tst_Emulator::verdicts()
{
    // Failed expectations name their lines, and the run goes on to its end to report them all.
    const QString expect = path("expect.q71");
    QVERIFY(writeFile(expect,
                      "plug\nexpect no validate 4\nstart\nwait 50ms\nexpect write 02 02 04 00 00\n"
                      "expect 1 times write 02 08 00 00 00\nexpect no write 02 02 04 00 00\n"));
    cToolRun run = runHost({"--json", expect});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
             expect + ":2: expected no validate 4, got validate 2, validate 2, validate 4\n" + expect
                 + ":5: expected write 02 02 04 00 00, got write 02 08 00 00 00\n"
                   "q71-host: 2 of 4 expectations failed\n");
    const QList<QJsonObject> trace = jsonEvents(run.out);
    QCOMPARE(ofKind(trace, TraceKind::Expect).value(2).value(QStringLiteral("result")).toBool(), true);
    QCOMPARE(trace.constLast().value(QStringLiteral("unmet")).toInt(), 2);

    // An error event and a critical log line fail a --strict run only.
    const QString faulty = path("faulty.q71");
    QVERIFY(writeFile(faulty, "start\nservice audio down\nplug\n"));
    QCOMPARE(runHost({"--quiet", faulty}).exitCode, 0);
    run = runHost({"--quiet", "--strict", faulty});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
             QStringLiteral("q71-host: --strict: the run failed (error events: 1, critical log lines: 1)\n"));

    // A run checked against an earlier one's JSON Lines passes until a line of it differs.
    const QByteArray earlier = runHost({"--json", faulty}).out;
    QVERIFY(writeFile(path("earlier.jsonl"), earlier));
    run = runHost({"--quiet", "--check", path("earlier.jsonl"), faulty});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    const QList<QByteArray> lines = earlier.split('\n');
    const int differing = int(earlier.left(earlier.indexOf("Q71-1-render")).count('\n')) + 1;
    QByteArray changed = lines.at(differing - 1);
    changed.replace("Q71-1-render", "Q71-2-render");
    QVERIFY(writeFile(path("changed.jsonl"), QByteArray(earlier).replace(lines.at(differing - 1), changed)));
    run = runHost({"--quiet", "--check", path("changed.jsonl"), faulty});
    QCOMPARE(run.exitCode, 1);
    const QStringList report = run.err.split('\n');
    QCOMPARE(report.value(0),
             QStringLiteral("q71-host: --check %1: line %2 differs at column %3 (- expected, + this run)")
                 .arg(path("changed.jsonl"))
                 .arg(differing)
                 .arg(lines.at(differing - 1).indexOf("Q71-1-render") + 5));
    QCOMPARE(report.value(3), QStringLiteral("  %1  ").arg(differing - 1, 6) + lines.at(differing - 2));
    QCOMPARE(report.value(4), QStringLiteral("- %1  ").arg(differing, 6) + changed);
    QCOMPARE(report.value(5), QStringLiteral("+ %1  ").arg(differing, 6) + lines.at(differing - 1));
}

Q71_WIRESHARK_TEST_MAIN(tst_Emulator)
#include "tst_emulator.moc"
