// q71ctl against a q71-host serving simulated headsets on a session bus of the test's own: what it
// lists, shows and sets is what the service has, its JSON keeps its schema, its refusals are the
// service's, and a monitor hears the simulation and ends as a user expects.
#include "cCtlMonitor.h"
#include "cRunningHost.h"
#include "cTestBus.h"
#include "cToolRun.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString g_service = QStringLiteral("org.q71.Headsets1");
const QString g_headsetInterface = QStringLiteral("org.q71.Headsets1.Headset");
const QString g_hint = QStringLiteral("; start it with: systemctl --user start q71-host\n");

// Two headsets, started, then kept served until the test ends the run. The first answers the
// status request, so that its microphone settings are known.
const QByteArray g_twoHeadsets = "plug\nplug hid:second render:second capture:second\nstart\nwait 500ms\n"
                                 "input 1 02 01 0A 00 00\nwait 600s\n";

// The schema the README promises for a headset in q71ctl's JSON.
const QList<QPair<QString, QJsonValue::Type>> g_headsetSchema = {
    {"number", QJsonValue::Double}, {"name", QJsonValue::String},    {"model", QJsonValue::String},
    {"node", QJsonValue::String},   {"sound_card", QJsonValue::String}, {"started", QJsonValue::Bool},
    {"dolby", QJsonValue::Bool},    {"volume", QJsonValue::Double},  {"mic_light", QJsonValue::Double},
    {"mic_notification", QJsonValue::Double},
};

cToolRun ctl(const QStringList &arguments)
{
    return runTool(QStringLiteral(Q71_CTL_PROGRAM), arguments);
}

QJsonObject jsonOf(const cToolRun &run)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("not JSON (%s): %s", qPrintable(error.errorString()), run.out.constData());
    return document.object();
}

// Fails the test unless `headset` has exactly the promised fields, each of its type.
bool followsSchema(const QJsonObject &headset)
{
    if (headset.size() != g_headsetSchema.size())
        return false;
    return std::all_of(g_headsetSchema.cbegin(), g_headsetSchema.cend(), [&headset](const auto &field) {
        return headset.value(field.first).type() == field.second;
    });
}

} // namespace

class tst_CtlService : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listAndShow();
    void showsWhatTheServiceHas();
    void unknownHeadset_data();
    void unknownHeadset();
    void setAccepted();
    void setRefused();
    void completesHeadsetNumbers();
    void monitorHearsTheSimulation();
    void monitorEnds_data();
    void monitorEnds();

private:
    // q71-host --dbus running `scenario` on the wall clock, served once its name is on the bus.
    bool startHost(const QByteArray &scenario);
    QVariantMap properties(uint number);

    QTemporaryDir *m_dir = nullptr;
    cTestBus *m_bus = nullptr;
    cRunningHost *m_host = nullptr;
};

void tst_CtlService::init()
{
    if (!cTestBus::isAvailable())
        QSKIP("dbus-daemon is not installed");
    m_dir = new QTemporaryDir;
    m_bus = new cTestBus;
    QVERIFY(m_bus->start());
    // Every program the test starts, q71-host and q71ctl, meets on this bus, and a setting the
    // service saves lands in the test's directory.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
}

void tst_CtlService::cleanup()
{
    if (m_host)
        m_host->stop(SIGTERM);
    delete m_host;
    m_host = nullptr;
    delete m_bus;
    m_bus = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

bool tst_CtlService::startHost(const QByteArray &scenario)
{
    const QString file = m_dir->filePath(QStringLiteral("run.q71"));
    if (!writeFile(file, scenario))
        return false;
    m_host = new cRunningHost;
    if (!m_host->start(QStringLiteral(Q71_HOST_PROGRAM), {QStringLiteral("--dbus"), QStringLiteral("--realtime"),
                                                          QStringLiteral("--json"), file}))
        return false;
    QDBusConnection connection = m_bus->connection();
    const auto served = [&connection] { return connection.interface()->isServiceRegistered(g_service).value(); };
    if (!QTest::qWaitFor([&] { return served() || !m_host->running(); }, 60000) || !served()) {
        qWarning("q71-host did not serve %s: %s", qPrintable(g_service), qPrintable(m_host->errorOutput()));
        return false;
    }
    return true;
}

// The headset's properties as any D-Bus client reads them, not through q71ctl.
QVariantMap tst_CtlService::properties(uint number)
{
    QDBusMessage call = QDBusMessage::createMethodCall(g_service, QStringLiteral("/org/q71/Headsets1/headset/%1").arg(number),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("GetAll"));
    call << g_headsetInterface;
    const QDBusMessage reply = m_bus->connection().call(call);
    return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().first());
}

