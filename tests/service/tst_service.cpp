#include "HeadsetsClient.h"
#include "cRunningHost.h"
#include "cTestBus.h"
#include "cToolRun.h"

#include <QtDBus>
#include <QtTest>

#include <csignal>

// q71-host --dbus serving a simulated headset on a session bus of the test's own, met by QtDBus
// clients in this process and by gdbus, as any program meets it.
namespace {

using namespace HeadsetsClient;

QList<QDBusObjectPath> headsets(QDBusConnection connection)
{
    return qdbus_cast<QList<QDBusObjectPath>>(get(connection, "Headsets", Manager, ManagerInterface));
}

QDBusMessage method(const char *path, const char *interface, const char *member)
{
    return QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(path),
                                          QLatin1String(interface), QLatin1String(member));
}

qint64 residentKb(uint pid)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const int at = status.indexOf("VmRSS:");
    return at < 0
        ? -1
        : status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ').value(0).toLongLong();
}

} // namespace

class tst_Service : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        // Neither the user's configuration nor the user's sound server.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_dir->filePath(QStringLiteral("no-server"))));
        if (!cTestBus::isAvailable())
            QSKIP("dbus-daemon is not installed");
        startBus(QString());
    }
    void cleanup()
    {
        m_client = QDBusConnection(QString());
        m_bus.reset();
        m_dir.reset();
    }
    // Every property as a client reads it, through gdbus as a script would: a virtual headset has no
    // node, no sound card and no known volume.
    void servesTheHeadsetsProperties()
    {
        cRunningHost host;
        // A capture asks the bus's facts of its devices too: the service shares them with it.
        startHost(host, QStringLiteral(Q71_VIRTUAL_HEADSET),
                  {"--pcap", m_dir->filePath(QStringLiteral("run.pcap"))});
        QCOMPARE(get(m_client, "APIVersion", Manager, ManagerInterface), QVariant(1u));
        QCOMPARE(headsets(m_client), QList<QDBusObjectPath>({QDBusObjectPath(QLatin1String(FirstHeadset))}));
        const cToolRun all = runTool(QStringLiteral("gdbus"),
                                     {"call", "--session", "-d", Service, "-o", FirstHeadset, "-m",
                                      "org.freedesktop.DBus.Properties.GetAll", HeadsetInterface});
        QCOMPARE(all.err, QString());
        QCOMPARE(
            all.out,
            QByteArray("({'Dolby': <false>, 'MicLight': <uint32 2>, 'MicNotification': <uint32 2>, "
                       "'Model': <'Q71'>, 'Name': <'Q71 Gaming Headset'>, 'Node': <''>, "
                       "'Number': <uint32 1>, 'SoundCard': <''>, 'Started': <true>, 'Volume': <-1>},)\n"));
        QCOMPARE(host.stop(SIGTERM), 143);
    }
    // Refusals are answers: the service serves on, and nothing refused reaches the file.
    void refusesWhatTheModelDoesNot()
    {
        const QString config = m_dir->filePath(QStringLiteral("q71.conf"));
        QVERIFY(writeFile(config, "[volume]\nstep=5\n"));
        cRunningHost host;
        startHost(host, QStringLiteral(Q71_VIRTUAL_HEADSET), {"--config", config});

        const QDBusMessage refused = set(m_client, "MicLight", 9u);
        QCOMPARE(refused.errorName(), QStringLiteral("org.q71.Headsets1.Error.InvalidValue"));
        QCOMPARE(refused.errorMessage(), QStringLiteral("MicLight takes 1, 2, 3, not 9"));
        QCOMPARE(set(m_client, "MicNotification", 3u).errorMessage(),
                 QStringLiteral("MicNotification takes 1, 2, not 3"));
        QCOMPARE(set(m_client, "MicNotification", 1).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        // Past what the plugin's int holds: refused before it is converted.
        QCOMPARE(set(m_client, "MicLight", 4294967295u).errorName(),
                 QStringLiteral("org.q71.Headsets1.Error.InvalidValue"));
        QCOMPARE(m_client.call(method(FirstHeadset, HeadsetInterface, "Mute")).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
        QCOMPARE(set(m_client, "Name", QStringLiteral("mine")).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));
        QCOMPARE(get(m_client, "MicLight"), QVariant(2u));
        QVERIFY(!QSettings(config, QSettings::IniFormat).contains(QStringLiteral("microphone/light")));
        QCOMPARE(set(m_client, "MicNotification", 1u).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(host.stop(SIGTERM), 143);
        // No light setting reached the headset.
        for (const QJsonObject &write : host.events(cRunningHost::kind("hid.write")))
            QVERIFY(!write.value(QStringLiteral("report")).toString().startsWith(QStringLiteral("02 02 ")));
    }
    // Reload takes the file's commands from the next event on; a file it cannot take is refused and
    // what was in use stays.
    void reloadsTheConfiguration()
    {
        const QString config = m_dir->filePath(QStringLiteral("q71.conf"));
        const QString ran = m_dir->filePath(QStringLiteral("ran"));
        const auto actions = [&ran](const char *word, const char *more) {
            return QStringLiteral("[actions]\nG1.pressed=echo %1 >> '%2'\n%3")
                .arg(QLatin1String(word), ran, QLatin1String(more))
                .toUtf8();
        };
        QVERIFY(writeFile(config, actions("one", "")));
        // The key comes once the reloads below are done.
        const QString scenario = writeScenario("plug\nstart\nwait 450ms\ninput 02 01 0A 00 00\nwait 4s\n"
                                               "input 02 10 11 00 00\ninput 02 10 00 00 00\n");
        cRunningHost host;
        startHost(host, scenario, {"--config", config});
        const QDBusMessage reload = method(Manager, ManagerInterface, "Reload");
        QVERIFY(writeFile(config, actions("two", "")));
        QCOMPARE(m_client.call(reload).type(), QDBusMessage::ReplyMessage);
        QVERIFY(writeFile(config, actions("three", "[volume]\nstep=500\n")));
        const QDBusMessage refused = m_client.call(reload);
        QCOMPARE(refused.errorName(), QStringLiteral("org.q71.Headsets1.Error.InvalidValue"));
        QVERIFY2(refused.errorMessage().contains(QStringLiteral("step=500")),
                 qPrintable(refused.errorMessage()));
        QVERIFY(host.waitFor(cRunningHost::matching("event", "name", QStringLiteral("GKeyPressed"))));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ran).size() > 0, 60000);
        QCOMPARE(readFile(ran), QByteArray("two\n"));
        QCOMPARE(host.stop(SIGTERM), 143);
    }
    // One service a user: the second says who has the name, and ends before it writes anything.
    void aSecondInstanceNamesTheOwner()
    {
        cRunningHost host;
        startHost(host, QStringLiteral(Q71_VIRTUAL_HEADSET));
        const uint pid = m_client.interface()->servicePid(QLatin1String(Service));
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QVERIFY(comm.open(QIODevice::ReadOnly));
        const cToolRun second = runTool(QStringLiteral(Q71_HOST_PROGRAM),
                                        {"--dbus", "--plugin", Q71_PLUGIN_FILE, "-"}, "plug\n");
        QCOMPARE(second.exitCode, 2);
        QCOMPARE(second.err,
                 QStringLiteral(
                     "q71-host: org.q71.Headsets1 is already served on the session bus by process %1 (%2)\n")
                     .arg(pid)
                     .arg(QString::fromLocal8Bit(comm.readAll()).trimmed()));
        QCOMPARE(second.out, QByteArray());
        QCOMPARE(get(m_client, "Started"), QVariant(true));
        QCOMPARE(host.stop(SIGTERM), 143);
    }
    // No bus to serve on is a warning: the scenario runs, and the run ends with it.
    void goesOnWithoutASessionBus()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(m_dir->filePath(QStringLiteral("no-bus"))));
        const cToolRun run
            = runTool(QStringLiteral(Q71_HOST_PROGRAM),
                      {"--dbus", "--json", "--plugin", Q71_PLUGIN_FILE, "-"}, "plug\nstart\nwait 100ms\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("q71-host: warning: no session bus")),
                 qPrintable(run.err));
        QVERIFY(run.out.contains("\"ev\":\"summary\""));
    }
    // The first call to the name starts q71-host as the activation file says, before it answers.
    void aClientStartsTheService()
    {
        startBus(QStringLiteral(Q71_ACTIVATION_DIR));
        QVERIFY(!m_client.interface()->isServiceRegistered(QLatin1String(Service)).value());
        const QDBusMessage reply = m_client.call(
            propertyCall(Manager, "Get", {QLatin1String(ManagerInterface), QStringLiteral("APIVersion")}),
            QDBus::Block, 120000);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant(), QVariant(1u));
        const uint pid = m_client.interface()->servicePid(QLatin1String(Service));
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!m_client.interface()->isServiceRegistered(QLatin1String(Service)).value(),
                                 60000);
    }
    // Three clients at once, round after round: one writes the light, one the notification, one reads
    // everything. Every call is answered with what was asked, and the service does not grow with the
    // rounds.
    void manyClientsLoseNothing()
    {
        cRunningHost host;
        // --quiet: the writes would otherwise fill the pipe of a trace nobody reads meanwhile.
        startHost(host, QStringLiteral(Q71_VIRTUAL_HEADSET), {"--quiet"});
        const QStringList names {"light", "notification", "reader"};
        QList<QDBusConnection> clients;
        for (const QString &name : names)
            clients << QDBusConnection::connectToBus(m_bus->address(), name);
        const auto rounds = [&clients](int from, int to) {
            for (int round = from; round < to; ++round) {
                const uint light = uint(round % 3 + 1);
                const uint notification = uint(round % 2 + 1);
                QList<QDBusPendingCall> calls;
                calls << clients[0].asyncCall(setCall("MicLight", light))
                      << clients[1].asyncCall(setCall("MicNotification", notification))
                      << clients[2].asyncCall(
                             propertyCall(FirstHeadset, "GetAll", {QLatin1String(HeadsetInterface)}));
                for (QDBusPendingCall &call : calls) {
                    call.waitForFinished();
                    if (call.isError()) {
                        qWarning("round %d: %s", round, qPrintable(call.error().message()));
                        return false;
                    }
                }
                if (get(clients[2], "MicLight") != QVariant(light)
                    || get(clients[2], "MicNotification") != QVariant(notification))
                    return false;
            }
            return true;
        };
        const uint pid = m_client.interface()->servicePid(QLatin1String(Service));
        QVERIFY(rounds(0, 200));
        const qint64 before = residentKb(pid);
        QVERIFY(rounds(200, 1200));
        const qint64 after = residentKb(pid);
        for (const QString &name : names)
            QDBusConnection::disconnectFromBus(name);
        QCOMPARE(host.stop(SIGTERM), 143);
        // The sanitizers keep what is freed in quarantine for a while: there memory says nothing.
#ifndef Q71_SANITIZED
        QVERIFY2(before > 0 && after - before < 2048,
                 qPrintable(QStringLiteral("VmRSS %1 kB, then %2 kB").arg(before).arg(after)));
#else
        Q_UNUSED(before);
        Q_UNUSED(after);
#endif
    }

