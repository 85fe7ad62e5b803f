#include "cHeadset.h"

#include "cHeadsetProxy.h"
#include "cPropertiesProxy.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

cHeadset::cHeadset(const QDBusConnection &bus, const QString &service, const QString &path, QObject *parent)
    : QObject(parent)
    , m_properties(new cPropertiesProxy(service, path, bus, this))
    , m_headset(new cHeadsetProxy(service, path, bus, this))
    , m_path(path)
{
    connect(m_properties, &cPropertiesProxy::PropertiesChanged, this, &cHeadset::onPropertiesChanged);
    connect(m_headset, &cHeadsetProxy::KeyPressed, this, &cHeadset::onKeyPressed);
}

void cHeadset::load()
{
    auto *watcher
        = new QDBusPendingCallWatcher(m_properties->GetAll(cHeadsetProxy::staticInterfaceName()), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *call;
        // A headset unplugged before the answer came is removed by the service's signal; the
        // changes that came first are newer than the answer to a call made before them.
        if (reply.isError())
            return;
        QVariantMap values = reply.value();
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
            values.insert(it.key(), it.value());
        m_values = values;
        m_loaded = true;
        emit loaded();
        emit changed();
    });
}

uint cHeadset::number() const
{
    return m_values.value(QStringLiteral("Number")).toUInt();
}
QString cHeadset::name() const
{
    return m_values.value(QStringLiteral("Name")).toString();
}
QString cHeadset::node() const
{
    return m_values.value(QStringLiteral("Node")).toString();
}
int cHeadset::volume() const
{
    return m_values.value(QStringLiteral("Volume"), -1).toInt();
}
bool cHeadset::dolby() const
{
    return m_values.value(QStringLiteral("Dolby")).toBool();
}
uint cHeadset::micLight() const
{
    return m_values.value(micLightProperty()).toUInt();
}
uint cHeadset::micNotification() const
{
    return m_values.value(micNotificationProperty()).toUInt();
}

void cHeadset::write(const QString &property, uint value)
{
    const QDBusPendingCall call = m_properties->Set(cHeadsetProxy::staticInterfaceName(), property,
                                                    QDBusVariant(QVariant::fromValue(value)));
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, property](QDBusPendingCallWatcher *done) {
                done->deleteLater();
                if (done->isError())
                    emit writeRefused(property, done->error().message());
            });
}

void cHeadset::onPropertiesChanged(const QString &interface, const QVariantMap &values,
                                   const QStringList &invalidated)
{
    Q_UNUSED(invalidated)
    if (interface != cHeadsetProxy::staticInterfaceName())
        return;
    bool microphone = false;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (m_values.value(it.key()) == it.value())
            continue;
        microphone = microphone || it.key() == micLightProperty() || it.key() == micNotificationProperty();
        m_values.insert(it.key(), it.value());
    }
    emit changed();
    if (microphone && m_loaded)
        emit micChanged();
}

void cHeadset::onKeyPressed(uint key)
{
    m_lastKey = key;
    emit changed();
}