void tst_CtlService::listAndShow()
{
    QVERIFY(startHost(g_twoHeadsets));
    QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));

    const cToolRun list = ctl({QStringLiteral("list"), QStringLiteral("--json")});
    QCOMPARE(list.exitCode, 0);
    const QJsonObject listed = jsonOf(list);
    QCOMPARE(listed.value(QStringLiteral("api_version")), QJsonValue(QStringLiteral("1.0")));
    const QJsonArray headsets = listed.value(QStringLiteral("headsets")).toArray();
    QCOMPARE(headsets.size(), 2);
    for (int i = 0; i < headsets.size(); ++i) {
        QVERIFY2(followsSchema(headsets.at(i).toObject()), QJsonDocument(headsets.at(i).toObject()).toJson().constData());
        QCOMPARE(headsets.at(i).toObject().value(QStringLiteral("number")).toInt(), i + 1);
    }

    // For a person: a heading, a row a headset, every column starting where its heading does.
    const cToolRun table = ctl({QStringLiteral("list")});
    QCOMPARE(table.exitCode, 0);
    const QList<QByteArray> rows = table.out.trimmed().split('\n');
    QCOMPARE(rows.size(), 3);
    QVERIFY2(rows.at(0).startsWith("HEADSET  NAME"), rows.at(0).constData());
    const int dolby = rows.at(0).indexOf("DOLBY");
    for (const QByteArray &row : rows.mid(1)) {
        QVERIFY2(row.mid(dolby, 3) == "off" || row.mid(dolby, 2) == "on", row.constData());
        QVERIFY(row.at(dolby - 1) == ' ');
    }
    QVERIFY(rows.at(1).startsWith("1 ") && rows.at(2).startsWith("2 "));

    const cToolRun show = ctl({QStringLiteral("show"), QStringLiteral("2"), QStringLiteral("--json")});
    QCOMPARE(show.exitCode, 0);
    const QJsonObject shown = jsonOf(show);
    QCOMPARE(shown.value(QStringLiteral("api_version")), QJsonValue(QStringLiteral("1.0")));
    QVERIFY(followsSchema(shown.value(QStringLiteral("headset")).toObject()));
    QCOMPARE(shown.value(QStringLiteral("headset")).toObject(), headsets.at(1).toObject());
}

// Each value q71ctl prints is the one the service holds, read here as any D-Bus client reads it.
void tst_CtlService::showsWhatTheServiceHas()
{
    QVERIFY(startHost(g_twoHeadsets));
    QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));
    const QVariantMap bus = properties(1);
    const QJsonObject headset = jsonOf(ctl({QStringLiteral("show"), QStringLiteral("1"), QStringLiteral("--json")}))
                                    .value(QStringLiteral("headset"))
                                    .toObject();
    QCOMPARE(headset.value(QStringLiteral("number")).toInt(), int(bus.value(QStringLiteral("Number")).toUInt()));
    QCOMPARE(headset.value(QStringLiteral("name")).toString(), bus.value(QStringLiteral("Name")).toString());
    QCOMPARE(headset.value(QStringLiteral("model")).toString(), bus.value(QStringLiteral("Model")).toString());
    QCOMPARE(headset.value(QStringLiteral("started")).toBool(), bus.value(QStringLiteral("Started")).toBool());
    QCOMPARE(headset.value(QStringLiteral("volume")).toInt(), bus.value(QStringLiteral("Volume")).toInt());
    QCOMPARE(headset.value(QStringLiteral("mic_light")).toInt(), int(bus.value(QStringLiteral("MicLight")).toUInt()));
    QCOMPARE(headset.value(QStringLiteral("mic_notification")).toInt(),
             int(bus.value(QStringLiteral("MicNotification")).toUInt()));

    // The human form says the same, a property a line.
    const cToolRun show = ctl({QStringLiteral("show"), QStringLiteral("1")});
    QCOMPARE(show.exitCode, 0);
    const QString text = QString::fromUtf8(show.out);
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("^Name: +%1$").arg(QRegularExpression::escape(
                                                  bus.value(QStringLiteral("Name")).toString())),
                                              QRegularExpression::MultilineOption)),
             qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(
                 QStringLiteral("^Mic light: +%1$").arg(bus.value(QStringLiteral("MicLight")).toUInt()),
                 QRegularExpression::MultilineOption)),
             qPrintable(text));
}

