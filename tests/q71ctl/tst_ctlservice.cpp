// q71ctl against a q71-host serving simulated headsets on a session bus of the test's own: what it
// lists, shows and sets is what the service has, its JSON keeps its schema, its refusals are the
// service's, and a monitor hears the simulation and ends as a user expects.
#include "HeadsetsClient.h"
#include "cRunningHost.h"
#include "cTestBus.h"
#include "cToolRun.h"

#include <QtTest>

#include <memory>
#include <utility>

namespace {

const QString g_service = QLatin1String(HeadsetsClient::Service);
const QString g_hint = QStringLiteral("; start it with: systemctl --user start q71-host\n");

// Two headsets, started, the first answering the status request and its microphone read (the
// trace's "mic" event); served until the test ends.
const QByteArray g_twoHeadsets = "plug\nplug hid:second render:second capture:second\nstart\nwait 500ms\n"
                                 "input 1 02 01 0A 00 00\nmic 1\nwait 600s\n";

// The README's promise: a headset's fields in q71ctl's JSON, each of one type.
const QMap<QString, QJsonValue::Type> g_schema = {
    {"number", QJsonValue::Double},     {"name", QJsonValue::String},
    {"model", QJsonValue::String},      {"node", QJsonValue::String},
    {"sound_card", QJsonValue::String}, {"started", QJsonValue::Bool},
    {"dolby", QJsonValue::Bool},        {"volume", QJsonValue::Double},
    {"mic_light", QJsonValue::Double},  {"mic_notification", QJsonValue::Double},
};

bool followsSchema(const QJsonObject &headset)
{
    return headset.keys() == g_schema.keys()
        && std::all_of(g_schema.keyBegin(), g_schema.keyEnd(),
                       [&](const QString &key) { return headset.value(key).type() == g_schema.value(key); });
}

cToolRun ctl(const QString &arguments)
{
    return runTool(QStringLiteral(Q71_CTL_PROGRAM), arguments.split(QLatin1Char(' ')));
}

QJsonObject json(const QString &arguments)
{
    return QJsonDocument::fromJson(ctl(arguments).out).object();
}

} // namespace

