#include "cExpectation.h"
#include "cGoldenCheck.h"
#include "cToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A short run's events: the setup start, a key, a volume step, a dropped report, a failure.
QList<cTraceEvent> run()
{
    return {
        cTraceEvent(0, TraceKind::HidWrite, {{"report", "02 08 00 00 00"}, {"cookie", -1}, {"device", 1}}),
        cTraceEvent(1, TraceKind::HidInput, {{"report", "01 00 01 00 00"}, {"dropped", true}, {"device", 2}}),
        cTraceEvent(2, TraceKind::Event,
                    {{"source", "Profiler_Events"},
                     {"name", "GKeyPressed"},
                     {"args", QJsonArray {3, "Q71", "Headset"}}}),
        cTraceEvent(3, TraceKind::Volume, {{"op", "incVolume"}, {"device", 1}}),
        cTraceEvent(3, TraceKind::Volume, {{"op", "incVolume"}, {"device", 2}}),
        cTraceEvent(4, TraceKind::Dolby, {{"enable", true}, {"device", 1}}),
        cTraceEvent(5, TraceKind::Log,
                    {{"level", "critical"}, {"message", "Failed to call 'createAudioDevice'"}}),
        cTraceEvent(6, TraceKind::Mic,
                    {{"caps", 3}, {"light", 2}, {"notify", 2}, {"muted", false}, {"device", 1}}),
    };
}

// The line a run writes for a log message of `text`.
QByteArray logLine(const QString &text)
{
    return cTraceEvent(7, TraceKind::Log, {{"level", "warning"}, {"message", text}}).toJson();
}

} // namespace

// The expect lines' words against the events they check, and --check's report of a difference.
class tst_Expectation : public QObject
{
    Q_OBJECT
private slots:

    void holds_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("got");

