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

// One field of the events of a kind, in order, as text.
QStringList valuesOf(const QList<QJsonObject> &trace, TraceKind::TraceKind_t kind,
                     const char *field = "report")
{
    QStringList values;
    for (const QJsonObject &event : ofKind(trace, kind))
        values << event.value(QLatin1String(field)).toVariant().toString();
    return values;
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

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());

        // Scenarios and plugin folders that are wrong in one way each.
        QVERIFY(writeFile(path("bad.q71"), "plug\nstart\nfly 3\n"));
        const QString manifest
            = QFileInfo(QStringLiteral(Q71_PLUGIN_FILE)).dir().filePath("Device_Manifest.xml");
        QVERIFY(QDir().mkpath(path("not-a-plugin")));
        QVERIFY(writeFile(path("not-a-plugin/Q71Device.so"), "not a shared library"));
        QVERIFY(QFile::copy(manifest, path("not-a-plugin/Device_Manifest.xml")));
        QVERIFY(QDir().mkpath(path("no-manifest")));
        QVERIFY(QFile::copy(QStringLiteral(Q71_PLUGIN_FILE), path("no-manifest/Q71Device.so")));
        // A file a refused or failed run must leave as it was.
        QVERIFY(writeFile(path("existing.pcap"), "kept"));
    }

    void builtInDemo()
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

    // A command line the program refuses, or answers without running: its arguments (split at spaces,
    // '' an empty one) and the whole of standard error, %1 standing for the test's folder, %2 for the
    // capture data and ... for the system's own words.
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error"); // a regular expression for the whole of standard error
        const auto fill = [this](QString text) {
            return text.replace("%1", m_dir.path()).replace("%2", Q71_CAPTURE_DATA_DIR);
        };
        const auto row = [&fill](const QString &arguments, const QString &error, int exitCode = 2) {
            QStringList parts = fill(error).split(QStringLiteral("..."));
            for (QString &part : parts)
                part = QRegularExpression::escape(part);
            QTest::newRow(qPrintable(arguments))
                << fill(arguments).split(' ').replaceInStrings(QRegularExpression("^''$"), QString())
                << exitCode << (error.isEmpty() ? QString() : parts.join(QStringLiteral("[^\n]+")) + '\n');
        };
        row("--version", QString(), 0);
        // Every malformed line of the scenario is told, expect lines too, and nothing runs.
        row("-",
            "<stdin>:3: wait: 'soon' is not a duration, e.g. 150ms or 1.5s\n"
            "<stdin>:4: expect volume op: 'sideways' is not one of up, down\n"
            "<stdin>:5: expect dolby enable: 'of' is not one of on, off");
        row("%1/none.q71", "q71-host: cannot read scenario %1/none.q71: ...");
        row("%1", "q71-host: cannot read scenario %1: it is a directory");
        row("/dev/zero", "q71-host: cannot read scenario /dev/zero: line 1 is longer than 1048576 bytes");
        row("--plugin %1/nowhere/Q71Device.so",
            "q71-host: no plugin at %1/nowhere/Q71Device.so (give one with --plugin PATH)");
        row("--manifest %1/none.xml",
            "q71-host: cannot read the manifest %1/none.xml: No such file or directory");
        row("--manifest %1", "q71-host: cannot read the manifest %1: it is a directory");
        row("--manifest /dev/zero",
            "q71-host: cannot read the manifest /dev/zero: longer than 1048576 bytes");
        row("--plugin %1/no-manifest/Q71Device.so",
            "q71-host: no Device_Manifest.xml beside the plugin %1/no-manifest/Q71Device.so");
        row("--plugin %1/not-a-plugin/Q71Device.so",
            "q71-host: Cannot load plugin '%1/not-a-plugin/Q71Device.so': ...");
        row("--fast", "q71-host: Unknown option 'fast'.");
        row("%1/bad.q71 %1/bad.q71", "q71-host: one scenario at most, not 2");
        row("--replay-device 1.5", "q71-host: --replay-device needs --replay");
        // Neither pcap nor pcapng, so read as a hid-recorder recording, which names the line.
        row("--replay %1/bad.q71",
            "q71-host: %1/bad.q71:1: not a line of a hid-recorder recording (D:, R:, N:, P:, I:, E: or #), "
            "nor is the file a pcap or pcapng capture");
        // A pcapng file that counts in whole seconds, at a time no count of microseconds holds.
        row("--replay %2/capture-timestamp-overflow.pcapng",
            "q71-host: cannot read capture %2/capture-timestamp-overflow.pcapng at packet 1: its time stamp, "
            "1796464800000000000 s from the epoch, is out of range");
        row("--replay %1/bad.q71 --replay-offset -1.5",
            "q71-host: --replay-offset -1.5: '1.5' is not a duration, e.g. 150ms or 1.5s");
        row("''", "q71-host: the scenario path is empty (no SCENARIO runs the built-in demo)");
        for (const QString option :
             {"--pcap", "--record", "--config", "--replay", "--check", "--plugin", "--manifest"})
            row("--json " + option + " ''", "q71-host: " + option + ": the path is empty");
        row("--quiet --verbose", "q71-host: --quiet and --verbose ask for opposite things: give one of them");
        row("--locale garbage!!", "q71-host: --locale garbage!!: not a locale name, e.g. ja-JP or en-US");
        row("--volume-step 10", "q71-host: --volume-step needs --live");
        row("--live --volume-step 101", "q71-host: --volume-step 101: a whole percentage from 1 to 100");
        row("--live --dbus --no-dbus",
            "q71-host: --dbus and --no-dbus ask for opposite things: give one of them");
        row("--no-dbus",
            "q71-host: --no-dbus needs --live: a simulated run serves the session bus only with --dbus");
        row("--quiet --record -",
            "q71-host: --record -: standard output carries the trace; give the file a name");
        row("--pcap %1/existing.pcap --record %1/existing.pcap",
            "q71-host: --pcap and --record would both write %1/existing.pcap");
        // Two readers of standard input under any of its names: refused before either reads.
        row("--replay - -",
            "q71-host: --replay - and the scenario - would both read standard input: give one a file");
        row("--check /dev/stdin -",
            "q71-host: the scenario - and --check /dev/stdin would both read standard input: give one a "
            "file");
        row("--pcap %1/existing.pcap %1/existing.pcap",
            "q71-host: --pcap %1/existing.pcap would overwrite the scenario");
        row("--pcap %1/existing.pcap --manifest %1/existing.pcap",
            "q71-host: --pcap %1/existing.pcap would overwrite the manifest");
        row("--record %1/existing.pcap --config %1/existing.pcap",
            "q71-host: --record %1/existing.pcap would overwrite the configuration file");
        row("--plugin %1/not-a-plugin/Q71Device.so --pcap %1/existing.pcap",
            "q71-host: Cannot load plugin ...");
        row("--check %1/none.jsonl", "q71-host: --check %1/none.jsonl: ...");
        row("--pcap %1/nowhere/x.pcap", "q71-host: cannot write capture %1/nowhere/x.pcap: ...");
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const QByteArray input = "plug\n\nwait soon\nexpect volume sideways\nexpect no dolby of\n";
        const cToolRun run = runHost(arguments, arguments.contains("-") ? input : "");
        QCOMPARE(run.exitCode, exitCode);
        const QRegularExpression expected(QLatin1Char('^') + error + QLatin1Char('$'));
        QVERIFY2(expected.match(run.err).hasMatch(), qPrintable(run.err));
        if (exitCode == 2)
            QVERIFY2(run.out.isEmpty(), run.out.constData());
        QCOMPARE(readFile(path("existing.pcap")), QByteArray("kept"));
        QCOMPARE(QDir(m_dir.path()).entryList({"*.pcap.*"}, QDir::Files), QStringList());
    }

    void verboseJson_data()
    {
        QTest::addColumn<QByteArray>("scenario"); // empty: the built-in demo
        QTest::newRow("demo") << QByteArray();
        // The framework's reasons for the failed calls are warnings, counted whether shown or not.
        QTest::newRow("failed calls") << QByteArray("service audio down\nplug\nstart\nwait 450ms\nunplug\n");
    }

    void verboseJson()
    {
        QFETCH(QByteArray, scenario);
        const QStringList source = scenario.isEmpty() ? QStringList() : QStringList {"-"};
        const cToolRun run = runHost(QStringList {"--json", "--verbose"} + source, scenario);
        QCOMPARE(run.exitCode, 0);
        const QList<QJsonObject> verbose = jsonEvents(run.out);
        const QStringList calls = valuesOf(verbose, TraceKind::ServiceCall, "method");
        // The plugin's calls while it loads, while it makes its device and while it runs.
        for (const char *method : {"parseManifest", "registerDeviceProvider", "createProfilerDevice",
                                   "createAudioDevice", "destroyAudioDevice"})
            QVERIFY2(!scenario.isEmpty() || calls.contains(QLatin1String(method)), method);
        // Apart from the service operations ("service.*") and the framework's reasons for a failed
        // call (warnings), a verbose trace is the plain one, its summary's counts included.
        QList<QJsonObject> rest;
        for (const QJsonObject &event : verbose) {
            const bool reason = event.value(QStringLiteral("level")).toString() == QLatin1String("warning");
            if (!event.value(QStringLiteral("ev")).toString().startsWith(QLatin1String("service."))
                && !reason)
                rest << event;
        }
        QCOMPARE(rest, jsonEvents(runHost(QStringList {"--json"} + source, scenario).out));
    }

    void brokenManifest_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("problem"); // after "FILE:"
        QTest::newRow("empty") << QByteArray("\n") << "1: the manifest is empty";
        QTest::newRow("malformed") << QByteArray("<manifest>\n<device>\n</manifest>\n")
                                   << "3: not well-formed XML: [^\"]+";
        QTest::newRow("without probes")
            << QByteArray("<manifest>\n  <device model=\"Q71\">\n  </device>\n</manifest>\n")
            << "2: <device> holds no <hid_probe>: no such transport can match";
    }

    void brokenManifest()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, problem);
        const QString folder = path(QStringLiteral("manifest-") + QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        QFile::remove(folder + "/Q71Device.so");
        QVERIFY(QFile::copy(QStringLiteral(Q71_PLUGIN_FILE), folder + "/Q71Device.so"));
        QVERIFY(writeFile(folder + "/Device_Manifest.xml", manifest));
        const QRegularExpression expected(QLatin1Char('^')
                                          + QRegularExpression::escape(folder + "/Device_Manifest.xml:")
                                          + problem + QLatin1Char('$'));
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

    void outputErrors()
    {
        // Standard output that takes nothing fails the run, with one line to say so.
        const cToolRun full = runTool("/bin/sh", {"-c", "exec \"$0\" --json > /dev/full", Q71_HOST_PROGRAM});
        QCOMPARE(full.exitCode, 1);
        QCOMPARE(full.err.count('\n'), 1);

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

    void localeSpellings()
    {
        // A locale named with an underscore is the one named with a hyphen.
        const QByteArray info("plug\ninfo\n");
        QCOMPARE(runHost({"--json", "--locale", "ja_JP", "-"}, info).out,
                 runHost({"--json", "--locale", "ja-JP", "-"}, info).out);
    }

    // Two headsets and one plugged again: each plugging gets an address of its own and begins with the
    // descriptors, so that Wireshark decodes every report written and read as HID data, at the trace's
    // time, on the address of the device the trace says it went through, each data byte after the
    // report id a vendor usage and none padding, with nothing for its expert to say. A capture of
    // several devices replays one of them.
    void wiresharkDecodesEveryHeadsetAsHid()
    {
        const QString tshark = wiresharkTool("tshark");
        if (tshark.isEmpty())
            QSKIP("tshark is not installed (Debian package tshark): the capture cannot be checked by "
                  "Wireshark");
        const cToolRun run = runHost({"--json", "--pcap", path("two.pcap"), "-"},
                                     "plug\nplug hid:second render:second capture:second\nstart\nwait 500ms\n"
                                     "input 02 10 11 00 00\ninput 2 02 10 00 22 00\nwait 100ms\n"
                                     "unplug hid\nplug hid\nstart\nwait 500ms\ninput 1 01 00 01 00 00\n");
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
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
                traced << QStringLiteral("%1 %2 ").arg(addresses.value(device)).arg(event.value("t").toInt())
                        + event.value(QStringLiteral("report")).toString().remove(' ').toLower();
        }
        QCOMPARE(nextAddress, 8);
        const QJsonObject summary = trace.constLast();
        QCOMPARE(traced.size(),
                 summary.value(QStringLiteral("written")).toInt()
                     + summary.value(QStringLiteral("read")).toInt());

        const cToolRun decoded
            = runTool(tshark,
                      {"-r", path("two.pcap"), "-Y", "usbhid.data", "-T", "fields", "-E", "occurrence=a",
                       "-e", "usb.device_address", "-e", "frame.time_epoch", "-e", "usbhid.data", "-e",
                       "usbhid.data.vendor", "-e", "usbhid.data.padding"});
        QCOMPARE(decoded.err, QString());
        QStringList reports;
        for (const QString &line : QString::fromUtf8(decoded.out).split('\n', Qt::SkipEmptyParts)) {
            const QStringList field = line.split('\t');
            const QByteArray data = QByteArray::fromHex(field.value(2).toLatin1());
            QCOMPARE(field.value(3), QString::fromLatin1(data.mid(1).toHex(',')));
            QCOMPARE(field.value(4), QString());
            reports << field.value(0) + ' ' + QString::number(qRound64(field.value(1).toDouble() * 1000))
                    + ' ' + field.value(2);
        }
        QCOMPARE(reports, traced);
        // Every interrupt transfer of each address is known to belong to a HID interface.
        const cToolRun classes = runTool(tshark,
                                         {"-r", path("two.pcap"), "-Y", "usb.transfer_type == 0x01", "-T",
                                          "fields", "-e", "usb.device_address", "-e", "usb.bInterfaceClass"});
        QStringList interrupts = QString::fromUtf8(classes.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(interrupts.size(), 2 * traced.size() + 3);
        interrupts.removeDuplicates();
        QCOMPARE(interrupts, QStringList({"5\t0x03", "6\t0x03", "7\t0x03"}));
        const cToolRun expert = runTool(tshark, {"-r", path("two.pcap"), "-q", "-z", "expert"});
        QCOMPARE(expert.err, QString());
        QCOMPARE(QString::fromUtf8(expert.out).trimmed(), QString());

        const cToolRun second = runHost({"--json", "--replay", path("two.pcap"), "--replay-device", "1.6"});
        QCOMPARE(second.err, QString());
        QCOMPARE(valuesOf(jsonEvents(second.out), TraceKind::HidInput), QStringList({"02 10 00 22 00"}));
    }

    // A desk of eight headsets, plugged by number: eight devices, each its own uids and number, and a
    // key on each heard from that device only.
    void eightHeadsetsEachItsOwnDevice()
    {
        QByteArray scenario;
        QStringList uids, devices;
        for (int unit = 1; unit <= 8; ++unit) {
            scenario += QStringLiteral("plug hid:%1 render:%1 capture:%1\n").arg(unit).toLatin1();
            uids << QStringLiteral("Q71-%1-hid").arg(unit);
            devices << QString::number(unit);
        }
        scenario += "start\nwait 500ms\n";
        for (int device = 8; device >= 1; --device)
            scenario += QStringLiteral("input %1 02 10 11 00 00\n").arg(device).toLatin1();
        const cToolRun run = runHost({"--json", "-"}, scenario + "wait 100ms\n");
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
        const QList<QJsonObject> trace = jsonEvents(run.out);
        QCOMPARE(valuesOf(trace, TraceKind::Plug, "uid").filter(QStringLiteral("-hid")), uids);
        QCOMPARE(valuesOf(trace, TraceKind::CreateDevice, "device"), devices);
        std::reverse(devices.begin(), devices.end());
        QCOMPARE(valuesOf(trace, TraceKind::Event, "device"), devices);
        const QStringList names = valuesOf(trace, TraceKind::Event, "name");
        QCOMPARE(names.count(QStringLiteral("GKeyPressed")), names.size());
    }

    void ownRecordingsReplay()
    {
        const cToolRun recorded
            = runHost({"--json", "--pcap", path("demo.pcap"), "--record", path("demo.hid")});
        QCOMPARE(recorded.exitCode, 0);
        const QList<QByteArray> original = inputSide(recorded.out);
        const QList<QJsonObject> recordedTrace = jsonEvents(recorded.out);
        cHidRecorderReader recording;
        QVERIFY2(recording.read(path("demo.hid")), qPrintable(recording.errorString()));
        QCOMPARE(recording.reportDescriptor(), HeadsetDescriptors::reportDescriptor());

        // With no scenario: plugged and started as the demo is, each report at its time after the
        // capture's first packet (the first setup write; a recording's start), unplugged 500 ms after
        // the last one. What the reports set off happens as it did.
        for (const char *file : {"demo.pcap", "demo.hid"}) {
            const cToolRun replayed = runHost({"--json", "--replay", path(file)});
            QVERIFY2(replayed.exitCode == 0 && replayed.err.isEmpty(), qPrintable(replayed.err));
            QCOMPARE(inputSide(replayed.out), original);
            const QList<QJsonObject> trace = jsonEvents(replayed.out);
            QCOMPARE(ofKind(trace, TraceKind::Replay).value(0).value("first").toString(),
                     QStringLiteral("0.000000"));
            QCOMPARE(timesOf(trace, TraceKind::Unplug).value(0),
                     timesOf(trace, TraceKind::HidInput).constLast() + 500);
        }

        // With a scenario: timed from its first start, wherever that is, as they were from the recorded
        // run's; a scenario that never starts a device plays nothing, and says so.
        const QList<qint64> times = timesOf(recordedTrace, TraceKind::HidInput);
        QList<qint64> fromStart;
        for (const qint64 time : times)
            fromStart << 1000 + time - timesOf(recordedTrace, TraceKind::Start).value(0);
        for (const char *file : {"demo.pcap", "demo.hid"}) {
            const cToolRun run
                = runHost({"--json", "--replay", path(file), "-"}, "plug\nwait 1s\nstart\nwait 2s\n");
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(timesOf(jsonEvents(run.out), TraceKind::HidInput), fromStart);
        }
        const cToolRun unstarted = runHost({"--json", "--replay", path("demo.pcap"), "-"}, "plug\nwait 1s\n");
        QCOMPARE(unstarted.exitCode, 0);
        QVERIFY(valuesOf(jsonEvents(unstarted.out), TraceKind::HidInput).isEmpty());
        QCOMPARE(ofKind(jsonEvents(unstarted.out), TraceKind::Error).size(), 1);

        // Shifted, earlier or later; a report shifted before the start plays at it, in order.
        for (const qint64 offset : {-460, 250}) {
            const cToolRun shifted = runHost({"--json", "--replay", path("demo.hid"), "--replay-offset",
                                              QStringLiteral("%1ms").arg(offset)});
            const QList<QJsonObject> trace = jsonEvents(shifted.out);
            QList<qint64> expected;
            for (const qint64 time : times)
                expected << std::max<qint64>(0, time + offset);
            QCOMPARE(timesOf(trace, TraceKind::HidInput), expected);
            QCOMPARE(valuesOf(trace, TraceKind::HidInput), valuesOf(recordedTrace, TraceKind::HidInput));
            QCOMPARE(ofKind(trace, TraceKind::Replay).value(0).value("offset").toInt(), int(offset));
        }
    }

    void wiresharkUsbmonCaptureReplays()
    {
        const QString text2pcap = wiresharkTool("text2pcap");
        if (text2pcap.isEmpty())
            QSKIP(
                "text2pcap is not installed (Debian package wireshark-common): no usbmon capture to replay");
        const cToolRun made
            = runTool(text2pcap,
                      {"-q", "-F", "pcapng", "-l", "220", "-t", "%H:%M:%S.%f",
                       QStringLiteral(Q71_CAPTURE_DATA_DIR "/usbmon-220.txt"), path("usbmon.pcapng")});
        QCOMPARE(made.exitCode, 0);

        // The capture's headset at 3.7 was polled, then pressed key 1 4 ms later and released it
        // 27.25 ms after that.
        const cToolRun run = runHost({"--json", "--replay", path("usbmon.pcapng"), "--replay-device", "3.7"});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
        const QList<QJsonObject> trace = jsonEvents(run.out);
        QCOMPARE(valuesOf(trace, TraceKind::HidInput), QStringList({"02 10 11 00 00", "02 10 00 00 00"}));
        QCOMPARE(timesOf(trace, TraceKind::HidInput), QList<qint64>({4, 31}));
        QCOMPARE(timesOf(trace, TraceKind::Event), QList<qint64>({4, 31}));
    }

    void replayKeepsGapsOfWeeks()
    {
        // Gaps past what an int of milliseconds holds (2^31 and 2^32 ms) are kept to the millisecond.
        const QList<qint64> times = {0, (Q_INT64_C(1) << 31) + 5, (Q_INT64_C(1) << 32) + 7};
        cPcapWriter writer;
        QVERIFY(writer.open(path("weeks.pcap")));
        for (const qint64 ms : times)
            QVERIFY(writer.writeInput(ms * 1000, 5, QByteArray::fromHex("0210110000")));
        QVERIFY(writer.close());

        const cToolRun run = runHost({"--json", "--replay", path("weeks.pcap")});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
        const QList<QJsonObject> trace = jsonEvents(run.out);
        QCOMPARE(timesOf(trace, TraceKind::HidInput), times);
        QVERIFY(ofKind(trace, TraceKind::Error).isEmpty());

        // Standard input is read twice as well, through a copy.
        QCOMPARE(timesOf(jsonEvents(runHost({"--json", "--replay", "-"}, readFile(path("weeks.pcap"))).out),
                         TraceKind::HidInput),
                 times);
    }

    void unreadableScenarios()
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

    void verdicts()
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
        QCOMPARE(
            run.err,
            QStringLiteral("q71-host: --strict: the run failed (error events: 1, critical log lines: 1)\n"));

        // A run checked against an earlier one's JSON Lines passes until a line of it differs, and the
        // report names that line (its layout: tst_expectation).
        const QByteArray earlier = runHost({"--json", faulty}).out;
        QVERIFY(writeFile(path("earlier.jsonl"), earlier));
        run = runHost({"--quiet", "--check", path("earlier.jsonl"), faulty});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(
            writeFile(path("changed.jsonl"), QByteArray(earlier).replace("Q71-1-render", "Q71-2-render")));
        run = runHost({"--quiet", "--check", path("changed.jsonl"), faulty});
        QCOMPARE(run.exitCode, 1);
        const int differing = int(earlier.left(earlier.indexOf("Q71-1-render")).count('\n')) + 1;
        QVERIFY2(run.err.startsWith(QStringLiteral("q71-host: --check %1: line %2 differs")
                                        .arg(path("changed.jsonl"))
                                        .arg(differing)),
                 qPrintable(run.err));
        // All of the report, down to the caret under the difference.
        QVERIFY2(run.err.endsWith("^\n"), qPrintable(run.err));
    }

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

Q71_WIRESHARK_TEST_MAIN(tst_Emulator)
#include "tst_emulator.moc"