void tst_CtlService::unknownHeadset_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("show") << QStringList{"show", "9"};
    QTest::newRow("show --json") << QStringList{"show", "9", "--json"};
    QTest::newRow("set") << QStringList{"set", "9", "mic-light", "1"};
    QTest::newRow("zero") << QStringList{"show", "0"};
}

void tst_CtlService::unknownHeadset()
{
    QFETCH(QStringList, arguments);
    QVERIFY(startHost(g_twoHeadsets));
    const cToolRun run = ctl(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err, QStringLiteral("q71ctl: no headset %1 (q71ctl list shows them)\n").arg(arguments.at(1)));
}

void tst_CtlService::setAccepted()
{
    QVERIFY(startHost(g_twoHeadsets));
    QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));
    const cToolRun set = ctl({QStringLiteral("set"), QStringLiteral("1"), QStringLiteral("mic-light"), QStringLiteral("3")});
    QCOMPARE(set.exitCode, 0);
    QVERIFY(set.out.isEmpty() && set.err.isEmpty());
    // The headset is told (the third light setting is bit 2), and the service says so.
    QVERIFY(m_host->waitFor([](const QJsonObject &event) {
        return cRunningHost::matching("hid.write", "report", QStringLiteral("02 02 04 00 00"))(event)
            && event.value(QStringLiteral("device")).toInt() == 1;
    }));
    QTRY_COMPARE(properties(1).value(QStringLiteral("MicLight")).toUInt(), 3u);
    const QJsonObject shown = jsonOf(ctl({QStringLiteral("show"), QStringLiteral("1"), QStringLiteral("--json")}));
    QCOMPARE(shown.value(QStringLiteral("headset")).toObject().value(QStringLiteral("mic_light")).toInt(), 3);

    QCOMPARE(ctl({QStringLiteral("set"), QStringLiteral("2"), QStringLiteral("mic-notification"), QStringLiteral("1")}).exitCode, 0);
    QTRY_COMPARE(properties(2).value(QStringLiteral("MicNotification")).toUInt(), 1u);
}

// A refused value: the service's own message, exit 2, and nothing changed.
void tst_CtlService::setRefused()
{
    QVERIFY(startHost(g_twoHeadsets));
    QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));
    const uint before = properties(1).value(QStringLiteral("MicLight")).toUInt();
    // What the service answers any client that writes 9.
    QDBusMessage call = QDBusMessage::createMethodCall(g_service, QStringLiteral("/org/q71/Headsets1/headset/1"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Set"));
    call << g_headsetInterface << QStringLiteral("MicLight") << QVariant::fromValue(QDBusVariant(QVariant::fromValue(9u)));
    const QDBusMessage refusal = m_bus->connection().call(call);
    QCOMPARE(refusal.errorName(), QStringLiteral("org.q71.Headsets1.Error.InvalidValue"));
    QVERIFY(!refusal.errorMessage().isEmpty());

    const cToolRun set = ctl({QStringLiteral("set"), QStringLiteral("1"), QStringLiteral("mic-light"), QStringLiteral("9")});
    QCOMPARE(set.exitCode, 2);
    QVERIFY(set.out.isEmpty());
    QCOMPARE(set.err, QStringLiteral("q71ctl: ") + refusal.errorMessage() + QLatin1Char('\n'));
    QCOMPARE(properties(1).value(QStringLiteral("MicLight")).toUInt(), before);
    QCOMPARE(ctl({QStringLiteral("show"), QStringLiteral("1")}).exitCode, 0);
}

void tst_CtlService::completesHeadsetNumbers()
{
    QVERIFY(startHost(g_twoHeadsets));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), QStringLiteral(Q71_CTL_BIN_DIR ":") + environment.value(QStringLiteral("PATH")));
    const cToolRun run = runTool(QStringLiteral("bash"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("source '" Q71_CTL_COMPLETION "'; COMP_WORDS=(q71ctl set ''); "
                                                 "COMP_CWORD=2; _q71ctl; echo \"${COMPREPLY[*]}\"")},
                                 QByteArray(), environment);
    QCOMPARE(run.out, QByteArray("1 2\n"));
}

