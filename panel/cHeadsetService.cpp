#include "cHeadsetService.h"

#include "cManagerProxy.h"
#include "cPropertiesProxy.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {
const QString g_managerPath = QStringLiteral("/org/q71/Headsets1");
} // namespace

cHeadsetService::cHeadsetService(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_watcher(new QDBusServiceWatcher(serviceName(), bus, QDBusServiceWatcher::WatchForOwnerChange, this))
    , m_manager(new cManagerProxy(serviceName(), g_managerPath, bus, this))
    , m_properties(new cPropertiesProxy(serviceName(), g_managerPath, bus, this))
{
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &cHeadsetService::list);
    // A name handed straight from one owner to the next is neither unregistered nor registered.
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &oldOwner, const QString &newOwner) {
                if (!oldOwner.isEmpty() && !newOwner.isEmpty())
                    list();
            });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_running = false;
        emit stopped();
    });
}

void cHeadsetService::start()
{
    list();
}

void cHeadsetService::subscribe()
{
    // Subscribed once the bus has answered a first call: subscribed on a connection that had not
    // (in the constructor, or right after it), the match rules never reached the bus (seen with
    // Qt 6.4), and an unplugged headset stayed in the list.
    m_subscribed = true;
    connect(m_manager, &cManagerProxy::HeadsetAdded, this,
            [this](const QDBusObjectPath &path) { emit headsetAdded(path.path()); });
    connect(m_manager, &cManagerProxy::HeadsetRemoved, this,
            [this](const QDBusObjectPath &path) { emit headsetRemoved(path.path()); });
}

void cHeadsetService::list()
{
    auto *watcher
        = new QDBusPendingCallWatcher(m_properties->GetAll(cManagerProxy::staticInterfaceName()), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *call;
        if (reply.isError()) {
            // Not there, or gone again before it answered: the watcher reports its next start.
            m_running = false;
            emit stopped();
            return;
        }
        if (!m_subscribed) {
            // Listed again after the subscription, so that a headset added in between is not missed.
            subscribe();
            list();
            return;
        }
        QStringList paths;
        const auto objects
            = qdbus_cast<QList<QDBusObjectPath>>(reply.value().value(QStringLiteral("Headsets")));
        for (const QDBusObjectPath &object : objects)
            paths << object.path();
        m_running = true;
        emit listed(paths);
    });
}

void cHeadsetService::reload()
{
    auto *watcher = new QDBusPendingCallWatcher(m_manager->Reload(), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        emit reloaded(call->isError() ? call->error().message() : QString());
    });
}
