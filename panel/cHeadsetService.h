#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QStringList>

class QDBusServiceWatcher;
class cManagerProxy;
class cPropertiesProxy;

// The service on the session bus, followed as it comes and goes: QDBusServiceWatcher tells when
// the name gets or loses its owner, so nothing polls. While it runs, the headsets it serves are
// listed once (listed()) and then followed through its signals.
class cHeadsetService : public QObject
{
    Q_OBJECT
public:
    static QString serviceName() { return QStringLiteral("org.q71.Headsets1"); }
    // What the user runs to start the service, for the messages that say it is not running.
    static QString startCommand() { return QStringLiteral("systemctl --user start q71-host"); }

    explicit cHeadsetService(const QDBusConnection &bus, QObject *parent = nullptr);

    // Looks whether the service is there: listed() when it is, stopped() when not.
    void start();
    bool isRunning() const { return m_running; }
    QDBusConnection bus() const { return m_bus; }

    // Asks the service to read the configuration file again; reloaded() carries its answer (an
    // empty message when it took the file).
    void reload();

signals:
    // The service answered with the headsets it serves now.
    void listed(const QStringList &paths);
    void stopped();
    void headsetAdded(const QString &path);
    void headsetRemoved(const QString &path);
    void reloaded(const QString &error);

private:
    void list();
    void subscribe();

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    cManagerProxy *m_manager;
    cPropertiesProxy *m_properties;
    bool m_running = false;
    bool m_subscribed = false;
};
