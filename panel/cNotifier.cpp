#include "cNotifier.h"

#include "cHeadset.h"
#include "cHeadsetModel.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString g_service = QStringLiteral("org.freedesktop.Notifications");
const QString g_path = QStringLiteral("/org/freedesktop/Notifications");
// The server's own default lifetime.
const int g_defaultTimeout = -1;
} // namespace

cNotifier::cNotifier(const QDBusConnection &bus, cHeadsetModel *model, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    connect(model, &cHeadsetModel::plugged, this, [this](cHeadset *headset) {
        notify(headset->path(), tr("%1 plugged in").arg(cHeadsetModel::title(headset)), QString());
    });
    connect(model, &cHeadsetModel::unplugged, this, [this](const QString &path, const QString &name) {
        notify(path, tr("%1 unplugged").arg(name), QString());
    });
    connect(model, &cHeadsetModel::micChanged, this, [this](cHeadset *headset) {
        notify(headset->path(), tr("%1: microphone changed").arg(cHeadsetModel::title(headset)),
               tr("Light %1, mute notification %2").arg(headset->micLight()).arg(headset->micNotification()));
    });
}

void cNotifier::notify(const QString &path, const QString &summary, const QString &body)
{
    if (!m_enabled)
        return;
    QDBusMessage call
        = QDBusMessage::createMethodCall(g_service, g_path, g_service, QStringLiteral("Notify"));
    const QVariantMap hints {{QStringLiteral("desktop-entry"), QStringLiteral("q71-panel")}};
    call << QStringLiteral("Q71") << m_ids.value(path) << QStringLiteral("q71-panel") << summary << body
         << QStringList() << hints << g_defaultTimeout;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, path](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusPendingReply<uint> reply = *done;
        // No notification server is no notification, and nothing else to say.
        if (!reply.isError())
            m_ids.insert(path, reply.value());
    });
}
