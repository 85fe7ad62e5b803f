#include "cScenarioParser.h"

#include <QtTest>

// The scenario language: what each line turns into, and the one message a malformed line gets.
class tst_ScenarioParser : public QObject
{
    Q_OBJECT
private slots:
    void malformedLine_data();
    void malformedLine();
    void everyBadLineIsReportedWithItsLine();
    void commands();
    void plugChoices_data();
    void plugChoices();
    void inputBytes_data();
    void inputBytes();
    void durations_data();
    void durations();
    void services_data();
    void services();
};

void tst_ScenarioParser::malformedLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown command") << QByteArray("plug\nsleep 5ms\n")
                                     << "demo.q71:2: unknown command 'sleep'";
    QTest::newRow("command case matters") << QByteArray("Start\n") << "demo.q71:1: unknown command 'Start'";
    QTest::newRow("start with argument")
        << QByteArray("start now\n") << "demo.q71:1: 'start' takes no arguments";
    QTest::newRow("plug unknown kind")
        << QByteArray("plug usb")
        << "demo.q71:1: plug: 'usb' is not a transport (hid, render or capture, optionally followed by "
           ":foreign or :second)";
    QTest::newRow("plug unknown origin")
        << QByteArray("plug hid:third")
        << "demo.q71:1: plug: 'hid:third' is not a transport (hid, render or capture, optionally followed by "
           ":foreign or :second)";
    QTest::newRow("input without bytes")
        << QByteArray("input  # nothing") << "demo.q71:1: input: no report bytes, e.g. input 02 10 11 00 00";
    QTest::newRow("input odd digits")
        << QByteArray("input 02 1 11")
        << "demo.q71:1: input: '02 1 11' is not hex bytes, e.g. input 02 10 11 00 00";
    QTest::newRow("input 0x prefix") << QByteArray(
        "input 0x02") << "demo.q71:1: input: '0x02' is not hex bytes, e.g. input 02 10 11 00 00";
    QTest::newRow("wait without duration")
        << QByteArray("wait") << "demo.q71:1: wait: needs one duration, e.g. 150ms or 1.5s";
    QTest::newRow("wait without unit")
        << QByteArray("wait 150") << "demo.q71:1: wait: '150' is not a duration, e.g. 150ms or 1.5s";
    QTest::newRow("wait negative") << QByteArray("wait -5ms")
                                   << "demo.q71:1: wait: '-5ms' is not a duration, e.g. 150ms or 1.5s";
    QTest::newRow("wait fraction of ms")
        << QByteArray("wait 1.5ms") << "demo.q71:1: wait: '1.5ms' is not a whole number of milliseconds";
    QTest::newRow("wait over a day") << QByteArray("wait 86401s")
                                     << "demo.q71:1: wait: '86401s' is longer than a day";
    QTest::newRow("wait huge") << QByteArray("wait 99999999999999999999ms")
                               << "demo.q71:1: wait: '99999999999999999999ms' is longer than a day";
    QTest::newRow("mic unknown setting")
        << QByteArray("mic volume 2") << "demo.q71:1: mic: expected 'mic', 'mic light N' or 'mic notify N'";
    QTest::newRow("mic light not a number")
        << QByteArray("mic light two") << "demo.q71:1: mic light: 'two' is not a whole number";
    QTest::newRow("locale without name")
        << QByteArray("locale") << "demo.q71:1: locale: needs one locale name, e.g. ja-JP";
    QTest::newRow("completions unknown")
        << QByteArray("completions sometimes") << "demo.q71:1: completions: expected on, off or twice";
    QTest::newRow("service missing state")
        << QByteArray("service audio")
        << "demo.q71:1: service: expected 'service NAME down' or 'service NAME up'";
    QTest::newRow("service unknown")
        << QByteArray("service mixer down")
        << "demo.q71:1: service: unknown service 'mixer' (devmgr, profiler, audio, or a full name such as "
           "AudioDeviceManager.AudioDeviceMgr)";
    QTest::newRow("service bad state")
        << QByteArray("service profiler off") << "demo.q71:1: service: 'off' is neither down nor up";
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

void tst_ScenarioParser::commands()
{
    cScenarioParser parser;
    const QByteArray text = "start\nstop\ninfo\nexit\nmic\nmic light 3\nmic notify 3\nlocale ja-JP\n"
                            "latency 0ms\ncompletions off\ncompletions twice\ncompletions on\n"
                            "service audio down\nservice Profiler.Profiler up\nwait 2s\n";
    QVERIFY2(parser.parse(QStringLiteral("x"), text), qPrintable(parser.errors().join('\n')));
    const QList<cScenarioCommand> commands = parser.scenario().commands;
    QCOMPARE(commands.size(), 15);
    QCOMPARE(parser.scenario().source, QStringLiteral("x"));

    const QList<cScenarioCommand::Kind> kinds {
        cScenarioCommand::Start,       cScenarioCommand::Stop,        cScenarioCommand::Info,
        cScenarioCommand::Exit,        cScenarioCommand::MicRead,     cScenarioCommand::MicLight,
        cScenarioCommand::MicNotify,   cScenarioCommand::Locale,      cScenarioCommand::Latency,
        cScenarioCommand::Completions, cScenarioCommand::Completions, cScenarioCommand::Completions,
        cScenarioCommand::Service,     cScenarioCommand::Service,     cScenarioCommand::Wait,
    };
    for (int i = 0; i < kinds.size(); ++i)
        QCOMPARE(int(commands.at(i).kind), int(kinds.at(i)));

    QCOMPARE(commands.at(5).value, 3);
    // Values outside the microphone's settings are the model's to refuse, not the parser's.
    QCOMPARE(commands.at(6).value, 3);
    QCOMPARE(commands.at(6).keyword(), QStringLiteral("mic"));
    QCOMPARE(commands.at(7).name, QStringLiteral("ja-JP"));
    QCOMPARE(commands.at(8).ms, qint64(0));
    QCOMPARE(commands.at(9).completions, cSimHidTransport::CompleteNever);
    QCOMPARE(commands.at(10).completions, cSimHidTransport::CompleteTwice);
    QCOMPARE(commands.at(11).completions, cSimHidTransport::CompleteOnce);
    QCOMPARE(commands.at(12).service, cHostServices::AudioDeviceMgr);
    QCOMPARE(commands.at(12).up, false);
    QCOMPARE(commands.at(13).service, cHostServices::Profiler);
    QCOMPARE(commands.at(13).up, true);
    QCOMPARE(commands.at(14).ms, qint64(2000));
}

