#include "cToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

cToolRun runHost(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    return runTool(QStringLiteral(Q71_HOST_PROGRAM), arguments, input);
}

// q71-host run by a shell, for what only a shell sets up: a FIFO's writer, a process substitution,
// a redirection. The script finds the program as $0 and `arguments` as $1...
cToolRun runShell(const QString &script, const QStringList &arguments = QStringList())
{
    return runTool(QStringLiteral("/bin/bash"),
                   QStringList {QStringLiteral("-c"), script, QStringLiteral(Q71_HOST_PROGRAM)} + arguments);
}

} // namespace

// q71-host's inputs and outputs as a user names them: a scenario without its last line break,
// files that can be read only once (a FIFO, a pipe, a process substitution), outputs that are
// standard output or a terminal under another name, and its help. (Empty names: tst_emulator.)
class tst_HostInputs : public QObject
{
    Q_OBJECT
private slots:

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(path("keys.q71"), "plug\nstart\nwait 50ms\ninput 02 10 11 00 00\nwait 10ms\n"));
        // The same run's trace, the file to --check against, and its input as a recording to replay.
        const cToolRun run = runHost({"--json", "--record", path("keys.hid"), path("keys.q71")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(writeFile(path("keys.jsonl"), run.out));
        QVERIFY(QFileInfo(path("keys.hid")).size() > 0);
        // A manifest of another product of the vendor: the Q71's transports are refused with it.
        const QString shipped = QFileInfo(QStringLiteral(Q71_PLUGIN_FILE))
                                    .dir()
                                    .filePath(QStringLiteral("Device_Manifest.xml"));
        QVERIFY(writeFile(path("own.xml"),
                          readFile(shipped).replace("product_id=\"0x0001\"", "product_id=\"0x0002\"")));
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    }

    void lastLineWithoutBreak()
    {
        // Its last command runs, once, from standard input and from a file alike.
        QVERIFY(writeFile(path("unended.q71"), "plug\nstart"));
        const QByteArray ended = runHost({"--json", "-"}, "plug\nstart\n").out;
        QVERIFY2(ended.contains("\"ev\":\"start\""), ended.constData());
        QCOMPARE(runHost({"--json", "-"}, "plug\nstart").out, ended);
        QCOMPARE(runHost({"--json", path("unended.q71")}).out, ended);
    }

    void inputsReadOnce_data()
    {
        // A bash script that hands the program $1 in a way that can be read only once ($2 is a FIFO,
        // $3 the scenario), and the arguments of the same run with the file itself. Every reader takes
        // a FIFO; a process substitution is another file that tells it cannot seek, as a FIFO does.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sameAs");
        const QString keys = path("keys.q71"), golden = path("keys.jsonl"), recording = path("keys.hid");
        // The writer gives up when the program never opens the FIFO, so that none is left behind.
        const QString feed = QStringLiteral("timeout 60 cat \"$1\" > \"$2\" & exec \"$0\" ");
        const QStringList scenario {"--json", keys};
        QTest::newRow("scenario, FIFO") << feed + "--json \"$2\"" << keys << scenario;
        QTest::newRow("scenario, process substitution")
            << "exec \"$0\" --json <(cat \"$1\")" << keys << scenario;
        QTest::newRow("scenario, /dev/stdin of a pipe")
            << "cat \"$1\" | \"$0\" --json /dev/stdin" << keys << scenario;
        const QStringList check {"--quiet", "--check", golden, keys};
        QTest::newRow("--check, FIFO") << feed + "--quiet --check \"$2\" \"$3\"" << golden << check;
        QTest::newRow("--check, /dev/stdin of a pipe")
            << "cat \"$1\" | \"$0\" --quiet --check /dev/stdin \"$3\"" << golden << check;
        const QStringList replay {"--json", "--replay", recording};
        QTest::newRow("--replay, FIFO") << feed + "--json --replay \"$2\"" << recording << replay;
        const QStringList manifest {"--json", "--manifest", path("own.xml"), keys};
        QTest::newRow("--manifest, FIFO")
            << feed + "--json --manifest \"$2\" \"$3\"" << path("own.xml") << manifest;
    }

    void inputsReadOnce()
    {
        QFETCH(QString, script);
        QFETCH(QString, file);
        QFETCH(QStringList, sameAs);
        const cToolRun expected = runHost(sameAs);
        QCOMPARE(expected.exitCode, 0);
        const cToolRun run = runShell(script, {file, path("fifo"), path("keys.q71")});
        QCOMPARE(run.err, expected.err);
        QCOMPARE(run.exitCode, 0);
        // The replay event names the file as given.
        static const QRegularExpression fileName(QStringLiteral("\"file\":\"[^\"]*\""));
        QCOMPARE(QString::fromUtf8(run.out).remove(fileName),
                 QString::fromUtf8(expected.out).remove(fileName));
    }

    // Standard output under another name: refused in one line, the file left empty. --pcap and
    // --record are checked by one function, so the rows share them out.
    void outputsThatAreTheTrace_data()
    {
        QTest::addColumn<QString>("script"); // $1 is a file of the test's
        QTest::newRow("/dev/stdout, a pipe")
            << "\"$0\" --quiet --pcap /dev/stdout | cat; exit ${PIPESTATUS[0]}";
        QTest::newRow("/dev/stdout, a file") << "exec \"$0\" --quiet --record /dev/stdout > \"$1\"";
        QTest::newRow("/proc/self/fd/1") << "exec \"$0\" --quiet --pcap /proc/self/fd/1 > \"$1\"";
        QTest::newRow("the file standard output goes to") << "exec \"$0\" --quiet --record \"$1\" >> \"$1\"";
        QTest::newRow("a link to standard output")
            << "ln -sf /dev/stdout \"$1.link\" && exec \"$0\" --quiet --pcap \"$1.link\" > \"$1\"";
    }

    void outputsThatAreTheTrace()
    {
        QFETCH(QString, script);
        const QString out = path("out");
        QFile::remove(out);
        const cToolRun run = runShell(script, {out});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("q71-host: --")
                     && run.err.endsWith(": standard output carries the trace; give the file a name\n")
                     && run.err.count('\n') == 1,
                 qPrintable(run.err));
        QCOMPARE(QFileInfo(out).size(), 0);
    }

    void outputToATerminal()
    {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0);
        QVERIFY(::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        const QString name = QString::fromLocal8Bit(::ptsname(terminal));
        const cToolRun run = runHost({"--quiet", "--record", name});
        ::close(terminal);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err,
                 "q71-host: --record " + name + ": a terminal shows the trace; give the file a name\n");
        // A device that keeps nothing loses nothing, whatever else goes there.
        QCOMPARE(runShell("exec \"$0\" --quiet --pcap /dev/null > /dev/null").exitCode, 0);
    }

    void help()
    {
        // --help-all prints the help too, Qt's options with it, and runs nothing.
        const cToolRun all = runHost({"--json", "--help-all"});
        QCOMPARE(all.exitCode, 0);
        QVERIFY2(all.out.startsWith("Usage: ") && all.out.contains("--help-all"), all.out.constData());
        QVERIFY2(!all.out.contains("{\"t\":"), all.out.constData());

        // Each line fits a terminal of 80 columns, and text wraps at its width, not before it: a line
        // that the next line's first word would have fitted on was broken early.
        const cToolRun help = runHost({"--help"});
        QCOMPARE(help.exitCode, 0);
        const QStringList lines = QString::fromUtf8(help.out).split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QString line = lines.at(i);
            QVERIFY2(line.size() <= 80, qPrintable(line));
            // The next line goes on with this one's text when it starts where that text does.
            const QString next = lines.value(i + 1);
            const int indent = int(next.size() - next.trimmed().size());
            const bool continues = indent > 2 && !next.trimmed().startsWith('-') && line.size() > indent
                && line.at(indent - 1) == ' ' && line.at(indent) != ' ';
            const QString word = next.trimmed().section(' ', 0, 0);
            QVERIFY2(!continues || line.size() + 1 + word.size() > 79, qPrintable(line + '\n' + next));
        }
    }

    void escapedTitle()
    {
        // A file name is shown as error lines show it: what a terminal would act on, escaped.
        const QString name = path(QStringLiteral("clear\x1b[2J.q71"));
        QVERIFY(writeFile(name, "plug\n"));
        const cToolRun run = runHost({name});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(!run.out.contains('\x1b'), run.out.constData());
        QVERIFY2(run.out.left(run.out.indexOf('\n')).contains("clear\\x1b[2J.q71"), run.out.constData());
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_HostInputs)
#include "tst_hostinputs.moc"
