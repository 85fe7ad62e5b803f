#pragma once
#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

// org.freedesktop.DBus.Properties.PropertiesChanged, which QtDBus adaptors never send themselves.
namespace DBusProperties {
// Announces `changed` (name to new value) of `interface` at `path`; nothing when it is empty.
void announce(const QDBusConnection &connection, const QString &path, const QString &interface,
              const QVariantMap &changed);
// The entries of `now` that differ from `before`, which then holds `now`.
QVariantMap changes(QVariantMap *before, const QVariantMap &now);
} // namespace DBusProperties
