#include "cHeadsetWatch.h"

#include "HeadsetFields.h"
#include "cHeadsetBus.h"
#include "headsetproxy.h"

cHeadsetWatch::cHeadsetWatch(const QDBusConnection &connection, const QString &path, QObject *parent)
    : QObject(parent)
    , m_number(cHeadsetBus::numberOf(path))
    , m_proxy(new cHeadsetProxy(cHeadsetBus::serviceName(), path, connection, this))
{
    const QString key = QStringLiteral("key");
    connect(m_proxy, &cHeadsetProxy::KeyPressed, this, [this, key](uint number) {
        report(QStringLiteral("key_pressed"), {{key, static_cast<qint64>(number)}},
               QStringLiteral("key %1 pressed").arg(number));
    });
    connect(m_proxy, &cHeadsetProxy::KeyReleased, this, [this, key](uint number) {
        report(QStringLiteral("key_released"), {{key, static_cast<qint64>(number)}},
               QStringLiteral("key %1 released").arg(number));
    });
    connect(m_proxy, &cHeadsetProxy::VolumeStepped, this, [this](int direction) {
        report(QStringLiteral("volume_stepped"), {{QStringLiteral("direction"), direction}},
               direction > 0 ? QStringLiteral("volume up") : QStringLiteral("volume down"));
    });
    QDBusConnection(connection)
        .connect(cHeadsetBus::serviceName(), path, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
}

void cHeadsetWatch::onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                        const QStringList &invalidated)
{
    Q_UNUSED(invalidated)
    if (interface != QLatin1String(cHeadsetProxy::staticInterfaceName()))
        return;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        // A property added to the interface after this q71ctl is reported under its bus name.
        const HeadsetFields::cField *field = HeadsetFields::byProperty(it.key());
        const QJsonValue value
            = field ? HeadsetFields::json(*field, it.value()) : QJsonValue::fromVariant(it.value());
        const QString text = field ? QStringLiteral("%1: %2").arg(QLatin1String(field->label),
                                                                  HeadsetFields::text(*field, it.value()))
                                   : QStringLiteral("%1: %2").arg(it.key(), it.value().toString());
        report(QStringLiteral("property_changed"),
               {{QStringLiteral("property"), field ? QLatin1String(field->json) : it.key()},
                {QStringLiteral("value"), value}},
               text);
    }
}

void cHeadsetWatch::report(const QString &name, const QJsonObject &fields, const QString &text)
{
    emit happened({m_number, name, fields, text});
}
