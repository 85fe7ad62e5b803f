#include "cHeadsetMonitor.h"

#include "HeadsetReport.h"
#include "cCtlOutput.h"
#include "cHeadsetBus.h"
#include "cHeadsetWatch.h"
#include "managerproxy.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QJsonDocument>

cHeadsetMonitor::cHeadsetMonitor(const QDBusConnection &connection, bool json, cCtlOutput *output,
                                 QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_json(json)
    , m_output(output)
{
    connect(m_output, &cCtlOutput::closed, this, [this] { emit finished({CtlExit::Ok, QString()}); });
}

bool cHeadsetMonitor::start(CtlExit::cFailure *failure)
{
    // The first question starts the service where the bus may, or says there is none. QtDBus
    // (6.4 as tested) hands a proxy made before it no signals at all.
    cHeadsetBus bus(m_connection);
    QStringList paths;
    if (!bus.headsetPaths(&paths)) {
        *failure = bus.failure();
        return false;
    }
    auto *watcher = new QDBusServiceWatcher(cHeadsetBus::serviceName(), m_connection,
                                            QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &cHeadsetMonitor::onServiceGone);
    m_manager = new cManagerProxy(cHeadsetBus::serviceName(), cHeadsetBus::managerPath(), m_connection, this);
    connect(m_manager, &cManagerProxy::HeadsetAdded, this,
            [this](const QDBusObjectPath &path) { onHeadsetAdded(path.path()); });
    connect(m_manager, &cManagerProxy::HeadsetRemoved, this,
            [this](const QDBusObjectPath &path) { onHeadsetRemoved(path.path()); });
    // Listening now, asking again: a headset added since the first answer is in this one or is
    // heard, and one that is both is watched once.
    paths.clear();
    if (!bus.headsetPaths(&paths)) {
        *failure = bus.failure();
        return false;
    }
    for (const QString &path : paths)
        watch(path);
    // The bus handles a connection's messages in order: once it has answered this, every match
    // rule asked for above is in place, and nothing the headsets do from now on is missed.
    m_connection.interface()->serviceOwner(cHeadsetBus::serviceName());
    return true;
}

void cHeadsetMonitor::watch(const QString &path)
{
    if (m_headsets.contains(path))
        return;
    auto *headset = new cHeadsetWatch(m_connection, path, this);
    connect(headset, &cHeadsetWatch::happened, this, &cHeadsetMonitor::print);
    m_headsets.insert(path, headset);
}

void cHeadsetMonitor::onHeadsetAdded(const QString &path)
{
    watch(path);
    print({cHeadsetBus::numberOf(path), QStringLiteral("headset_added"), {}, QStringLiteral("added")});
}

void cHeadsetMonitor::onHeadsetRemoved(const QString &path)
{
    delete m_headsets.take(path);
    print({cHeadsetBus::numberOf(path), QStringLiteral("headset_removed"), {}, QStringLiteral("removed")});
}

void cHeadsetMonitor::onServiceGone()
{
    emit finished({CtlExit::NoService,
                   CtlExit::noServiceLine(
                       QStringLiteral("the headset service %1 went away").arg(cHeadsetBus::serviceName()))});
}

void cHeadsetMonitor::print(const cMonitorEvent &event)
{
    QByteArray line;
    if (m_json) {
        QJsonObject object = HeadsetReport::envelope();
        object.insert(QStringLiteral("event"), event.name);
        object.insert(QStringLiteral("number"), static_cast<qint64>(event.number));
        for (auto it = event.fields.constBegin(); it != event.fields.constEnd(); ++it)
            object.insert(it.key(), it.value());
        line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    } else {
        line = QStringLiteral("headset %1: %2\n").arg(event.number).arg(event.text).toUtf8();
    }
    m_output->write(line);
}
