#include "ITraceSink.h"
#include "ReportMeaning.h"
#include "cClock.h"
#include "cTimelineSink.h"
#include "cTrace.h"

#include <QJsonArray>
#include <QtTest>

namespace {

// A sink that records a warning the first time it is written to, as a printer whose device
// complained would: the trace must deliver that event after the one being written, not inside it.
class cNoisySink : public ITraceSink
{
public:
    explicit cNoisySink(cTrace &trace)
        : m_trace(trace)
    { }
    void write(const cTraceEvent &event) override
    {
        seen << event.kind();
        if (seen.size() == 1)
            m_trace.record(TraceKind::Log, {{QStringLiteral("level"), QStringLiteral("warning")}});
    }
    void finish(const cTraceEvent &summary) override { seen << summary.kind(); }

    QList<TraceKind::TraceKind_t> seen;

private:
    cTrace &m_trace;
};

} // namespace

// What a run's record looks like where the golden scenarios do not show it: the report meanings
// a timeline shows, the timeline's columns and the order of events a sink causes. The JSON lines
// and the summary's counts are pinned by tests/emulator/golden.
class tst_Trace : public QObject
{
    Q_OBJECT
private slots:
    void outputMeaning_data();
    void outputMeaning();
    void inputMeaning_data();
    void inputMeaning();
    void timelineColumnsLineUp();
    void eventsCausedByASinkComeAfter();
};

void tst_Trace::outputMeaning_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("meaning");
    QTest::newRow("setup start") << QByteArray::fromHex("0208000000") << "setup start";
    QTest::newRow("key 1") << QByteArray::fromHex("0210110000") << "key 1 setup";
    QTest::newRow("status") << QByteArray::fromHex("0201000000") << "status request";
    QTest::newRow("light 3 is bit 2") << QByteArray::fromHex("0202040000") << "mic light 3";
    QTest::newRow("light value 3") << QByteArray::fromHex("0202030000")
                                   << "not an output report of the headset (5 bytes)";
    QTest::newRow("notification 2") << QByteArray::fromHex("0204020000") << "mic notification 2";
    QTest::newRow("exit") << QByteArray::fromHex("0280000000") << "exit";
    QTest::newRow("keys release") << QByteArray::fromHex("0270000000") << "keys release";
    QTest::newRow("key setup with wrong code")
        << QByteArray::fromHex("0210220000") << "not an output report of the headset (5 bytes)";
    QTest::newRow("short") << QByteArray::fromHex("0208") << "not an output report of the headset (2 bytes)";
}

void tst_Trace::outputMeaning()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, meaning);
    QCOMPARE(ReportMeaning::output(report), meaning);
}

void tst_Trace::inputMeaning_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("meaning");
    QTest::newRow("volume up") << QByteArray::fromHex("0100010000") << "volume up";
    QTest::newRow("both") << QByteArray::fromHex("0100030000") << "volume up and down";
    QTest::newRow("setup request") << QByteArray::fromHex("0101000000") << "volume keys up, setup request";
    QTest::newRow("unused bits") << QByteArray::fromHex("0100fc0000") << "volume keys up";
    QTest::newRow("status 0B") << QByteArray::fromHex("02010b0000")
                               << "status: Dolby on, light 2, notification 2";
    QTest::newRow("light 2 wins over 3")
        << QByteArray::fromHex("0201060000") << "status: Dolby off, light 2, notification 1";
    QTest::newRow("keys 1 and 3") << QByteArray::fromHex("0210110033") << "keys: 1, 3 down";
    QTest::newRow("wrong code is up") << QByteArray::fromHex("0210220000") << "keys: none down";
    QTest::newRow("other sub-id") << QByteArray::fromHex("0220000000") << "answer, sub-id 20";
    QTest::newRow("four bytes") << QByteArray::fromHex("02100000")
                                << "not an input report of the headset (4 bytes)";
    QTest::newRow("other id") << QByteArray::fromHex("0300000000")
                              << "not an input report of the headset (5 bytes)";
}

void tst_Trace::inputMeaning()
{
    QFETCH(QByteArray, report);
    QFETCH(QString, meaning);
    QCOMPARE(ReportMeaning::input(report), meaning);
}

void tst_Trace::timelineColumnsLineUp()
{
    const QList<cTraceEvent> events {
        cTraceEvent(0, TraceKind::HidWrite, {{"report", "02 08 00 00 00"}, {"cookie", -1}, {"device", 1}}),
        cTraceEvent(12345, TraceKind::HidInput, {{"report", "02 01 0B 00 00"}, {"device", 12}}),
        cTraceEvent(7, TraceKind::HidWrite, {{"report", "02 02 04 00 00"}, {"cookie", 7}, {"device", 1}}),
    };
    QStringList lines;
    for (const cTraceEvent &event : events)
        lines << cTimelineSink::line(event);

    QCOMPARE(lines.at(0).indexOf(QStringLiteral("02 08")), lines.at(1).indexOf(QStringLiteral("02 01")));
    QCOMPARE(lines.at(0).indexOf(QStringLiteral("ms")), lines.at(1).indexOf(QStringLiteral("ms")));
    QVERIFY2(lines.at(0).endsWith(QStringLiteral("02 08 00 00 00  setup start")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains(QStringLiteral("headset \u2192 device 12")), qPrintable(lines.at(1)));
    QVERIFY2(lines.at(1).endsWith(QStringLiteral("status: Dolby on, light 2, notification 2")),
             qPrintable(lines.at(1)));
    // A cookie other than the device's own -1 is worth a mention.
    QVERIFY2(lines.at(2).endsWith(QStringLiteral("mic light 3 (cookie 7)")), qPrintable(lines.at(2)));

    const QString key = cTimelineSink::line(cTraceEvent(5, TraceKind::Event,
                                                        {{"source", "Profiler_Events"},
                                                         {"name", "GKeyReleased"},
                                                         {"args", QJsonArray {2, "Q71", "Headset"}}}));
    QVERIFY2(key.endsWith(QStringLiteral("key 2 released (Q71, Headset)")), qPrintable(key));
}

void tst_Trace::eventsCausedByASinkComeAfter()
{
    cClock clock;
    cTrace trace(clock);
    cNoisySink first(trace);
    cNoisySink second(trace);
    trace.addSink(&first);
    trace.addSink(&second);
    trace.record(TraceKind::Plug);
    trace.finish();
    // Each sink asked for one warning: both come after "plug", and each sink sees every event once.
    const QList<TraceKind::TraceKind_t> expected {TraceKind::Plug, TraceKind::Log, TraceKind::Log,
                                                  TraceKind::Summary};
    QCOMPARE(first.seen, expected);
    QCOMPARE(second.seen, expected);
}

QTEST_GUILESS_MAIN(tst_Trace)
#include "tst_trace.moc"
