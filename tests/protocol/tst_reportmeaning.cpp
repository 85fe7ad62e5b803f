#include "ReportMeaning.h"

#include <QtTest>

// The golden timelines name every report the plugin writes and every answer the scenarios feed;
// what they never show is a report that is almost one of the headset's, which must not borrow the
// name of the one it resembles.
class tst_ReportMeaning : public QObject
{
    Q_OBJECT
private slots:
    void nearMissesAreNotNamed_data()
    {
        QTest::addColumn<bool>("output");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("meaning");
        const auto row = [](const char *name, bool output, const char *report, const char *meaning) {
            QTest::newRow(name) << output << report << meaning;
        };
        const char *const notOutput = "not an output report of the headset (5 bytes)";

        row("light value 3", true, "02 02 03 00 00", notOutput);
        row("light value 4", true, "02 02 04 00 00", "mic light 3");
        row("notification 4", true, "02 04 04 00 00", notOutput);
        row("key 2 with key 1's code", true, "02 20 11 00 00", notOutput);
        row("status, any value", true, "02 01 7F 00 00", "status request");
        row("input id on output", true, "01 08 00 00 00", notOutput);
        row("one byte", true, "02", "not an output report of the headset (1 byte)");
        row("six bytes", false, "02 10 11 22 33 00", "not an input report of the headset (6 bytes)");
        row("keys out of place", false, "02 10 22 11 00", "keys: none down");
        row("keys 1 and 3", false, "02 10 11 00 33", "keys: 1, 3 down");
        row("light 3, notification 2", false, "02 01 0D 00 00", "status: Dolby on, light 3, notification 2");
        row("unknown answer", false, "02 20 00 00 00", "answer, sub-id 20");
        row("both volume keys", false, "01 01 03 00 00", "volume up and down, setup request");
    }

    void nearMissesAreNotNamed()
    {
        QFETCH(bool, output);
        QFETCH(QString, report);
        QFETCH(QString, meaning);
        const QByteArray bytes = ReportMeaning::fromHex(report);
        QCOMPARE(ReportMeaning::hex(bytes), report);
        QCOMPARE(output ? ReportMeaning::output(bytes) : ReportMeaning::input(bytes), meaning);
    }
};

QTEST_APPLESS_MAIN(tst_ReportMeaning)

#include "tst_reportmeaning.moc"
