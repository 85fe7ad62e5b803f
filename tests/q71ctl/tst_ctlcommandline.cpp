// q71ctl as a user runs it where there is nothing to talk to: its usage errors, no session bus, a
// bus without the service; and its bash completion.
#include "HeadsetFields.h"
#include "cTestBus.h"
#include "cToolRun.h"

#include <QtTest>

namespace {

const QString g_hint = QStringLiteral("; start it with: systemctl --user start q71-host\n");

// The test's environment without any session bus: no address, no X11 display to start one for,
// and a runtime directory where no bus socket is.
QProcessEnvironment withoutBus(const QString &runtimeDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    return environment;
}

// What the completion offers for the words typed so far, the last one being completed.
QStringList complete(const QStringList &words)
{
    QStringList quoted;
    for (const QString &word : words)
        quoted << QLatin1Char('\'') + word + QLatin1Char('\'');
    const QString script = QStringLiteral("source '%1'; COMP_WORDS=(q71ctl %2); COMP_CWORD=%3; _q71ctl; "
                                          "printf '%s\\n' \"${COMPREPLY[@]}\"")
                               .arg(QStringLiteral(Q71_CTL_COMPLETION), quoted.join(QLatin1Char(' ')))
                               .arg(words.size());
    // The q71ctl the completion asks for headset numbers is this build's, with no bus to ask.
    QTemporaryDir runtime;
    QProcessEnvironment environment = withoutBus(runtime.path());
    environment.insert(QStringLiteral("PATH"),
                       QStringLiteral(Q71_CTL_BIN_DIR ":") + environment.value(QStringLiteral("PATH")));
    const cToolRun run
        = runTool(QStringLiteral("bash"), {QStringLiteral("-c"), script}, QByteArray(), environment);
    if (run.exitCode != 0)
        return {QStringLiteral("bash failed: ") + run.err};
    QStringList offered = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    offered.sort();
    return offered;
}

} // namespace

class tst_CtlCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing") << QStringList() << "no command given";
        QTest::newRow("unknown command") << QStringList {"lsit"} << "unknown command \"lsit\"";
        QTest::newRow("list with a number") << QStringList {"list", "1"} << "list takes 0 argument(s), not 1";
        QTest::newRow("show without a number") << QStringList {"show"} << "show takes 1 argument(s), not 0";
        QTest::newRow("show a name") << QStringList {"show", "first"} << "\"first\" is not a headset number";
        QTest::newRow("show a negative number") << QStringList {"show", "-1"} << "Unknown option";
        QTest::newRow("set without a value")
            << QStringList {"set", "1", "mic-light"} << "set takes 3 argument(s), not 2";
        QTest::newRow("set an unknown setting") << QStringList {"set", "1", "volume", "3"}
                                                << "unknown setting \"volume\" (mic-light, mic-notification)";
        QTest::newRow("set a word") << QStringList {"set", "1", "mic-light", "bright"}
                                    << "mic-light: the value \"bright\" is not a number";
        QTest::newRow("set with --json")
            << QStringList {"set", "1", "mic-light", "3", "--json"} << "--json does not apply";
        QTest::newRow("unknown option") << QStringList {"list", "--colour"} << "Unknown option 'colour'";
    }
    // Usage errors are told before anything asks the bus: the same with or without one.
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        QTemporaryDir runtime;
        const cToolRun run
            = runTool(QStringLiteral(Q71_CTL_PROGRAM), arguments, QByteArray(), withoutBus(runtime.path()));
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(QStringLiteral("q71ctl: ")) && run.err.contains(says),
                 qPrintable(run.err));
        QVERIFY2(run.err.endsWith(QStringLiteral("; see q71ctl --help\n")), qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    }
    void helpAndVersion()
    {
        const cToolRun help = runTool(QStringLiteral(Q71_CTL_PROGRAM), {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const char *command :
             {"list", "show N", "set N mic-light VALUE", "set N mic-notification VALUE", "monitor"})
            QVERIFY2(help.out.contains(command), command);
        const cToolRun version = runTool(QStringLiteral(Q71_CTL_PROGRAM), {QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("q71ctl " Q71_CTL_VERSION "\n"));
    }
    void nothingToTalkTo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("bus");
        QTest::addColumn<QString>("says");
        const QString noBus = QStringLiteral("q71ctl: no session bus (");
        const QString noService
            = QStringLiteral("q71ctl: the headset service org.q71.Headsets1 is not running; ");
        for (const QStringList &arguments :
             {QStringList {"list"}, QStringList {"list", "--json"}, QStringList {"show", "1"},
              QStringList {"set", "1", "mic-light", "2"}, QStringList {"monitor"}}) {
            QTest::addRow("%s, no bus", qPrintable(arguments.join(QLatin1Char(' '))))
                << arguments << false << noBus;
            QTest::addRow("%s, no service", qPrintable(arguments.join(QLatin1Char(' '))))
                << arguments << true << noService;
        }
    }
    // No session bus at all, or a bus of the test's own on which nothing serves the headsets nor may
    // be started for them: one line, ending in how to start the service.
    void nothingToTalkTo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, bus);
        QFETCH(QString, says);
        if (bus && !cTestBus::isAvailable())
            QSKIP("dbus-daemon is not installed");
        QTemporaryDir runtime;
        cTestBus testBus;
        QVERIFY(!bus || testBus.start());
        const cToolRun run = runTool(QStringLiteral(Q71_CTL_PROGRAM), arguments, QByteArray(),
                                     bus ? testBus.environment() : withoutBus(runtime.path()));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(says) && run.err.endsWith(g_hint), qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    }
    void completion_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("commands") << QStringList {""} << QStringList {"list", "monitor", "set", "show"};
        QTest::newRow("a command begun") << QStringList {"s"} << QStringList {"set", "show"};
        QTest::newRow("options") << QStringList {"list", "--"}
                                 << QStringList {"--help", "--json", "--version"};
        QStringList settings = HeadsetFields::settings();
        settings.sort();
        QTest::newRow("settings") << QStringList {"set", "1", ""} << settings;
        QTest::newRow("settings after an option")
            << QStringList {"--json", "set", "1", "mic-n"} << QStringList {"mic-notification"};
        // The headsets' numbers come from the service, and there is none.
        QTest::newRow("no service, no numbers") << QStringList {"show", ""} << QStringList();
        QTest::newRow("nothing after a value")
            << QStringList {"set", "1", "mic-light", "2", ""} << QStringList();
    }
    void completion()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        QCOMPARE(complete(words), offered);
    }
};

QTEST_GUILESS_MAIN(tst_CtlCommandLine)
#include "tst_ctlcommandline.moc"