class tst_CtlService : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!cTestBus::isAvailable())
            QSKIP("dbus-daemon is not installed");
        m_dir.reset(new QTemporaryDir);
        m_bus.reset(new cTestBus);
        QVERIFY(m_bus->start());
        // q71-host and q71ctl meet on this bus; a setting the service saves lands in the test's folder.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    }
    void cleanup()
    {
        if (m_host)
            m_host->stop(SIGTERM);
        m_host.reset();
        m_bus.reset();
        m_dir.reset();
    }
    void listAndShow()
    {
        QVERIFY(startHost(g_twoHeadsets));
        QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));
        const QJsonObject listed = json(QStringLiteral("list --json"));
        QCOMPARE(listed.value(QStringLiteral("api_version")).toString(), QStringLiteral("1.0"));
        const QJsonArray headsets = listed.value(QStringLiteral("headsets")).toArray();
        QCOMPARE(headsets.size(), 2);
        for (int i = 0; i < headsets.size(); ++i) {
            QVERIFY(followsSchema(headsets.at(i).toObject()));
            QCOMPARE(headsets.at(i).toObject().value(QStringLiteral("number")).toInt(), i + 1);
        }
        // `show` gives the same object, with the values the service holds.
        const QJsonObject shown = json(QStringLiteral("show 1 --json"));
        QCOMPARE(shown.value(QStringLiteral("api_version")).toString(), QStringLiteral("1.0"));
        const QJsonObject first = shown.value(QStringLiteral("headset")).toObject();
        QCOMPARE(first, headsets.at(0).toObject());
        const QVariantMap bus = properties(1);
        for (const auto &[field, property] :
             {std::pair("name", "Name"), std::pair("started", "Started"), std::pair("volume", "Volume"),
              std::pair("mic_light", "MicLight")})
            QCOMPARE(first.value(QLatin1String(field)).toVariant().toString(),
                     bus.value(QLatin1String(property)).toString());

        // For a person: a heading and a row a headset, each cell starting where its heading does.
        const QList<QByteArray> rows = ctl(QStringLiteral("list")).out.trimmed().split('\n');
        QCOMPARE(rows.size(), 3);
        const int light = rows.at(0).indexOf("MIC LIGHT");
        QVERIFY2(rows.at(0).startsWith("HEADSET  NAME") && light > 0, rows.at(0).constData());
        QCOMPARE(rows.at(1).mid(light).split(' ').first().toInt(),
                 first.value(QStringLiteral("mic_light")).toInt());
        QVERIFY(rows.at(1).startsWith("1 ") && rows.at(2).startsWith("2 "));
        const QString show = QString::fromUtf8(ctl(QStringLiteral("show 1")).out);
        QVERIFY2(show.contains(QRegularExpression(
                     QStringLiteral("^Name: +%1$").arg(bus.value(QStringLiteral("Name")).toString()),
                     QRegularExpression::MultilineOption)),
                 qPrintable(show));

        // The completion offers the numbers the service lists.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"),
                           QStringLiteral(Q71_CTL_BIN_DIR ":") + environment.value(QStringLiteral("PATH")));
        const cToolRun completion = runTool(QStringLiteral("bash"),
                                            {"-c",
                                             "source '" Q71_CTL_COMPLETION "'; COMP_WORDS=(q71ctl show ''); "
                                             "COMP_CWORD=2; _q71ctl; echo \"${COMPREPLY[*]}\""},
                                            QByteArray(), environment);
        QCOMPARE(completion.out, QByteArray("1 2\n"));
    }
    // A setting reaches the headset and the service. A refused value or a headset the service does
    // not have is exit 2 with the words any client gets, and changes nothing.
    void setsWhatTheServiceTakes()
    {
        QVERIFY(startHost(g_twoHeadsets));
        QVERIFY(m_host->waitFor(cRunningHost::matching("mic", "device", 1)));
        const uint before = properties(1).value(QStringLiteral("MicLight")).toUInt();
        const QDBusMessage refusal = HeadsetsClient::set(m_bus->connection(), "MicLight", 9u);
        QCOMPARE(refusal.errorName(), QStringLiteral("org.q71.Headsets1.Error.InvalidValue"));
        const QString unknown = QStringLiteral("no headset %1 (q71ctl list shows them)");
        const QList<std::pair<QString, QString>> refused {{"set 1 mic-light 9", refusal.errorMessage()},
                                                          {"show 9", unknown.arg(9)},
                                                          {"show 9 --json", unknown.arg(9)},
                                                          {"set 9 mic-light 1", unknown.arg(9)},
                                                          {"show 0", unknown.arg(0)}};
        for (const auto &[arguments, says] : refused) {
            const cToolRun run = ctl(arguments);
            QCOMPARE(run.exitCode, 2);
            QVERIFY(run.out.isEmpty());
            QCOMPARE(run.err, QStringLiteral("q71ctl: ") + says + QLatin1Char('\n'));
        }
        QCOMPARE(properties(1).value(QStringLiteral("MicLight")).toUInt(), before);

        const cToolRun set = ctl(QStringLiteral("set 1 mic-light 3"));
        QCOMPARE(set.exitCode, 0);
        QVERIFY(set.out.isEmpty() && set.err.isEmpty());
        // The headset is told (the third light setting is bit 2), and the service says so.
        QVERIFY(m_host->waitFor([](const QJsonObject &event) {
            return cRunningHost::matching("hid.write", "report", QStringLiteral("02 02 04 00 00"))(event)
                && event.value(QStringLiteral("device")).toInt() == 1;
        }));
        QTRY_COMPARE(properties(1).value(QStringLiteral("MicLight")).toUInt(), 3u);
        QCOMPARE(ctl(QStringLiteral("set 2 mic-notification 1")).exitCode, 0);
        QTRY_COMPARE(properties(2).value(QStringLiteral("MicNotification")).toUInt(), 1u);
    }
    // Two monitors at once, for a person and in JSON, hear a key, the headset's Dolby switch, a
    // setting changed through the bus, a volume step, a headset unplugged (its object gone with it) and
    // another plugged.
    void monitorHearsTheSimulation()
    {
        // The key, the Dolby switch and the wheel go again and again for 12 s before the unplug, so that the
        // monitors miss nothing the test waits for, however long (within that) they take to start.
        QByteArray scenario = "plug\nstart\nwait 500ms\n";
        for (int i = 0; i < 40; ++i)
            scenario += "input 02 10 11 00 00\ninput 02 01 0B 00 00\nwait 100ms\ninput 02 10 00 00 00\n"
                        "input 02 01 0A 00 00\ninput 01 00 01 00 00\ninput 01 00 00 00 00\nwait 200ms\n";
        QVERIFY(startHost(scenario + "unplug\nplug hid:second render:second capture:second\nwait 600s\n"));
        cRunningHost text;
        cRunningHost json;
        QVERIFY(text.start(QStringLiteral(Q71_CTL_PROGRAM), {"monitor"}));
        QVERIFY(json.start(QStringLiteral(Q71_CTL_PROGRAM), {"monitor", "--json"}));
        QVERIFY(text.waitForError(QStringLiteral("monitoring"))
                && json.waitForError(QStringLiteral("monitoring")));

        const auto event = [&json](const QJsonObject &fields) {
            const QStringList keys = fields.keys();
            return json.waitFor([&](const QJsonObject &line) {
                return std::all_of(keys.cbegin(), keys.cend(),
                                   [&](const QString &key) { return line.value(key) == fields.value(key); });
            });
        };
        QVERIFY(event({{"event", "key_pressed"}, {"number", 1}, {"key", 1}}));
        QVERIFY(event({{"event", "key_released"}, {"number", 1}, {"key", 1}}));
        QVERIFY(text.waitForLine("headset 1: key 1 pressed")
                && text.waitForLine("headset 1: key 1 released"));
        QVERIFY(
            event({{"event", "property_changed"}, {"number", 1}, {"property", "dolby"}, {"value", true}}));
        QVERIFY(text.waitForLine("headset 1: Dolby: on"));
        // The headset's status says notification 2 (0x0A, 0x0B): 1 is news.
        QCOMPARE(ctl(QStringLiteral("set 1 mic-notification 1")).exitCode, 0);
        QVERIFY(event(
            {{"event", "property_changed"}, {"number", 1}, {"property", "mic_notification"}, {"value", 1}}));
        QVERIFY(text.waitForLine("headset 1: Mic notification: 1"));
        QVERIFY(event({{"event", "volume_stepped"}, {"number", 1}, {"direction", 1}}));
        QVERIFY(text.waitForLine("headset 1: volume up"));
        QVERIFY(event({{"event", "headset_removed"}, {"number", 1}}));
        QVERIFY(text.waitForLine("headset 1: removed"));
        QCOMPARE(ctl(QStringLiteral("show 1")).exitCode, 2);
        QVERIFY(event({{"event", "headset_added"}, {"number", 2}}));
        QVERIFY(text.waitForLine("headset 2: added"));
        QCOMPARE(json.stop(SIGINT), 0);
        QCOMPARE(text.stop(SIGINT), 0);
        for (const QJsonObject &line : json.events()) {
            QCOMPARE(line.value(QStringLiteral("api_version")).toString(), QStringLiteral("1.0"));
            QVERIFY(line.value(QStringLiteral("event")).isString()
                    && line.value(QStringLiteral("number")).isDouble());
        }
    }
    void monitorEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("SIGINT") << "SIGINT" << 0 << QString();
        QTest::newRow("SIGTERM") << "SIGTERM" << 0 << QString();
        QTest::newRow("the service killed")
            << "kill" << 1
            << QStringLiteral("q71ctl: the headset service org.q71.Headsets1 went away") + g_hint;
    }
    void monitorEnds()
    {
        QFETCH(QString, how);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QVERIFY(startHost(g_twoHeadsets));
        cRunningHost monitor;
        QVERIFY(monitor.start(QStringLiteral(Q71_CTL_PROGRAM), {"monitor"}));
        QVERIFY(monitor.waitForError(QStringLiteral("monitoring")));
        if (how == QLatin1String("kill"))
            m_host->stop(SIGKILL);
        const int code = how == QLatin1String("kill")
            ? monitor.waitForExit()
            : monitor.stop(how == QLatin1String("SIGINT") ? SIGINT : SIGTERM);
        QCOMPARE(code, exitCode);
        // Beside the line that it listens, only why it ended when that was not the user's doing.
        QCOMPARE(monitor.errorOutput().count(QLatin1Char('\n')), says.isEmpty() ? 1 : 2);
        QVERIFY2(monitor.errorOutput().endsWith(says), qPrintable(monitor.errorOutput()));
    }
    // `q71ctl monitor | true`: its reader gone, the monitor ends at once, and cleanly, although it
    // has nothing to write that would tell it.
    void monitorWithoutReader()
    {
        QVERIFY(startHost(g_twoHeadsets));
        const cToolRun run = runTool(QStringLiteral("bash"),
                                     {"-c",
                                      "'" Q71_CTL_PROGRAM "' monitor | true; "
                                      "echo ${PIPESTATUS[0]}"});
        QCOMPARE(run.out, QByteArray("0\n"));
        QVERIFY2(run.err.startsWith(QStringLiteral("q71ctl: monitoring"))
                     && run.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(run.err));
    }

