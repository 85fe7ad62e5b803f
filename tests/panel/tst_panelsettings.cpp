// The settings the panel writes are the ones the host reads: the same file, the same keys, and
// what the user had in it besides is kept. Also the panel's command line.
#include "cDesktopActions.h"
#include "cDesktopConfig.h"
#include "cPanelSettings.h"
#include "cToolRun.h"

#include <QtTest>

class tst_PanelSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void savedSettingsAreWhatTheHostReads()
    {
        const QString path = m_dir.filePath(QStringLiteral("saved.conf"));
        cPanelSettings panel(path);
        QString error;
        QVERIFY(panel.load(&error));
        // A command with commas and one beyond Latin-1: QSettings would split the first into a
        // list and Qt 5 would mangle the second, were they not written as the host reads them.
        panel.setCommand(QStringLiteral("G1.pressed"), QStringLiteral("notify-send a, b, c"));
        panel.setCommand(QStringLiteral("dolby.on"), QStringLiteral("echo \u00e9t\u00e9 \u2192 on"));
        panel.setVolumeStep(7);
        QVERIFY2(panel.save(&error), qPrintable(error));

        cDesktopConfig config;
        QVERIFY2(config.open(path, true, &error), qPrintable(error));
        QCOMPARE(config.volumeStep(), std::optional<int>(7));
        cDesktopActions actions;
        actions.load(*config.settings());
        QCOMPARE(actions.command(QStringLiteral("G1.pressed")), QStringLiteral("notify-send a, b, c"));
        QCOMPARE(actions.command(QStringLiteral("dolby.on")), QStringLiteral("echo \u00e9t\u00e9 \u2192 on"));
        QCOMPARE(actions.command(QStringLiteral("G2.pressed")), QString());

        cPanelSettings again(path);
        QVERIFY(again.load(&error));
        QCOMPARE(again.command(QStringLiteral("G1.pressed")), QStringLiteral("notify-send a, b, c"));
        QCOMPARE(again.volumeStep(), 7);
    }

    void notificationsSwitchIsOneLineWhenOff()
    {
        const QString path = m_dir.filePath(QStringLiteral("notifications.conf"));
        cPanelSettings panel(path);
        QString error;
        QVERIFY(panel.load(&error));
        QVERIFY(panel.notificationsEnabled());
        panel.setNotificationsEnabled(false);
        QVERIFY(panel.save(&error));
        QVERIFY2(readFile(path).contains("[notifications]\nenabled=false\n"), readFile(path).constData());
        // That the panel reads the line back and sends nothing is tst_panelservice's.
        panel.setNotificationsEnabled(true);
        QVERIFY(panel.save(&error));
        QVERIFY2(!readFile(path).contains("notifications"), readFile(path).constData());
    }

    void saveKeepsWhatElseTheFileHolds()
    {
        // The service writes the microphone's settings into the same file, and a user may have
        // commands the window clears.
        const QString path = m_dir.filePath(QStringLiteral("shared.conf"));
        QVERIFY(writeFile(path, "[actions]\nG2.released=true\n\n[microphone]\nlight=3\nnotification=1\n"));
        cPanelSettings panel(path);
        QString error;
        QVERIFY(panel.load(&error));
        QCOMPARE(panel.command(QStringLiteral("G2.released")), QStringLiteral("true"));
        QCOMPARE(panel.volumeStep(), int(cDesktopConfig::DefaultVolumeStep));
        // Written by another program after the panel read the file.
        {
            QSettings service(path, QSettings::IniFormat);
            service.setValue(QStringLiteral("microphone/light"), 2);
        }
        panel.setCommand(QStringLiteral("G2.released"), QStringLiteral("  "));
        QVERIFY(panel.save(&error));
        QSettings saved(path, QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("microphone/light")).toInt(), 2);
        QCOMPARE(saved.value(QStringLiteral("microphone/notification")).toInt(), 1);
        QVERIFY(!saved.contains(QStringLiteral("actions/G2.released")));
    }

    void badFilesAreOneLine()
    {
        const QString path = m_dir.filePath(QStringLiteral("bad.conf"));
        QVERIFY(writeFile(path, "[volume]\nstep=0\n"));
        cPanelSettings panel(path);
        QString error;
        QVERIFY(!panel.load(&error));
        QVERIFY2(error.contains(QStringLiteral("step=0")) && !error.contains(QLatin1Char('\n')),
                 qPrintable(error));

        // A folder where the file should be: neither read nor written.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.conf")));
        cPanelSettings folder(m_dir.filePath(QStringLiteral("folder.conf")));
        error.clear();
        QVERIFY(!folder.save(&error));
        QVERIFY2(error.contains(QStringLiteral("folder.conf")), qPrintable(error));
    }

    // Bad input is one line on stderr and exit code 2. Over ssh or in a text console: the help all
    // the same, and one line where the panel would need a display.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out"); // a part of the output; empty: none
        const auto row = [](const char *name, const char *argument, bool display, const char *err,
                            int exitCode, const char *out = "") {
            QTest::newRow(name) << QStringList(argument) << display << err << exitCode << QByteArray(out);
        };
        row("window", "--window=bogus", true, "q71-panel: --window=bogus: show, hide or only\n", 2);
        row("unknown option", "--bogus", true, "q71-panel: Unknown option 'bogus'.\n", 2);
        row("argument", "extra", true, "q71-panel: unexpected argument: extra\n", 2);
        row("help without a display", "--help", false, "", 0, "--window <show|hide|only>");
        row("no display", "--window=hide", false,
            "q71-panel: no display to show the panel on (DISPLAY and WAYLAND_DISPLAY are not set)\n", 2);
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(QString, err);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QLatin1String(name));
        if (display)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        const cToolRun run = runTool(QStringLiteral(Q71_PANEL_PROGRAM), arguments, QByteArray(), environment);
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.contains(out), run.out.constData());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_PanelSettings)
#include "tst_panelsettings.moc"