private:
    // q71-host --dbus with `arguments` before the scenario, its headset started and served.
    void startHost(cRunningHost &host, const QString &scenario, const QStringList &arguments = {});
    QString writeScenario(const QByteArray &text);
    void startBus(const QString &serviceDir);

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<cTestBus> m_bus;
    QDBusConnection m_client {QString()};
};

// Only the activation's test gives the bus the activation file: elsewhere a client's first call
// would start a live q71-host before the test's own.
void tst_Service::startBus(const QString &serviceDir)
{
    m_client = QDBusConnection(QString());
    m_bus.reset(new cTestBus);
    QVERIFY(m_bus->start(serviceDir));
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    m_client = m_bus->connection();
}

QString tst_Service::writeScenario(const QByteArray &text)
{
    const QString path = m_dir->filePath(QStringLiteral("scenario.q71"));
    return writeFile(path, text) ? path : QString();
}

void tst_Service::startHost(cRunningHost &host, const QString &scenario, const QStringList &arguments)
{
    QVERIFY(host.start(QStringLiteral(Q71_HOST_PROGRAM),
                       QStringList {"--dbus", "--json", "--plugin", Q71_PLUGIN_FILE} + arguments
                           + QStringList {scenario}));
    QTRY_VERIFY_WITH_TIMEOUT(get(m_client, "Started").toBool(), 60000);
    // The headset's status, which sets the microphone model, has come.
    QTRY_COMPARE_WITH_TIMEOUT(get(m_client, "MicLight"), QVariant(2u), 60000);
}

QTEST_GUILESS_MAIN(tst_Service)
#include "tst_service.moc"
