#include "ITraceSink.h"
#include "cClock.h"
#include "cHidRecordSink.h"
#include "cTimelineSink.h"
#include "cToolRun.h"
#include "cTrace.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A bus that knows no headset.
class cNoFacts : public IDeviceFacts
{
public:
    cHidDeviceFacts hidDevice(const QString &) const override { return {}; }
};

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

// What a run's record looks like where the golden scenarios do not show it: timeline rows of
// reports the plugin never writes and of events its scenarios never cause, and the order of
// events a sink causes. The golden scenarios pin the JSON Lines and the timeline of everything else.
class tst_Trace : public QObject
{
    Q_OBJECT
private slots:
    void timelineRows();
    void eventsCausedByASinkComeAfter();
    void fileSinkReplacesOnlyWhenWhole();
};

void tst_Trace::timelineRows()
{
    const QString bad = QStringLiteral("not an output report of the headset (%1 bytes)");
    const QList<QPair<cTraceEvent, QString>> rows {
        // A value the light setting does not use (it is bit 2, not 3); a cookie of its own.
        {cTraceEvent(7, TraceKind::HidWrite, {{"report", "02 02 03 00 00"}, {"cookie", 7}, {"device", 1}}),
         "    7 ms  device 1 \u2192 headset    02 02 03 00 00  " + bad.arg(5) + " (cookie 7)"},
        {cTraceEvent(0, TraceKind::HidWrite, {{"report", "02 10 22 00 00"}, {"cookie", -1}, {"device", 1}}),
         "    0 ms  device 1 \u2192 headset    02 10 22 00 00  " + bad.arg(5)},
        {cTraceEvent(0, TraceKind::HidWrite, {{"report", "02 08"}, {"cookie", -1}}),
         "    0 ms  device \u2192 headset      02 08           " + bad.arg(2)},
        {cTraceEvent(12345, TraceKind::HidInput, {{"report", "03 00 00 00 00"}, {"device", 12}}),
         "12345 ms  headset \u2192 device 12   03 00 00 00 00  not an input report of the headset (5 bytes)"},
        {cTraceEvent(
             0, TraceKind::Replay,
             {{"file", "desk.pcapng"}, {"reports", 2}, {"first", "1700000000.250000"}, {"offset", -450}}),
         "    0 ms  emulator                              replays 2 input reports from desk.pcapng, timed "
         "from 1700000000.250000 s on the capture's clock shifted by -450 ms"},
        // One of a kind is spoken of in the singular.
        {cTraceEvent(0, TraceKind::Replay,
                     {{"file", "a.hid"}, {"reports", 1}, {"first", "0.000000"}, {"offset", 0}}),
         "    0 ms  emulator                              replays 1 input report from a.hid, timed from "
         "0.000000 s on the capture's clock"},
        {cTraceEvent(0, TraceKind::HidInput, {{"report", "02"}, {"device", 1}}),
         "    0 ms  headset → device 1    02              not an input report of the headset (1 byte)"},
        {cTraceEvent(0, TraceKind::ServiceCall,
                     {{"service", "Profiler.Profiler"},
                      {"method", "createProfilerDevice"},
                      {"args", QJsonArray {"cAbstractDevicePtr", "QString"}},
                      {"ok", false}}),
         "    0 ms  services                              call Profiler.Profiler "
         "createProfilerDevice(cAbstractDevicePtr, QString) failed"},
        {cTraceEvent(0, TraceKind::ServicePost,
                     {{"source", "Profiler_Events"},
                      {"name", "GKeyPressed"},
                      {"args", QJsonArray {}},
                      {"ok", false}}),
         "    0 ms  services                              post GKeyPressed on Profiler_Events() not handled"},
        {cTraceEvent(0, TraceKind::ServiceUnsubscribe,
                     {{"source", "MainApp_Events"}, {"receiver", "cQ71Device"}, {"ok", true}}),
         "    0 ms  services                              unsubscribe source=\"MainApp_Events\" "
         "receiver=\"cQ71Device\" ok=true"},
    };
    for (const auto &row : rows)
        QCOMPARE(cTimelineSink::line(row.first), row.second);
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

// A file sink writes under a temporary name: a run that ends without closing it leaves an existing
// file as it was, a closed one replaces it, and one that cannot be opened says which file and why.
void tst_Trace::fileSinkReplacesOnlyWhenWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.hid"));
    QVERIFY(writeFile(path, "before\n"));
    const cNoFacts facts;
    const QList<cTraceEvent> events {cTraceEvent(0, TraceKind::Start),
                                     cTraceEvent(5, TraceKind::HidInput, {{"report", "01 00 01 00 00"}})};
    {
        cHidRecordSink stopped(facts);
        QVERIFY(stopped.open(path));
        for (const cTraceEvent &event : events)
            stopped.write(event);
    }
    QCOMPARE(readFile(path), QByteArray("before\n"));

    cHidRecordSink whole(facts);
    QVERIFY(whole.open(path));
    for (const cTraceEvent &event : events)
        whole.write(event);
    QVERIFY2(whole.close(), qPrintable(whole.errorString()));
    QVERIFY2(readFile(path).contains("E: 000000.005000 5 01 00 01 00 00\n"), readFile(path).constData());

    cHidRecordSink nowhere(facts);
    const QString unwritable = dir.filePath(QStringLiteral("no/run.hid"));
    QVERIFY(!nowhere.open(unwritable));
    QVERIFY2(nowhere.errorString().startsWith(QStringLiteral("cannot write recording %1: ").arg(unwritable)),
             qPrintable(nowhere.errorString()));
    QVERIFY(!nowhere.close());
}

QTEST_GUILESS_MAIN(tst_Trace)
#include "tst_trace.moc"