private:
    // q71-host --dbus running `scenario` on the wall clock, once its name is on the bus.
    bool startHost(const QByteArray &scenario);
    // A headset's properties as any D-Bus client reads them, not through q71ctl.
    QVariantMap properties(uint number);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<cTestBus> m_bus;
    std::unique_ptr<cRunningHost> m_host;
};

bool tst_CtlService::startHost(const QByteArray &scenario)
{
    const QString file = m_dir->filePath(QStringLiteral("run.q71"));
    m_host.reset(new cRunningHost);
    if (!writeFile(file, scenario)
        || !m_host->start(QStringLiteral(Q71_HOST_PROGRAM), {"--dbus", "--realtime", "--json", file}))
        return false;
    QDBusConnection connection = m_bus->connection();
    const auto served
        = [&connection] { return connection.interface()->isServiceRegistered(g_service).value(); };
    if (QTest::qWaitFor([&] { return served() || !m_host->running(); }, 60000) && served())
        return true;
    if (!m_host->running())
        m_host->waitForExit();
    qWarning("q71-host does not serve %s: %s", qPrintable(g_service), qPrintable(m_host->errorOutput()));
    return false;
}

QVariantMap tst_CtlService::properties(uint number)
{
    const QByteArray path = QByteArray(HeadsetsClient::Manager) + "/headset/" + QByteArray::number(number);
    return HeadsetsClient::getAll(m_bus->connection(), path.constData());
}

QTEST_GUILESS_MAIN(tst_CtlService)
#include "tst_ctlservice.moc"
