#include "cHeadsetBus.h"

#include "headsetproxy.h"
#include "managerproxy.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const char g_propertiesInterface[] = "org.freedesktop.DBus.Properties";

QDBusMessage getAll(const QString &path, const QString &interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        cHeadsetBus::serviceName(), path, QLatin1String(g_propertiesInterface), QStringLiteral("GetAll"));
    call << interface;
    return call;
}

// Errors that say nobody serves the name, or nobody could be started for it.
bool isNoService(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::NoReply:
    case QDBusError::Disconnected:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return true;
    default:
        return error.name().startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."))
            || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    }
}

// Errors that say the service has no such object: a headset number it does not serve.
bool isNoObject(const QDBusError &error)
{
    return error.type() == QDBusError::UnknownObject || error.type() == QDBusError::UnknownInterface
        || error.type() == QDBusError::UnknownMethod;
}

// What `error` means to the user of q71ctl.
CtlExit::cFailure failureOf(const QDBusError &error, std::optional<uint> headset)
{
    if (isNoService(error)) {
        const QString why = error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
            ? QStringLiteral("the headset service %1 does not answer (%2)")
                  .arg(cHeadsetBus::serviceName(), error.message())
            : QStringLiteral("the headset service %1 is not running").arg(cHeadsetBus::serviceName());
        return {CtlExit::NoService, CtlExit::noServiceLine(why)};
    }
    if (headset && isNoObject(error))
        return {CtlExit::Refused, QStringLiteral("no headset %1 (q71ctl list shows them)").arg(*headset)};
    if (error.name() == QLatin1String("org.q71.Headsets1.Error.InvalidValue"))
        return {CtlExit::Refused, error.message()};
    return {CtlExit::Refused,
            QStringLiteral("the service refused: %1 (%2)").arg(error.message(), error.name())};
}

} // namespace

QString cHeadsetBus::serviceName()
{
    return QStringLiteral("org.q71.Headsets1");
}

QString cHeadsetBus::managerPath()
{
    return QStringLiteral("/org/q71/Headsets1");
}

QString cHeadsetBus::headsetPath(uint number)
{
    return managerPath() + QStringLiteral("/headset/") + QString::number(number);
}

uint cHeadsetBus::numberOf(const QString &path)
{
    return path.section(QLatin1Char('/'), -1).toUInt();
}

cHeadsetBus::cHeadsetBus(const QDBusConnection &connection)
    : m_connection(connection)
{ }

bool cHeadsetBus::headsetPaths(QStringList *paths)
{
    QDBusPendingReply<QVariantMap> reply
        = m_connection.asyncCall(getAll(managerPath(), QLatin1String(cManagerProxy::staticInterfaceName())));
    reply.waitForFinished();
    if (reply.isError())
        return fail(reply.error());
    const auto objects = qdbus_cast<QList<QDBusObjectPath>>(reply.value().value(QStringLiteral("Headsets")));
    for (const QDBusObjectPath &object : objects)
        paths->append(object.path());
    return true;
}

bool cHeadsetBus::headsets(QList<QVariantMap> *headsets)
{
    QStringList paths;
    if (!headsetPaths(&paths))
        return false;
    // All asked at once: a list of eight costs one round trip, not eight.
    QList<QDBusPendingCall> calls;
    for (const QString &path : paths)
        calls << m_connection.asyncCall(getAll(path, QLatin1String(cHeadsetProxy::staticInterfaceName())));
    for (int i = 0; i < calls.size(); ++i) {
        QDBusPendingReply<QVariantMap> reply = calls.at(i);
        reply.waitForFinished();
        // A headset unplugged between the two questions is simply no longer listed.
        if (reply.isError() && isNoObject(reply.error()))
            continue;
        if (reply.isError())
            return fail(reply.error());
        headsets->append(reply.value());
    }
    return true;
}

bool cHeadsetBus::headset(uint number, QVariantMap *properties)
{
    QDBusPendingReply<QVariantMap> reply = m_connection.asyncCall(
        getAll(headsetPath(number), QLatin1String(cHeadsetProxy::staticInterfaceName())));
    reply.waitForFinished();
    if (reply.isError())
        return fail(reply.error(), number);
    *properties = reply.value();
    return true;
}

bool cHeadsetBus::set(uint number, const HeadsetFields::cField &setting, uint value)
{
    // The property's own D-Bus type, u: the service would refuse any other.
    QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName(), headsetPath(number), QLatin1String(g_propertiesInterface), QStringLiteral("Set"));
    call << QLatin1String(cHeadsetProxy::staticInterfaceName()) << QLatin1String(setting.property)
         << QVariant::fromValue(QDBusVariant(QVariant::fromValue(value)));
    const QDBusMessage reply = m_connection.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(QDBusError(reply), number);
    return true;
}

bool cHeadsetBus::fail(const QDBusError &error, std::optional<uint> headset)
{
    m_failure = failureOf(error, headset);
    return false;
}
