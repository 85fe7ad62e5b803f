#pragma once
#include <QtDBus>
#include <QtTest>

#include "cToolRun.h"

// A session bus of the test's own: a dbus-daemon started in a temporary directory, listening on a
// socket there, and stopped with the object. Programs the test starts with environment() talk to
// it, this process through connection(); nothing reaches the user's own session bus, and nothing
// the user's session would activate is activated here: the daemon's only service directory is
// the one start() is given.
class cTestBus
{
public:
    static bool isAvailable()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }

    cTestBus() = default;
    cTestBus(const cTestBus &) = delete;
    cTestBus &operator=(const cTestBus &) = delete;
    ~cTestBus() { stop(); }

    // `serviceDir`: where the daemon finds the .service files of what it may activate; none when
    // empty. False, with the reason on the test's log, when the daemon did not come up; one that
    // came up half way is not left behind holding the test's output.
    bool start(const QString &serviceDir = QString())
    {
        m_address = QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus"));
        const QString config = m_dir.filePath(QStringLiteral("session.conf"));
        const QString services = serviceDir.isEmpty()
            ? QString()
            : QStringLiteral("<servicedir>%1</servicedir>").arg(serviceDir);
        if (!m_dir.isValid()
            || !writeFile(
                config,
                QStringLiteral(
                    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                    "<busconfig><type>session</type><listen>%1</listen>%2"
                    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                    .arg(m_address, services)
                    .toUtf8())) {
            qWarning("cannot write the test bus's configuration in %s", qPrintable(m_dir.path()));
            return false;
        }
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                        QStringLiteral("--print-address"), QStringLiteral("--config-file=") + config});
        // The daemon prints its address once it accepts connections; its socket file is there a
        // moment earlier, between bind() and listen(), when a connection is still refused.
        const bool listening
            = m_daemon.waitForStarted(30000)
            && QTest::qWaitFor(
                  [this] { return m_daemon.canReadLine() || m_daemon.state() == QProcess::NotRunning; },
                  30000)
            && m_daemon.canReadLine();
        const QDBusConnection client = listening ? connection() : QDBusConnection(QString());
        if (client.isConnected())
            return true;
        qWarning("the test's bus at %s: %s", qPrintable(m_address),
                 listening ? qPrintable(client.lastError().message()) : "dbus-daemon did not listen");
        stop();
        return false;
    }

    void stop()
    {
        QDBusConnection::disconnectFromBus(connectionName());
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(30000))
                m_daemon.kill();
        }
    }

    QString address() const { return m_address; }
    // The test's environment with this bus as the session bus.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        return environment;
    }
    QDBusConnection connection() { return QDBusConnection::connectToBus(m_address, connectionName()); }

private:
    QString connectionName() const { return QStringLiteral("q71-test-bus:") + m_address; }

    QTemporaryDir m_dir;
    QString m_address;
    QProcess m_daemon;
};
