#include "cScenarioFile.h"
#include "cScenarioParser.h"

#include <QTemporaryDir>
#include <QtTest>

// The scenario language where the golden scenarios do not show it: the one message a malformed
// line gets, and the spellings of bytes, durations and services the goldens do not use.
class tst_ScenarioParser : public QObject
{
    Q_OBJECT
private slots:
    void malformedLine_data();
    void malformedLine();
    void everyBadLineIsReportedWithItsLine();
    void spellings();
    void valuesAsTheProgramTakesThem();
    void fileWithoutLastLineBreak();
    void errorLinesAreSafeForATerminal();
    void headsetUnits();
    void durations_data();
    void durations();
};

void tst_ScenarioParser::malformedLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("command case matters") << QByteArray("Start\n") << "demo.q71:1: unknown command 'Start'";
    QTest::newRow("start with argument")
        << QByteArray("start now\n") << "demo.q71:1: 'start' takes no arguments";
    const QString notATransport = QStringLiteral(
        "demo.q71:1: plug: '%1' is not a transport (hid, render or capture, optionally followed by :foreign, "
        ":second or a headset's number :1 to :16)");
    QTest::newRow("plug unknown kind") << QByteArray("plug usb") << notATransport.arg("usb");
    for (const char *unit : {"third", "0", "17", "03", "+3", "2x", ""}) {
        const QByteArray word = QByteArray("hid:") + unit;
        QTest::newRow(word.constData())
            << "plug render " + word << notATransport.arg(QString::fromLatin1(word));
    }
    QTest::newRow("input without bytes")
        << QByteArray("input  # nothing") << "demo.q71:1: input: no report bytes, e.g. input 02 10 11 00 00";
    QTest::newRow("wait without duration")
        << QByteArray("wait") << "demo.q71:1: wait: needs one duration, e.g. 150ms or 1.5s";
    QTest::newRow("wait negative") << QByteArray("wait -5ms")
                                   << "demo.q71:1: wait: '-5ms' is not a duration, e.g. 150ms or 1.5s";
    QTest::newRow("wait fraction of ms")
        << QByteArray("wait 1.5ms") << "demo.q71:1: wait: '1.5ms' is not a whole number of milliseconds";
    QTest::newRow("wait over a day") << QByteArray("wait 86401s")
                                     << "demo.q71:1: wait: '86401s' is longer than a day";
    QTest::newRow("wait huge") << QByteArray("wait 99999999999999999999ms")
                               << "demo.q71:1: wait: '99999999999999999999ms' is longer than a day";
    QTest::newRow("mic unknown setting")
        << QByteArray("mic volume 2")
        << "demo.q71:1: mic: expected 'mic [N]', 'mic [N] light V' or 'mic [N] notify V'";
    QTest::newRow("mic device 0") << QByteArray(
        "mic 0 light 2") << "demo.q71:1: mic: expected 'mic [N]', 'mic [N] light V' or 'mic [N] notify V'";
    QTest::newRow("info device not a number")
        << QByteArray("info x")
        << "demo.q71:1: info: expected 'info' or 'info N' with N a device number from 1 on";
    QTest::newRow("input device without bytes")
        << QByteArray("input 3") << "demo.q71:1: input: no report bytes, e.g. input 02 10 11 00 00";
    QTest::newRow("mic light not a number")
        << QByteArray("mic light two") << "demo.q71:1: mic light: 'two' is not a whole number";
    QTest::newRow("mic notify past 32 bits")
        << QByteArray("mic notify -2147483649")
        << "demo.q71:1: mic notify: '-2147483649' is out of the 32-bit range (-2147483648 to 2147483647)";
    QTest::newRow("locale without name")
        << QByteArray("locale") << "demo.q71:1: locale: needs one locale name, e.g. ja-JP";
    QTest::newRow("completions unknown")
        << QByteArray("completions sometimes") << "demo.q71:1: completions: expected on, off or twice";
    QTest::newRow("service missing state")
        << QByteArray("service audio")
        << "demo.q71:1: service: expected 'service NAME down' or 'service NAME up'";
    QTest::newRow("service bad state")
        << QByteArray("service profiler off") << "demo.q71:1: service: 'off' is neither down nor up";
    QTest::newRow("service name case matters")
        << QByteArray("service Audio up")
        << "demo.q71:1: service: unknown service 'Audio' (devmgr, profiler, audio, or a full name such as "
           "AudioDeviceManager.AudioDeviceMgr)";
    QTest::newRow("expect no kind")
        << QByteArray("expect keypress 1")
        << "demo.q71:1: expect: 'keypress' is no kind of event (write, input, event, volume, dolby, mic, "
           "validate, error, log, or another kind the JSON trace names)";
    QTest::newRow("expect count without times")
        << QByteArray("expect 2 write")
        << "demo.q71:1: expect: a count is N times or N×, e.g. expect 2 times volume up";
    QTest::newRow("expect bytes") << QByteArray("expect write 02 0")
                                  << "demo.q71:1: expect write: '02 0' is not hex bytes";
    QTest::newRow("expect too many values") << QByteArray("expect volume up twice")
                                            << "demo.q71:1: expect volume: too many values; it compares op";
    QTest::newRow("expect one of two words")
        << QByteArray("expect volume sideways")
        << "demo.q71:1: expect volume op: 'sideways' is not one of up, down";
    QTest::newRow("expect negated, misspelt")
        << QByteArray("expect no dolby of") << "demo.q71:1: expect dolby enable: 'of' is not one of on, off";
    QTest::newRow("expect number") << QByteArray("expect mic light abc")
                                   << "demo.q71:1: expect mic.set value: 'abc' is not a whole number";
    QTest::newRow("expect flag") << QByteArray("expect mic 3 2 2 yes")
                                 << "demo.q71:1: expect mic muted: 'yes' is not one of true, false";
    QTest::newRow("expect log level")
        << QByteArray("expect log loud")
        << "demo.q71:1: expect log level: 'loud' is not one of debug, info, warning, critical, fatal";
    QTest::newRow("expect transport")
        << QByteArray("expect plug usb")
        << "demo.q71:1: expect plug transport: 'usb' is not one of hid, render, capture, other";
    QTest::newRow("expect service by its short name")
        << QByteArray("expect service audio false")
        << "demo.q71:1: expect service name: 'audio' is not one of DevMgr.DevMgrLow, Profiler.Profiler, "
           "AudioDeviceManager.AudioDeviceMgr";
    QTest::newRow("locale unknown") << QByteArray(
        "locale bogus") << "demo.q71:1: locale: 'bogus' is not a locale name, e.g. ja-JP or en-US";
    QTest::newRow("expect no nothing")
        << QByteArray("expect no nothing") << "demo.q71:1: expect: 'nothing' takes no count";
}

