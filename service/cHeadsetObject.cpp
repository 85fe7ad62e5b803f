#include "cHeadsetObject.h"

#include "DBusProperties.h"
#include "HeadsetAdaptor.h"
#include "IAbstractTransport.h"
#include "IDeviceFacts.h"
#include "ServiceNames.h"
#include "TransportKind.h"
#include "cDesktop.h"
#include "cHeadsetAccess.h"
#include "cHost.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QMetaProperty>
#include <QTimer>

#include <climits>

cHeadsetObject::cHeadsetObject(const cHeadsetAccess &access, int number, const QDBusConnection &connection,
                               QObject *parent)
    : QObject(parent)
    , m_access(access)
    , m_number(number)
    , m_connection(connection)
    , m_adaptor(new HeadsetAdaptor(this))
{
    m_announced = values();
}

cHeadsetObject::~cHeadsetObject() = default;

QString cHeadsetObject::pathOf(int number)
{
    return QLatin1String(ServiceNames::HeadsetPathPrefix) + QString::number(number);
}

QString cHeadsetObject::name() const
{
    const cAbstractDevicePtr device = m_access.host.deviceManager()->deviceNumbered(m_number);
    return device ? device->displayName() : QString();
}

QString cHeadsetObject::model() const
{
    const cAbstractDevicePtr device = m_access.host.deviceManager()->deviceNumbered(m_number);
    return device ? device->model() : QString();
}

QString cHeadsetObject::transportUid(int kind) const
{
    cDeviceManager *devices = m_access.host.deviceManager();
    for (const cAbstractTransportPtr &transport : devices->transportsOf(devices->deviceNumbered(m_number))) {
        if (TransportKind::of(transport.data()) == kind)
            return transport->info()["uid"].toString();
    }
    return QString();
}

QString cHeadsetObject::node() const
{
    const QString uid = transportUid(TransportKind::Hid);
    if (uid.isEmpty() || !m_access.facts)
        return QString();
    const auto known = m_facts.constFind(uid);
    return known != m_facts.constEnd() ? *known : *m_facts.insert(uid, m_access.facts->hidDevice(uid).node);
}

QString cHeadsetObject::soundCard() const
{
    const QString uid = transportUid(TransportKind::Render);
    if (uid.isEmpty() || !m_access.facts)
        return QString();
    const auto known = m_facts.constFind(uid);
    return known != m_facts.constEnd() ? *known : *m_facts.insert(uid, m_access.facts->soundCard(uid));
}

bool cHeadsetObject::started() const
{
    cDeviceManager *devices = m_access.host.deviceManager();
    return devices->isStarted(devices->deviceNumbered(m_number));
}

uint cHeadsetObject::micLight() const
{
    return uint(cHost::microphone(m_access.host.deviceManager()->deviceNumbered(m_number)).getLightConfig());
}

uint cHeadsetObject::micNotification() const
{
    return uint(
        cHost::microphone(m_access.host.deviceManager()->deviceNumbered(m_number)).getNotificationConfig());
}

void cHeadsetObject::setDolby(bool on)
{
    m_dolby = on;
    refreshSoon();
}

void cHeadsetObject::setVolume(int percent)
{
    m_volume = percent;
    refreshSoon();
}

void cHeadsetObject::refreshSoon()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, &cHeadsetObject::refresh);
}

void cHeadsetObject::refresh()
{
    m_refreshPending = false;
    DBusProperties::announce(m_connection, path(), QLatin1String(ServiceNames::HeadsetInterface),
                             DBusProperties::changes(&m_announced, values()));
}

// Every property of the interface, so that a new one is announced without a list to extend.
QVariantMap cHeadsetObject::values() const
{
    QVariantMap values;
    const QMetaObject *meta = m_adaptor->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        values.insert(QLatin1String(property.name()), property.read(m_adaptor));
    }
    return values;
}

void cHeadsetObject::keyChanged(bool pressed, uint key)
{
    send(pressed ? "KeyPressed" : "KeyReleased", key);
}

void cHeadsetObject::volumeStepped(int direction)
{
    send("VolumeStepped", direction);
}

void cHeadsetObject::send(const char *signal, const QVariant &argument)
{
    QDBusMessage message = QDBusMessage::createSignal(path(), QLatin1String(ServiceNames::HeadsetInterface),
                                                      QLatin1String(signal));
    message << argument;
    m_connection.send(message);
}

bool cHeadsetObject::setMicrophone(bool light, uint value, cRefusal *refusal)
{
    const QList<int> accepted = cMicrophoneClient::settings(light);
    const auto refuse = [refusal, light, &accepted, value](const QString &error) {
        if (!refusal)
            return false;
        QStringList names;
        for (int setting : accepted)
            names << QString::number(setting);
        refusal->error = error;
        refusal->message = QStringLiteral("%1 takes %2, not %3")
                               .arg(QLatin1String(light ? "MicLight" : "MicNotification"),
                                    names.join(QStringLiteral(", ")))
                               .arg(value);
        return false;
    };
    if (value > uint(INT_MAX) || !accepted.contains(int(value)))
        return refuse(QLatin1String(ServiceNames::InvalidValueError));
    bool invoked = false;
    const bool set = m_access.setMicrophone && m_access.setMicrophone(m_number, light, int(value), &invoked);
    if (!invoked) {
        if (refusal)
            *refusal = {QDBusError::errorString(QDBusError::NotSupported),
                        QStringLiteral("headset %1 has no microphone model to set").arg(m_number)};
        return false;
    }
    if (!set)
        return refuse(QLatin1String(ServiceNames::InvalidValueError));
    if (m_access.desktop)
        m_access.desktop->keepMicrophone(light, int(value));
    refreshSoon();
    return true;
}