void tst_ScenarioParser::plugChoices_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("kinds");
    QTest::addColumn<QList<int>>("origins");

    const int hid = TransportKind::Hid, render = TransportKind::Render, capture = TransportKind::Capture;
    const int own = cTransportChoice::Headset, foreign = cTransportChoice::Foreign,
              second = cTransportChoice::Second;
    QTest::newRow("default is all three in order")
        << QByteArray("plug") << QList<int> {hid, render, capture} << QList<int> {own, own, own};
    QTest::newRow("unplug default") << QByteArray("unplug") << QList<int> {hid, render, capture}
                                    << QList<int> {own, own, own};
    QTest::newRow("chosen order kept")
        << QByteArray("plug capture hid") << QList<int> {capture, hid} << QList<int> {own, own};
    QTest::newRow("foreign and second") << QByteArray("plug render:foreign hid:second")
                                        << QList<int> {render, hid} << QList<int> {foreign, second};
}

void tst_ScenarioParser::plugChoices()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, kinds);
    QFETCH(QList<int>, origins);
    cScenarioParser parser;
    QVERIFY(parser.parse(QStringLiteral("x"), line));
    const QList<cTransportChoice> choices = parser.scenario().commands.value(0).transports;
    QCOMPARE(choices.size(), kinds.size());
    for (int i = 0; i < choices.size(); ++i) {
        QCOMPARE(int(choices.at(i).kind), kinds.at(i));
        QCOMPARE(int(choices.at(i).origin), origins.at(i));
    }
}

void tst_ScenarioParser::inputBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("report");
    QTest::newRow("pairs") << QByteArray("input 02 10 11 00 00") << QByteArray::fromHex("0210110000");
    QTest::newRow("run together") << QByteArray("input 0210 110000") << QByteArray::fromHex("0210110000");
    QTest::newRow("lower case") << QByteArray("input 02 01 0a 00 00") << QByteArray::fromHex("02010a0000");
    QTest::newRow("any length") << QByteArray("input 02") << QByteArray::fromHex("02");
}

void tst_ScenarioParser::inputBytes()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, report);
    cScenarioParser parser;
    QVERIFY(parser.parse(QStringLiteral("x"), line));
    QCOMPARE(parser.scenario().commands.value(0).report, report);
}

void tst_ScenarioParser::durations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("ms") << "150ms" << qint64(150);
    QTest::newRow("zero") << "0ms" << qint64(0);
    QTest::newRow("seconds") << "2s" << qint64(2000);
    QTest::newRow("fraction") << "1.5s" << qint64(1500);
    // Decimal digits are taken as written: a binary fraction would make this 299.
    QTest::newRow("0.3s") << "0.3s" << qint64(300);
    QTest::newRow("ms precision") << "0.001s" << qint64(1);
    QTest::newRow("trailing zeros") << "1.2500s" << qint64(1250);
    QTest::newRow("whole ms with zeros") << "20.00ms" << qint64(20);
    QTest::newRow("leading zeros") << "0007ms" << qint64(7);
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

void tst_ScenarioParser::services_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("service");
    QTest::newRow("devmgr") << "devmgr" << int(cHostServices::DevMgr);
    QTest::newRow("DevMgr.DevMgrLow") << "DevMgr.DevMgrLow" << int(cHostServices::DevMgr);
    QTest::newRow("profiler") << "profiler" << int(cHostServices::Profiler);
    QTest::newRow("Profiler.Profiler") << "Profiler.Profiler" << int(cHostServices::Profiler);
    QTest::newRow("audio") << "audio" << int(cHostServices::AudioDeviceMgr);
    QTest::newRow("full audio") << "AudioDeviceManager.AudioDeviceMgr" << int(cHostServices::AudioDeviceMgr);
    QTest::newRow("case matters") << "Audio" << -1;
    QTest::newRow("half a name") << "AudioDeviceManager" << -1;
}

void tst_ScenarioParser::services()
{
    QFETCH(QString, name);
    QFETCH(int, service);
    cHostServices::Service parsed = cHostServices::DevMgr;
    QCOMPARE(cScenarioParser::parseService(name, &parsed), service >= 0);
    if (service >= 0)
        QCOMPARE(int(parsed), service);
}

QTEST_GUILESS_MAIN(tst_ScenarioParser)
#include "tst_scenarioparser.moc"