void tst_ScenarioParser::malformedLine()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    cScenarioParser parser;
    QVERIFY(!parser.parse(QStringLiteral("demo.q71"), text));
    QCOMPARE(parser.errors(), QStringList {error});
}

void tst_ScenarioParser::everyBadLineIsReportedWithItsLine()
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

void tst_ScenarioParser::spellings()
{
    cScenarioParser parser;
    QVERIFY2(parser.parse(QStringLiteral("x"),
                          "input 0210 1a0000\nservice devmgr down\ninput 2 02 10\n"
                          "input 012 12 34\ninput 12 34\n"),
             qPrintable(parser.errors().join('\n')));
    const QList<cScenarioCommand> commands = parser.scenario().commands;
    QCOMPARE(commands.size(), 5);
    QCOMPARE(commands.at(1).service, cHostServices::DevMgr);
    // Pairs may run together and be written in either case; a device number is an odd number of
    // digits before them, for a pair is a byte.
    QStringList inputs;
    for (int i : {0, 2, 3, 4})
        inputs << QStringLiteral("%1:%2")
                      .arg(commands.at(i).device)
                      .arg(QString::fromLatin1(commands.at(i).report.toHex()));
    QCOMPARE(inputs, QStringList({"0:02101a0000", "2:0210", "12:1234", "0:1234"}));
}

// A headset by its number, :second being the second's.
void tst_ScenarioParser::headsetUnits()
{
    cScenarioParser parser;
    QVERIFY2(parser.parse(QStringLiteral("x"), "plug hid:second capture:16 render:1 hid:foreign render\n"),
             qPrintable(parser.errors().join('\n')));
    QStringList units;
    for (const cTransportChoice &choice : parser.scenario().commands.constFirst().transports)
        units << QStringLiteral("%1%2")
                     .arg(choice.origin == cTransportChoice::Foreign ? "foreign" : "unit")
                     .arg(choice.unit);
    QCOMPARE(units, QStringList({"unit2", "unit16", "unit1", "foreign1", "unit1"}));
}

void tst_ScenarioParser::valuesAsTheProgramTakesThem()
{
    // The scenario's locale is spelt as --locale's; a number compared as the trace writes it.
    cScenarioParser parser;
    QVERIFY2(parser.parse(QStringLiteral("x"),
                          "locale ja_JP\nexpect validate 007\nexpect 2 times mic notify 2 true\n"
                          "expect log warning anything at all\nexpect plug hid Q71-1-hid\n"),
             qPrintable(parser.errors().join('\n')));
    const QList<cScenarioCommand> commands = parser.scenario().commands;
    QCOMPARE(commands.size(), 5);
    QCOMPARE(commands.at(0).name, QStringLiteral("ja-JP"));
    const cTraceEvent validate(0, TraceKind::Validate, {{"result", 7}, {"device", 1}});
    QVERIFY(commands.at(1).expectation.holds({validate}));
}

void tst_ScenarioParser::fileWithoutLastLineBreak()
{
    // The reader the program uses: the last line counts, in both readings, and the end is the end.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile text(dir.filePath(QStringLiteral("s.q71")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("plug\nstart") == 10);
    text.close();
    cScenarioFile file;
    QVERIFY(file.open(text.fileName()));
    cScenarioParser parser;
    QList<int> checked;
    QVERIFY(file.check(&parser, [&](const cScenarioCommand &command) { checked << command.kind; }));
    QCOMPARE(checked, QList<int>({cScenarioCommand::Plug, cScenarioCommand::Start}));
    QList<int> read;
    cScenarioCommand command;
    while (file.next(&command))
        read << command.kind;
    QCOMPARE(read, checked);
    QVERIFY(!file.next(&command));
    QCOMPARE(file.errorString(), QString());
}

void tst_ScenarioParser::errorLinesAreSafeForATerminal()
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

void tst_ScenarioParser::durations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");
    // Decimal digits are taken as written: a binary fraction would make this 299.
    QTest::newRow("0.3s") << "0.3s" << qint64(300);
    QTest::newRow("trailing zeros") << "1.2500s" << qint64(1250);
    QTest::newRow("whole ms with zeros") << "20.00ms" << qint64(20);
    QTest::newRow("a day") << "86400s" << qint64(86400000);
}

void tst_ScenarioParser::durations()
{
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    qint64 parsed = -1;
    QString why;
    QVERIFY2(cScenarioParser::parseDuration(text, &parsed, &why), qPrintable(why));
    QCOMPARE(parsed, ms);
}

QTEST_GUILESS_MAIN(tst_ScenarioParser)
#include "tst_scenarioparser.moc"
