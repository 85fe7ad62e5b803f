#include "cHeadsetTree.h"

#include "HeadsetAdaptor.h"
#include "ServiceNames.h"
#include "cHeadsetObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMetaClassInfo>
#include <QMetaProperty>

namespace {

const char g_properties[] = "org.freedesktop.DBus.Properties";
const char g_introspectable[] = "org.freedesktop.DBus.Introspectable";

QDBusMessage error(const QDBusMessage &message, const char *name, const QString &text)
{
    return message.createErrorReply(QLatin1String(name), text);
}

// The interface's property `name`, or an invalid one.
QMetaProperty propertyOf(const cHeadsetObject &headset, const QString &name)
{
    const QMetaObject *meta = headset.adaptor()->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    return index >= meta->propertyOffset() ? meta->property(index) : QMetaProperty();
}

} // namespace

cHeadsetTree::cHeadsetTree(const QMap<int, cHeadsetObject *> &headsets, QObject *parent)
    : QDBusVirtualObject(parent)
    , m_headsets(headsets)
{ }

QString cHeadsetTree::rootPath()
{
    QString prefix = QLatin1String(ServiceNames::HeadsetPathPrefix);
    prefix.chop(1);
    return prefix;
}

cHeadsetObject *cHeadsetTree::headsetAt(const QString &path) const
{
    if (!path.startsWith(QLatin1String(ServiceNames::HeadsetPathPrefix)))
        return nullptr;
    bool number = false;
    const int device = path.mid(int(qstrlen(ServiceNames::HeadsetPathPrefix))).toInt(&number);
    return number ? m_headsets.value(device) : nullptr;
}

QString cHeadsetTree::interfaceXml()
{
    const QMetaObject &meta = HeadsetAdaptor::staticMetaObject;
    return QString::fromUtf8(meta.classInfo(meta.indexOfClassInfo("D-Bus Introspection")).value());
}

QString cHeadsetTree::introspect(const QString &path) const
{
    if (headsetAt(path))
        return interfaceXml();
    QString children;
    if (path == rootPath()) {
        for (auto it = m_headsets.constBegin(); it != m_headsets.constEnd(); ++it)
            children += QStringLiteral("  <node name=\"%1\"/>\n").arg(it.key());
    }
    return children;
}

bool cHeadsetTree::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString interface = message.interface();
    const QString member = message.member();
    if (interface == QLatin1String(g_introspectable) && member == QLatin1String("Introspect")) {
        connection.send(message.createReply(
            QStringLiteral(
                "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n%1</node>\n")
                .arg(introspect(message.path()))));
        return true;
    }
    // Every call is answered here: QtDBus would call an unknown member's path no object at all.
    cHeadsetObject *headset = headsetAt(message.path());
    const bool properties = interface == QLatin1String(g_properties);
    const QString signature = message.signature();
    if (!headset)
        connection.send(error(message, "org.freedesktop.DBus.Error.UnknownObject",
                              QStringLiteral("no headset at %1").arg(message.path())));
    else if (properties && member == QLatin1String("Get") && signature == QLatin1String("ss"))
        connection.send(get(*headset, message));
    else if (properties && member == QLatin1String("GetAll") && signature == QLatin1String("s"))
        connection.send(message.createReply(headset->values()));
    else if (properties && member == QLatin1String("Set") && signature == QLatin1String("ssv"))
        connection.send(set(*headset, message));
    else
        connection.send(
            error(message, "org.freedesktop.DBus.Error.UnknownMethod",
                  QStringLiteral("no method %1.%2(%3) on a headset").arg(interface, member, signature)));
    return true;
}

QDBusMessage cHeadsetTree::get(const cHeadsetObject &headset, const QDBusMessage &message)
{
    const QString name = message.arguments().at(1).toString();
    const QMetaProperty property = propertyOf(headset, name);
    if (!property.isValid())
        return error(message, "org.freedesktop.DBus.Error.UnknownProperty",
                     QStringLiteral("no property %1").arg(name));
    return message.createReply(QVariant::fromValue(QDBusVariant(property.read(headset.adaptor()))));
}

QDBusMessage cHeadsetTree::set(cHeadsetObject &headset, const QDBusMessage &message)
{
    const QString name = message.arguments().at(1).toString();
    const QMetaProperty property = propertyOf(headset, name);
    if (!property.isValid())
        return error(message, "org.freedesktop.DBus.Error.UnknownProperty",
                     QStringLiteral("no property %1").arg(name));
    if (!property.isWritable())
        return error(message, "org.freedesktop.DBus.Error.PropertyReadOnly",
                     QStringLiteral("%1 is read-only").arg(name));
    const QVariant value = qvariant_cast<QDBusVariant>(message.arguments().at(2)).variant();
    // A D-Bus type the property does not have is the caller's mistake; nothing is converted.
    if (value.userType() != QMetaType::UInt)
        return error(message, "org.freedesktop.DBus.Error.InvalidArgs",
                     QStringLiteral("%1 is a uint32 (u), not %2").arg(name, QLatin1String(value.typeName())));
    cHeadsetObject::cRefusal refusal;
    if (!headset.setMicrophone(name == QLatin1String("MicLight"), value.toUInt(), &refusal))
        return message.createErrorReply(refusal.error, refusal.message);
    return message.createReply();
}
