#include "DBusProperties.h"

#include <QDBusMessage>
#include <QStringList>

void DBusProperties::announce(const QDBusConnection &connection, const QString &path,
                              const QString &interface, const QVariantMap &changed)
{
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    // Every value is sent, so no property is left for clients to ask again (the third argument).
    signal << interface << changed << QStringList();
    connection.send(signal);
}

QVariantMap DBusProperties::changes(QVariantMap *before, const QVariantMap &now)
{
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        const auto old = before->constFind(it.key());
        if (old == before->constEnd() || *old != it.value())
            changed.insert(it.key(), it.value());
    }
    *before = now;
    return changed;
}
