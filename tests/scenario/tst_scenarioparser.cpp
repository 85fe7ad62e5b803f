#include "cScenarioParser.h"

#include <QtTest>

// The scenario language where the golden scenarios do not show it: the one message a malformed
// line gets, and the spellings of bytes, durations and services the goldens do not use.
class tst_ScenarioParser : public QObject
{
    Q_OBJECT
private slots:

    void malformedLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error"); // after "demo.q71:1: "
        const auto row = [](const QByteArray &text, const QString &error) {
            QTest::newRow(text.constData()) << text << error;
        };
        row("Start\n", "unknown command 'Start'"); // case matters
        row("start now\n", "'start' takes no arguments");
        const QString notATransport = QStringLiteral("plug: '%1' is not a transport (hid, render or capture, "
                                                     "optionally followed by :foreign, :second or "
                                                     "a headset's number :1 to :16)");
        row("plug usb", notATransport.arg("usb"));
        for (const char *unit : {"third", "0", "17", "03", "+3", "2x", ""})
            row(QByteArray("plug render hid:") + unit, notATransport.arg(QLatin1String("hid:") + unit));
        const QString noBytes = QStringLiteral("input: no report bytes, e.g. input 02 10 11 00 00");
        row("input  # nothing", noBytes);
        row("input 3", noBytes);
        row("wait", "wait: needs one duration, e.g. 150ms or 1.5s");
        row("wait -5ms", "wait: '-5ms' is not a duration, e.g. 150ms or 1.5s");
        row("wait 1.5ms", "wait: '1.5ms' is not a whole number of milliseconds");
        row("wait 86401s", "wait: '86401s' is longer than a day");
        row("wait 99999999999999999999ms", "wait: '99999999999999999999ms' is longer than a day");
        const QString micForms
            = QStringLiteral("mic: expected 'mic [N]', 'mic [N] light V' or 'mic [N] notify V'");
        row("mic volume 2", micForms);
        row("mic 0 light 2", micForms);
        row("info x", "info: expected 'info' or 'info N' with N a device number from 1 on");
        row("mic light two", "mic light: 'two' is not a whole number");
        row("mic notify -2147483649",
            "mic notify: '-2147483649' is out of the 32-bit range (-2147483648 to 2147483647)");
        row("locale", "locale: needs one locale name, e.g. ja-JP");
        row("locale bogus", "locale: 'bogus' is not a locale name, e.g. ja-JP or en-US");
        row("completions sometimes", "completions: expected on, off or twice");
        row("service audio", "service: expected 'service NAME down' or 'service NAME up'");
        row("service profiler off", "service: 'off' is neither down nor up");
        row("service Audio up", // case matters
            "service: unknown service 'Audio' (devmgr, profiler, audio, or a full name such as "
            "AudioDeviceManager.AudioDeviceMgr)");
        row("expect keypress 1",
            "expect: 'keypress' is no kind of event (write, input, event, volume, dolby, mic, validate, "
            "error, "
            "log, or another kind the JSON trace names)");
        row("expect 2 write", "expect: a count is N times or N×, e.g. expect 2 times volume up");
        row("expect write 02 0", "expect write: '02 0' is not hex bytes");
        row("expect volume up twice", "expect volume: too many values; it compares op");
        row("expect mic light abc", "expect mic.set value: 'abc' is not a whole number");
        row("expect mic 3 2 2 yes", "expect mic muted: 'yes' is not one of true, false");
        row("expect log loud",
            "expect log level: 'loud' is not one of debug, info, warning, critical, fatal");
        row("expect plug usb", "expect plug transport: 'usb' is not one of hid, render, capture, other");
        // A service is expected by its full name, as the trace writes it.
        row("expect service audio false",
            "expect service name: 'audio' is not one of DevMgr.DevMgrLow, Profiler.Profiler, "
            "AudioDeviceManager.AudioDeviceMgr");
        row("expect no nothing", "expect: 'nothing' takes no count");
    }

    void malformedLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        cScenarioParser parser;
        QVERIFY(!parser.parse(QStringLiteral("demo.q71"), text));
        QCOMPARE(parser.errors(), QStringList {"demo.q71:1: " + error});
    }

    void everyBadLineIsReportedWithItsLine()
    {
        cScenarioParser parser;
        const QByteArray text = "# a comment\r\n"
                                "plug\r\n"
                                "\r\n"
                                "strat\r\n"
                                "   wait 100ms   # indented, with a comment\r\n"
                                "input 02 1\r\n"
                                "exit\r\n";
        QVERIFY(!parser.parse(QStringLiteral("s.q71"), text));
        QCOMPARE(parser.errors(),
                 QStringList({"s.q71:4: unknown command 'strat'",
                              "s.q71:6: input: '02 1' is not hex bytes, e.g. input 02 10 11 00 00"}));
        // The good lines are kept with their own line numbers.
        QList<int> lines;
        for (const cScenarioCommand &command : parser.scenario().commands)
            lines << command.line;
        QCOMPARE(lines, QList<int>({2, 5, 7}));
    }

    // Spellings the goldens do not use, each taken as the program means it.
    void spellings()
    {
        cScenarioParser parser;
        QVERIFY2(parser.parse(QStringLiteral("x"),
                              "input 0210 1a0000\nservice devmgr down\ninput 2 02 10\ninput 012 12 34\n"
                              "input 12 34\n"
                              "plug hid:second capture:16 render:1 hid:foreign render\nlocale ja_JP\n"
                              "expect validate 007\nexpect 2 times mic notify 2 true\n"
                              "expect log warning anything at all\nexpect plug hid Q71-1-hid\n"),
                 qPrintable(parser.errors().join('\n')));
        const QList<cScenarioCommand> commands = parser.scenario().commands;
        QCOMPARE(commands.size(), 11);
        QCOMPARE(commands.at(1).service, cHostServices::DevMgr);
        // Pairs may run together and be written in either case; a device number is an odd number of
        // digits before them, for a pair is a byte.
        QStringList inputs;
        for (int i : {0, 2, 3, 4})
            inputs << QString::number(commands.at(i).device) + ':' + commands.at(i).report.toHex();
        QCOMPARE(inputs, QStringList({"0:02101a0000", "2:0210", "12:1234", "0:1234"}));
        // A headset by its number, :second being the second's.
        QStringList units;
        for (const cTransportChoice &choice : commands.at(5).transports)
            units << (choice.origin == cTransportChoice::Foreign ? "foreign" : "unit")
                    + QString::number(choice.unit);
        QCOMPARE(units, QStringList({"unit2", "unit16", "unit1", "foreign1", "unit1"}));
        // The scenario's locale is spelt as --locale's; a number compared as the trace writes it.
        QCOMPARE(commands.at(6).name, QStringLiteral("ja-JP"));
        const cTraceEvent validate(0, TraceKind::Validate, {{"result", 7}, {"device", 1}});
        QVERIFY(commands.at(7).expectation.holds({validate}));
    }

    void errorLinesAreSafeForATerminal()
    {
        QByteArray text = QByteArray("beep\x07 \x1b[2J\n") + QByteArray("fly\0away\n", 9) + "input "
            + QByteArray(300, 'z') + "\n";
        for (int i = 0; i < 24; ++i)
            text += "fly\n";
        cScenarioParser parser;
        QVERIFY(!parser.parse(QStringLiteral("x"), text));
        const QStringList errors = parser.errors();
        QCOMPARE(errors.size(), 21);
        QCOMPARE(errors.at(0), QStringLiteral("x:1: unknown command 'beep\\x07'"));
        QCOMPARE(errors.at(1), QStringLiteral("x:2: unknown command 'fly\\x00away'"));
        QCOMPARE(errors.at(2).size(), 200);
        QVERIFY(errors.at(2).startsWith("x:3: input: 'zzz") && errors.at(2).endsWith(QChar(0x2026)));
        QCOMPARE(errors.at(19), QStringLiteral("x:20: unknown command 'fly'"));
        QCOMPARE(errors.last(), QStringLiteral("... and 7 more"));
    }

    void durations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms");
        // Decimal digits are taken as written: a binary fraction would make this 299.
        QTest::newRow("0.3s") << "0.3s" << qint64(300);
        QTest::newRow("trailing zeros") << "1.2500s" << qint64(1250);
        QTest::newRow("whole ms with zeros") << "20.00ms" << qint64(20);
        QTest::newRow("a day") << "86400s" << qint64(86400000);
    }

    void durations()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        qint64 parsed = -1;
        QString why;
        QVERIFY2(cScenarioParser::parseDuration(text, &parsed, &why), qPrintable(why));
        QCOMPARE(parsed, ms);
    }
};

QTEST_GUILESS_MAIN(tst_ScenarioParser)
#include "tst_scenarioparser.moc"
