#pragma once
#include <QVariantList>
#include <QtDBus>

// What the tests and benchmarks ask of org.q71.Headsets1 as a client, through the standard
// properties interface: the calls every one of them would otherwise spell out. The names are
// spelt here again rather than taken from the service's own, so that a renamed member of the
// public interface fails the tests instead of moving with them.
namespace HeadsetsClient {

constexpr char Service[] = "org.q71.Headsets1";
constexpr char Manager[] = "/org/q71/Headsets1";
constexpr char ManagerInterface[] = "org.q71.Headsets1.Manager";
constexpr char FirstHeadset[] = "/org/q71/Headsets1/headset/1";
constexpr char HeadsetInterface[] = "org.q71.Headsets1.Headset";

inline QDBusMessage propertyCall(const char *path, const char *member, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(path),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QLatin1String(member));
    call.setArguments(arguments);
    return call;
}

// The property's value; invalid when the call failed.
inline QVariant get(QDBusConnection connection, const char *name, const char *path = FirstHeadset,
                    const char *interface = HeadsetInterface)
{
    const QDBusReply<QDBusVariant> reply
        = connection.call(propertyCall(path, "Get", {QLatin1String(interface), QLatin1String(name)}));
    return reply.isValid() ? reply.value().variant() : QVariant();
}

// Every property of the headset at `path`; empty when the call failed.
inline QVariantMap getAll(QDBusConnection connection, const char *path = FirstHeadset)
{
    const QDBusReply<QVariantMap> reply
        = connection.call(propertyCall(path, "GetAll", {QLatin1String(HeadsetInterface)}));
    return reply.isValid() ? reply.value() : QVariantMap();
}

inline QDBusMessage setCall(const char *name, const QVariant &value)
{
    return propertyCall(
        FirstHeadset, "Set",
        {QLatin1String(HeadsetInterface), QLatin1String(name), QVariant::fromValue(QDBusVariant(value))});
}

// The reply to a write of the first headset's property `name`.
inline QDBusMessage set(QDBusConnection connection, const char *name, const QVariant &value)
{
    return connection.call(setCall(name, value));
}

} // namespace HeadsetsClient