        QTest::newRow("bytes run together") << "write 0208 0000 00" << true << "write 02 08 00 00 00";
        QTest::newRow("other bytes") << "hid.write 02 02 04 00 00" << false << "hid.write 02 08 00 00 00";
        QTest::newRow("dropped input") << "input 01 00 01 00 00" << true << "input 01 00 01 00 00";
        QTest::newRow("args compared as far as given")
            << "event GKeyPressed 3 Q71" << true << "event GKeyPressed 3 Q71 Headset";
        QTest::newRow("args beyond the event's")
            << "event GKeyPressed 3 Q71 Headset x" << false << "event GKeyPressed 3 Q71 Headset";
        QTest::newRow("count, any device") << "2 times volume up" << true << "volume up, volume up";
        QTest::newRow("count too low") << "1\u00D7 volume" << false << "volume up, volume up";
        QTest::newRow("negated, other value") << "no volume down" << true << "volume up, volume up";
        QTest::newRow("negated, matching") << "no dolby on" << false << "dolby on";
        QTest::newRow("message contains")
            << "log critical createAudioDevice" << true << "log critical Failed to call 'createAudioDevice'";
        QTest::newRow("no such kind happened") << "error" << false << "nothing";
        QTest::newRow("microphone reading") << "mic 3 2 2 true" << false << "mic 3 2 2 false";
        QTest::newRow("nothing") << "nothing" << false
                                 << "hid.write 02 08 00 00 00, hid.input 01 00 01 00 00, event GKeyPressed, "
                                    "volume up, and 4 more";
    }

    void holds()
    {
        QFETCH(QString, words);
        QFETCH(bool, held);
        QFETCH(QString, got);
        cExpectation expectation;
        QString why;
        QVERIFY2(expectation.parse(words.split(' '), &why), qPrintable(why));
        QCOMPARE(expectation.holds(run()), held);
        QCOMPARE(expectation.got(run()), got);
        // What none of the events matched holds where nothing happened, and only `nothing` then.
        QCOMPARE(expectation.holds({}), words.startsWith("no"));
    }

    void goldenCheckReportsTheFirstDifference()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("golden.jsonl");
        QList<cTraceEvent> events;
        QByteArray golden;
        for (int i = 0; i < 6; ++i) {
            events << cTraceEvent(i, TraceKind::Latency, {{"ms", i}});
            golden += events.constLast().toJson() + '\n';
        }
        QVERIFY(writeFile(path, golden));

        // A line that differs is reported with the three before it (a run that matches to the end:
        // tst_emulator::verdicts).
        cGoldenCheck check;
        QVERIFY(check.open(path));
        for (int i = 0; i < 5; ++i)
            check.write(i == 4 ? cTraceEvent(i, TraceKind::Latency, {{"ms", 99}}) : events.at(i));
        check.finish(events.at(5));
        QVERIFY(check.differs());
        QCOMPARE(
            check.report(),
            QStringList({"--check " + path + ": line 5 differs at column 28 (- expected, + this run)",
                         "       2  {\"t\":1,\"ev\":\"latency\",\"ms\":1}",
                         "       3  {\"t\":2,\"ev\":\"latency\",\"ms\":2}",
                         "       4  {\"t\":3,\"ev\":\"latency\",\"ms\":3}",
                         "-      5  {\"t\":4,\"ev\":\"latency\",\"ms\":4}",
                         "+      5  {\"t\":4,\"ev\":\"latency\",\"ms\":99}", QString(10 + 27, ' ') + '^'}));
        // A run that ends before the earlier one did differs at the first line it lacks.
        cGoldenCheck shorter;
        QVERIFY(shorter.open(path));
        shorter.finish(events.at(0));
        QCOMPARE(shorter.report().value(0), "--check " + path + ": line 2 differs (- expected, + this run)");
        QCOMPARE(shorter.report().value(3), "+      2  (the run ended here)");
    }

    // An expectation compares a kind's fields by the names TraceKind gives them: a field that the
    // recorder writes under another name would make every expectation of it fail, whatever happened.
    // Each kind the golden runs show has each of its fields in at least one of its events.
    void everyFieldIsWrittenByItsKind()
    {
        QHash<QString, QSet<QString>> written; // kind name -> field names seen
        const QDir golden(QStringLiteral(Q71_GOLDEN_DIR));
        for (const QString &name : golden.entryList({QStringLiteral("*.jsonl")})) {
            QFile file(golden.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            while (!file.atEnd()) {
                const QJsonObject event = QJsonDocument::fromJson(file.readLine()).object();
                const QStringList keys = event.keys();
                written[event.value(QStringLiteral("ev")).toString()].unite(
                    QSet<QString>(keys.begin(), keys.end()));
            }
        }
        int checked = 0;
        for (int kind = 0; kind <= TraceKind::Summary; ++kind) {
            const QString name = TraceKind::name(TraceKind::TraceKind_t(kind));
            if (!written.contains(name))
                continue;
            for (const QString &field : TraceKind::fields(TraceKind::TraceKind_t(kind))) {
                QVERIFY2(written.value(name).contains(field), qPrintable(name + QLatin1Char(' ') + field));
                ++checked;
            }
        }
        // The goldens cover the common kinds, or the check above checked little.
        QVERIFY2(checked >= 20, qPrintable(QString::number(checked)));
    }

    void goldenCheckShowsWhereLinesDiffer_data()
    {
        QTest::addColumn<QString>("message"); // of this run's one event
        QTest::addColumn<QByteArray>("expected"); // the file's one line
        QTest::addColumn<int>("column");

        const QString longText(300, QLatin1Char('a'));
        QByteArray far = logLine(longText);
        const int farAt = int(far.indexOf('a')) + 250;
        far[farAt] = 'b';
        QTest::newRow("past what a line shows") << longText << far << farAt + 1;
        QTest::newRow("byte order mark") << QStringLiteral("ok") << "\xef\xbb\xbf" + logLine("ok") << 1;
        const QByteArray withSpace = logLine("a b");
        QTest::newRow("no-break space")
            << "a b" << logLine(QStringLiteral("a\u00a0b")) << int(withSpace.indexOf(' ')) + 1;
        QTest::newRow("carriage return of a CRLF file")
            << "ok" << logLine("ok") + '\r' << int(logLine("ok").size()) + 1;
    }

    // The two lines as shown differ where the caret points, however long the lines and whatever the
    // byte that differs.
    void goldenCheckShowsWhereLinesDiffer()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        QFETCH(int, column);

        QTemporaryDir dir;
        const QString path = dir.filePath("golden.jsonl");
        QVERIFY(writeFile(path, expected + '\n'));
        cGoldenCheck check;
        QVERIFY(check.open(path));
        check.write(cTraceEvent(7, TraceKind::Log, {{"level", "warning"}, {"message", message}}));
        QVERIFY(check.differs());

        const QStringList report = check.report();
        const QString minus = report.value(1).mid(2), plus = report.value(2).mid(2);
        QVERIFY2(minus.size() <= 8 + 200 && plus.size() <= 8 + 200, qPrintable(minus));
        int shownAt = 0;
        while (shownAt < minus.size() && shownAt < plus.size() && minus.at(shownAt) == plus.at(shownAt))
            ++shownAt;
        QVERIFY2(shownAt < qMax(minus.size(), plus.size()), qPrintable(minus));
        QCOMPARE(report.value(0),
                 QStringLiteral("--check %1: line 1 differs at column %2 (- expected, + this run)")
                     .arg(path)
                     .arg(column));
        QCOMPARE(report.value(3), QString(2 + shownAt, QLatin1Char(' ')) + QLatin1Char('^'));
        QCOMPARE(report.size(), 4);
        // Nothing but printable ASCII and the marks of a cut reaches the terminal.
        for (const QChar c : minus + plus)
            QVERIFY2((c.unicode() >= 0x20 && c.unicode() < 0x7f) || c == QChar(0x2026), qPrintable(minus));
    }
};

QTEST_GUILESS_MAIN(tst_Expectation)
#include "tst_expectation.moc"