// Two monitors at once, one for a person and one in JSON, hear a key, a setting changed through
// the bus and a headset unplugged, each in order.
void tst_CtlService::monitorHearsTheSimulation()
{
    // The key is pressed again and again until the test has heard it: however long the monitors
    // take to start, they miss nothing the test waits for.
    QByteArray scenario = "plug\nstart\nwait 500ms\n";
    for (int i = 0; i < 100; ++i)
        scenario += "input 02 10 11 00 00\nwait 100ms\ninput 02 10 00 00 00\nwait 200ms\n";
    QVERIFY(startHost(scenario + "unplug\nwait 600s\n"));
    cCtlMonitor text;
    cCtlMonitor json;
    QVERIFY(text.start());
    QVERIFY(json.start({QStringLiteral("--json")}));
    QVERIFY(text.waitUntilListening());
    QVERIFY(json.waitUntilListening());

    QVERIFY(json.waitForEvent({{"event", "key_pressed"}, {"number", 1}, {"key", 1}}));
    QVERIFY(json.waitForEvent({{"event", "key_released"}, {"number", 1}, {"key", 1}}));
    QVERIFY(text.waitForLine("headset 1: key 1 pressed"));
    QVERIFY(text.waitForLine("headset 1: key 1 released"));

    QCOMPARE(ctl({QStringLiteral("set"), QStringLiteral("1"), QStringLiteral("mic-notification"), QStringLiteral("2")}).exitCode, 0);
    QVERIFY(json.waitForEvent({{"event", "property_changed"}, {"number", 1}, {"property", "mic_notification"}, {"value", 2}}));
    QVERIFY(text.waitForLine("headset 1: Mic notification: 2"));

    QVERIFY(json.waitForEvent({{"event", "headset_removed"}, {"number", 1}}));
    QVERIFY(text.waitForLine("headset 1: removed"));
    QCOMPARE(json.stop(SIGINT), 0);
    QCOMPARE(text.stop(SIGINT), 0);
    // Every line a JSON object of its own, each with the version and what happened to which headset.
    for (const QByteArray &line : json.lines()) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        QCOMPARE(event.value(QStringLiteral("api_version")), QJsonValue(QStringLiteral("1.0")));
        QVERIFY2(event.value(QStringLiteral("event")).isString() && event.value(QStringLiteral("number")).isDouble(),
                 line.constData());
    }
}

void tst_CtlService::monitorEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("SIGINT") << "SIGINT" << 0 << QString();
    QTest::newRow("SIGTERM") << "SIGTERM" << 0 << QString();
    QTest::newRow("its reader gone") << "close" << 0 << QString();
    QTest::newRow("the service killed")
        << "kill" << 1 << QStringLiteral("q71ctl: the headset service org.q71.Headsets1 went away") + g_hint;
}

void tst_CtlService::monitorEnds()
{
    QFETCH(QString, how);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QVERIFY(startHost(g_twoHeadsets));
    cCtlMonitor monitor;
    QVERIFY(monitor.start());
    QVERIFY(monitor.waitUntilListening());
    int code = -1;
    if (how == QLatin1String("SIGINT") || how == QLatin1String("SIGTERM")) {
        code = monitor.stop(how == QLatin1String("SIGINT") ? SIGINT : SIGTERM);
    } else if (how == QLatin1String("close")) {
        monitor.closeOutput();
        code = monitor.waitForExit();
    } else {
        m_host->stop(SIGKILL);
        code = monitor.waitForExit();
    }
    QCOMPARE(code, exitCode);
    // Beside the line that it listens, nothing but why it ended, if that is not the user's doing.
    const QStringList lines = monitor.errorOutput().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == (says.isEmpty() ? 1 : 2), qPrintable(monitor.errorOutput()));
    QVERIFY2(monitor.errorOutput().endsWith(says), qPrintable(monitor.errorOutput()));
}

QTEST_GUILESS_MAIN(tst_CtlService)
#include "tst_ctlservice.moc"
