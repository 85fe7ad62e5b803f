#include "cToolRun.h"

#include <QtTest>

#include <sys/stat.h>
#include <utility>

namespace {

// The field of each `kind` event, of `device`'s events only when it is given.
QStringList jsonValues(const QByteArray &out, const char *kind, const char *field, int device = 0)
{
    QStringList values;
    for (const QJsonObject &event : jsonEvents(out)) {
        if (event.value(QStringLiteral("ev")).toString() == QLatin1String(kind)
            && (device == 0 || event.value(QStringLiteral("device")).toInt() == device))
            values << event.value(QLatin1String(field)).toVariant().toString();
    }
    return values;
}

} // namespace

class tst_DesktopConfig : public QObject
{
    Q_OBJECT
private slots:
    void refusesAConfigItCannotRead()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.conf"));
        const cToolRun absent
            = runTool(QStringLiteral(Q71_HOST_PROGRAM), {"--config", missing, "-"}, "plug\n");
        QCOMPARE(absent.exitCode, 2);
        // The reason is the system's, in its language.
        QVERIFY2(absent.err.startsWith(QStringLiteral("q71-host: cannot read config %1: ").arg(missing)),
                 qPrintable(absent.err));
        QCOMPARE(absent.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(absent.out, QByteArray());

        // A file that is no INI file, and values the host could not act on (a volume step the sound
        // server could not take, a default-device switch neither true nor false), refused before
        // anything runs.
        const QString config = m_dir.filePath(QStringLiteral("malformed.conf"));
        const QString step = QStringLiteral("config %1: [volume] step=%2: a whole percentage from 1 to 100");
        const QString audio = QStringLiteral("config %1: [audio] default=%2: true or false");
        const QList<std::pair<QByteArray, QString>> refusals {
            {"[actions\nG1.pressed=true\n",
             QStringLiteral("cannot read config %1: not in the INI format").arg(config)},
            {"[volume]\nstep=0\n", step.arg(config, "0")},
            {"[volume]\nstep=101\n", step.arg(config, "101")},
            {"[volume]\nstep=5%\n", step.arg(config, "5%")},
            {"[volume]\nstep=-5\n", step.arg(config, "-5")},
            {"[volume]\nstep=2.5\n", step.arg(config, "2.5")},
            {"[volume]\nstep=\n", step.arg(config, "")},
            {"[audio]\ndefault=yes\n", audio.arg(config, "yes")},
            {"[audio]\ndefault=1\n", audio.arg(config, "1")},
        };
        for (const auto &[text, error] : refusals) {
            QVERIFY(writeFile(config, text));
            const cToolRun refused
                = runTool(QStringLiteral(Q71_HOST_PROGRAM), {"--config", config, "-"}, "plug\n");
            QCOMPARE(refused.exitCode, 2);
            QCOMPARE(refused.err, QStringLiteral("q71-host: ") + error + QLatin1Char('\n'));
        }
    }
    // The configuration of a simulated run on the wall clock acts as a live one's does: the Dolby
    // switch and the keys run their commands (a key's with the device the report was fed to, the
    // second of two headsets here, and no signal blocked), the saved microphone settings follow each
    // setup, and the file is the user's: what the scenario sets is not written to it, comments and
    // all stay.
    void runsActionsAndKeepsSettings()
    {
        const QString config = m_dir.filePath(QStringLiteral("q71.conf"));
        const QString dolby = m_dir.filePath(QStringLiteral("dolby"));
        const QString pressed = m_dir.filePath(QStringLiteral("pressed"));
        const QString microphone = m_dir.filePath(QStringLiteral("microphone"));
        const QByteArray original
            = QStringLiteral("; the user's own words\n"
                             "[actions]\n"
                             "dolby.on=\"echo \\\"$Q71_EVENT $Q71_MODEL $Q71_DEVICE\\\" >> '%1'\"\n"
                             "G1.pressed=\"echo \\\"$Q71_EVENT $Q71_MODEL $Q71_DEVICE\\\" "
                             "$(grep SigBlk /proc/self/status | cut -f2) >> '%2'\"\n"
                             "mic.changed=\"echo \\\"$Q71_DEVICE $Q71_MIC_LIGHT $Q71_MIC_NOTIFICATION\\\" "
                             ">> '%3'\"\n"
                             "dolby.off=exit 3\n"
                             "G4.pressed=true\n"
                             "[microphone]\n"
                             "; as I like it\n"
                             "light=3\n"
                             "notification=loud\n")
                  .arg(dolby, pressed, microphone)
                  .toUtf8();
        QVERIFY(writeFile(config, original));
        const cToolRun run
            = runTool(QStringLiteral(Q71_HOST_PROGRAM),
                      {"--json", "--realtime", "--config", config, "--plugin", Q71_PLUGIN_FILE, "-"},
                      "plug\nplug hid:second render:second capture:second\nstart\nwait 1s\n"
                      "input 02 01 0B 00 00\ninput 02 01 0A 00 00\ninput 2 02 10 11 00 00\nwait 1s\n"
                      "mic light 2\nmic notify 7\nwait 1s\n");
        QCOMPARE(run.exitCode, 0);

        for (const auto &[file, line] :
             {std::pair(dolby, "dolby.on Q71 1\n"), std::pair(pressed, "G1.pressed Q71 2 0000000000000000\n"),
              std::pair(microphone, "1 2 2\n")})
            QCOMPARE(readFile(file), QByteArray(line));
        const QStringList warnings = jsonValues(run.out, "log", "message");
        QVERIFY2(warnings.contains(QStringLiteral("action dolby.off: the command exited with status 3")),
                 qPrintable(warnings.join('\n')));
        QVERIFY(warnings.contains(QStringLiteral("[microphone] notification=loud: not a setting, left out")));
        QVERIFY(warnings.filter(QStringLiteral("G4.pressed: no such event")).size() == 1);

        // The saved light after the five setup reports, before the scenario's own settings.
        const QStringList reports = jsonValues(run.out, "hid.write", "report", 1);
        QCOMPARE(reports.mid(5), QStringList({"02 02 04 00 00", "02 02 02 00 00"}));

        QCOMPARE(readFile(config), original);
    }
    // The program's own warnings reach standard error however quiet the run: one plain line, or, when
    // standard error is the journal's stream, one with the warning's priority for the journal.
    void warnsOnStandardError()
    {
        const QString config = m_dir.filePath(QStringLiteral("misspelt.conf"));
        QVERIFY(writeFile(config, "[actions]\nG4.pressed=true\n"));
        const QStringList arguments {"--quiet",  "--realtime",    "--config", config,
                                     "--plugin", Q71_PLUGIN_FILE, "-"};
        const QString warning = QStringLiteral("[actions] G4.pressed: no such event (");

        // JOURNAL_STREAM is believed only for the stream it names: another one's is plain text.
        const QString errors = m_dir.filePath(QStringLiteral("stderr"));
        QVERIFY(QFile(errors).open(QIODevice::WriteOnly));
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(errors).constData(), &status), 0);
        const QByteArray ours = QByteArray::number(qulonglong(status.st_dev)) + ':'
            + QByteArray::number(qulonglong(status.st_ino));
        for (const auto &[stream, prefix] :
             {std::pair(ours, QStringLiteral("<4>")),
              std::pair(QByteArray("1:1"), QStringLiteral("q71-host: warning: "))}) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("JOURNAL_STREAM"), QString::fromLatin1(stream));
            process.setProcessEnvironment(environment);
            process.setStandardErrorFile(errors);
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(QStringLiteral(Q71_HOST_PROGRAM), arguments);
            QVERIFY(process.waitForStarted());
            process.write("plug\n");
            process.closeWriteChannel();
            QVERIFY(process.waitForFinished(240000));
            QCOMPARE(process.exitCode(), 0);
            const QString text = QString::fromUtf8(readFile(errors));
            QVERIFY2(text.startsWith(prefix + warning), qPrintable(text));
            QCOMPARE(text.count(QLatin1Char('\n')), 1);
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_DesktopConfig)
#include "tst_desktopconfig.moc"
