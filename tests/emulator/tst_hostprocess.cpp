#include "cCaptureReader.h"
#include "cPcapWriter.h"
#include "cRunningHost.h"
#include "cToolRun.h"

#include <csignal>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// q71-host as a process: stopped by SIGINT or SIGTERM in the middle of a wall-clock run (the
// devices stopped as an unplug stops them, the summary printed, the capture complete, the exit
// code a shell reports for the signal), in a replay on the virtual clock and while the commands of
// the configuration finish; the commands it stops go with all they started; and loading the
// plugin with a manifest of the user's that lacks a probe.
namespace {

bool zombie(pid_t pid)
{
    // pid (comm) STATE ...: the command name may hold spaces, the state follows its ")".
    const QByteArray text = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

class tst_HostProcess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // SIGTERM here; SIGINT, which the same handler takes, in stoppedReplay.
    void stoppedRunEndsCleanly()
    {
        const QString scenario = m_dir.filePath(QStringLiteral("long.q71"));
        QVERIFY(writeFile(scenario, "plug\nstart\ninput 02 10 11 00 00\nwait 600s\ninfo\n"));
        const QString capture = m_dir.filePath(QStringLiteral("stopped.pcap"));

        cRunningHost host;
        QVERIFY(
            host.start(QStringLiteral(Q71_HOST_PROGRAM),
                       {"--json", "--realtime", "--pcap", capture, "--plugin", Q71_PLUGIN_FILE, scenario}));
        QVERIFY(host.waitFor(cRunningHost::kind("hid.input")));
        QCOMPARE(host.stop(SIGTERM), 143);

        // Nothing after the wait ran; the devices were stopped and let go of as an unplug does.
        QVERIFY2(host.events(cRunningHost::kind("info")).isEmpty(), qPrintable(host.errorOutput()));
        QCOMPARE(host.events(cRunningHost::kind("stop")).size(), 1);
        QCOMPARE(host.events(cRunningHost::kind("removeTransport")).size(), 3);
        QCOMPARE(host.events(cRunningHost::kind("deviceRemoved")).size(), 1);
        QCOMPARE(host.events().constLast().value(QStringLiteral("ev")).toString(), QStringLiteral("summary"));

        cCaptureReader reader;
        QVERIFY2(reader.read(capture), qPrintable(reader.errorString()));
        QCOMPARE(reader.reports().size(), 1);
        QCOMPARE(reader.reports().constFirst().data, QByteArray::fromHex("0210110000"));
    }

    void stoppedReplay()
    {
        // Far more reports than the pipe holds: the run cannot be through them while the test does
        // not read, so the signal comes in the middle of the replay's one long wait.
        const QString capture = m_dir.filePath(QStringLiteral("long.pcap"));
        const int reportCount = 20000;
        cPcapWriter writer;
        QVERIFY(writer.open(capture));
        for (int i = 0; i < reportCount; ++i)
            QVERIFY(writer.writeInput(qint64(i) * 1000, 5, QByteArray::fromHex("0210000000")));
        QVERIFY(writer.close());

        // The whole replay once, for --check to compare the stopped one with.
        const QStringList arguments {"--json", "--replay", capture, "--plugin", Q71_PLUGIN_FILE};
        const cToolRun whole = runTool(QStringLiteral(Q71_HOST_PROGRAM), arguments);
        QCOMPARE(whole.exitCode, 0);
        const QString golden = m_dir.filePath(QStringLiteral("whole.jsonl"));
        QVERIFY(writeFile(golden, whole.out));

        cRunningHost host;
        QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM), QStringList {"--check", golden} + arguments));
        QVERIFY(host.waitFor(cRunningHost::kind("hid.input")));
        QCOMPARE(host.stop(SIGINT), 130);

        // What was left of the capture was not played, and that is no error of the run's.
        const int played = host.events(cRunningHost::kind("hid.input")).size();
        QVERIFY2(played < reportCount, qPrintable(QString::number(played)));
        QVERIFY(host.events(cRunningHost::kind("error")).isEmpty());
        QCOMPARE(host.events(cRunningHost::kind("deviceRemoved")).size(), 1);
        QCOMPARE(host.events().constLast().value(QStringLiteral("ev")).toString(), QStringLiteral("summary"));
        // --check says how far the two runs were the same: up to the signal, not the teardown after it.
        const QRegularExpression same(
            QStringLiteral("^q71-host: --check %1: stopped by a signal after (\\d+) lines, "
                           "the same as the file's first \\1 \\(its teardown is not "
                           "compared\\)$")
                .arg(QRegularExpression::escape(golden)),
            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch told = same.match(host.errorOutput());
        QVERIFY2(told.hasMatch(), qPrintable(host.errorOutput()));
        QVERIFY(told.captured(1).toInt() > 0);
        QVERIFY(told.captured(1).toInt() < host.events().size());
    }

    void stoppedWhileCommandsFinish()
    {
        // The run is over and waits for the command it started: the signal ends that wait too.
        const QString started = m_dir.filePath(QStringLiteral("started"));
        cRunningHost host;
        QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                           dolbyRun(QStringLiteral("touch '%1'; sleep 30").arg(started).toUtf8())));
        QVERIFY(host.waitFor(cRunningHost::matching(
            "log", "message", QStringLiteral("waiting up to 3000 ms for the commands still running (1)"))));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started), 60000);
        QCOMPARE(host.stop(SIGTERM), 143);
        QCOMPARE(host.events().constLast().value(QStringLiteral("ev")).toString(), QStringLiteral("summary"));
        QVERIFY2(!host.errorOutput().contains(QLatin1String("Destroyed while process")),
                 qPrintable(host.errorOutput()));
    }

    void stoppedCommandTakesItsChildren()
    {
        // The command outlives the run's grace and starts a process of its own, which must not be
        // left behind when the command is stopped.
        const QString child = m_dir.filePath(QStringLiteral("child"));
        const cToolRun run
            = runTool(QStringLiteral(Q71_HOST_PROGRAM),
                      dolbyRun(QStringLiteral("sleep 300 & echo $! > '%1'; wait").arg(child).toUtf8()));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("a command still runs at the end and is stopped"), run.out.constData());
        QVERIFY2(!run.err.contains(QLatin1String("Destroyed while process")), qPrintable(run.err));
        bool number = false;
        const pid_t pid = pid_t(readFile(child).trimmed().toInt(&number));
        QVERIFY(number && pid > 0);
        // Gone, or at most a zombie of init's until it is reaped.
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0 || zombie(pid), 60000);
    }

    void progressMakesWayForTheTrace()
    {
        // The trace and the progress line on one terminal (script gives the run one): the progress,
        // shown after the long wait, is erased before the next trace line and drawn again under it.
        const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
        if (script.isEmpty())
            QSKIP("script is not installed (Debian package bsdutils): no terminal to run q71-host on");
        const QString scenario = m_dir.filePath(QStringLiteral("slow.q71"));
        QVERIFY(writeFile(scenario, "plug\nstart\nwait 2500ms\ninfo\n"));
        const QString command
            = QStringLiteral("'%1' --realtime --plugin '%2' '%3'")
                  .arg(QStringLiteral(Q71_HOST_PROGRAM), QStringLiteral(Q71_PLUGIN_FILE), scenario);
        const cToolRun run = runTool(script, {"-qec", command, "/dev/null"});
        QCOMPARE(run.exitCode, 0);
        const QByteArray progress = "on the clock, line 3\033[K";
        const int shown = run.out.indexOf(progress);
        QVERIFY2(shown > 0, run.out.constData());
        // Whatever comes after the progress line starts by erasing it.
        const int after = shown + progress.size();
        QVERIFY2(run.out.mid(after, 4) == "\r\033[K", run.out.mid(shown).constData());
        QVERIFY2(run.out.indexOf("id \"device-1\"", after) > 0, run.out.mid(shown).constData());
        // And it comes back under the trace line, to be taken away at the end.
        QVERIFY2(run.out.indexOf(progress, after) > run.out.indexOf("id \"device-1\"", after),
                 run.out.mid(shown).constData());
    }

    void manifestWithoutOneProbe_data()
    {
        QTest::addColumn<QString>("probe"); // the row's name is the kind of transport it was for
        QTest::newRow("hid") << QStringLiteral("hid_probe");
        QTest::newRow("render") << QStringLiteral("audio_render_probe");
        QTest::newRow("capture") << QStringLiteral("audio_capture_probe");
    }

    // Not every transport is refused: the other two make one device, and only the transport of the
    // probe's kind is turned down, by that device and by the provider alike. The device is never
    // complete, so the host never starts it.
    void manifestWithoutOneProbe()
    {
        QFETCH(QString, probe);
        const QString refused = QString::fromLatin1(QTest::currentDataTag());
        // The plugin's own manifest, as the build put it beside the plugin, less the probe.
        const QDir plugin = QFileInfo(QStringLiteral(Q71_PLUGIN_FILE)).dir();
        QString manifest
            = QString::fromUtf8(readFile(plugin.filePath(QStringLiteral("Device_Manifest.xml"))));
        const QRegularExpression element(QStringLiteral("\\n *<%1 [^>]*/>").arg(probe));
        QVERIFY(manifest.contains(element));
        manifest.remove(element);
        const QString path = m_dir.filePath(QStringLiteral("without-probe.xml"));
        QVERIFY(writeFile(path, manifest.toUtf8()));

        const cToolRun run
            = runTool(QStringLiteral(Q71_HOST_PROGRAM), {"--json", "--manifest", path, "-"}, "plug\nstart\n");
        QCOMPARE(run.exitCode, 0);
        int accepted = 0;
        QStringList kinds;
        for (const QJsonObject &event : jsonEvents(run.out)) {
            const QString kind = event.value(QStringLiteral("ev")).toString();
            kinds << kind;
            if (kind != QLatin1String("createDevice") && kind != QLatin1String("addTransport"))
                continue;
            const bool result = event.value(QStringLiteral("result")).toBool();
            QCOMPARE(result, event.value(QStringLiteral("transport")).toString() != refused);
            accepted += result ? 1 : 0;
        }
        QCOMPARE(accepted, 2);
        QVERIFY2(!kinds.contains(QStringLiteral("start")), qPrintable(run.out));
        QVERIFY(kinds.contains(QStringLiteral("validate")));
    }

private:
    // A configuration whose Dolby switch runs `command`, and a wall-clock scenario that turns the
    // switch on and ends.

    QStringList dolbyRun(const QByteArray &command)
    {
        const QString config = m_dir.filePath(QStringLiteral("q71.conf"));
        const QString scenario = m_dir.filePath(QStringLiteral("dolby.q71"));
        if (!writeFile(config, "[actions]\ndolby.on=\"" + command + "\"\n")
            || !writeFile(scenario, "plug\nstart\nwait 1s\ninput 02 01 01 00 00\nwait 100ms\nunplug\n"))
            return {};
        return {"--json", "--realtime", "--config", config, "--plugin", Q71_PLUGIN_FILE, scenario};
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_HostProcess)
#include "tst_hostprocess.moc"
