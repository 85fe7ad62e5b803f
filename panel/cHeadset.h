#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

class cHeadsetProxy;
class cPropertiesProxy;

// One headset as the service serves it: its properties, kept up to date from PropertiesChanged,
// and the last key pressed on it, which the service announces only as a signal.
class cHeadset : public QObject
{
    Q_OBJECT
public:
    cHeadset(const QDBusConnection &bus, const QString &service, const QString &path,
             QObject *parent = nullptr);

    // Asks for every property; loaded() follows when the answer is there.
    void load();
    bool isLoaded() const { return m_loaded; }

    QString path() const { return m_path; }
    uint number() const;
    QString name() const;
    QString node() const;
    // -1 when the service does not know it.
    int volume() const;
    bool dolby() const;
    uint micLight() const;
    uint micNotification() const;
    // 0 until a key was pressed while the panel listened.
    uint lastKey() const { return m_lastKey; }

    // Writes MicLight or MicNotification; a value the service refuses is writeRefused() with its
    // message, an accepted one comes back as a change of the property.
    void write(const QString &property, uint value);

    static QString micLightProperty() { return QStringLiteral("MicLight"); }
    static QString micNotificationProperty() { return QStringLiteral("MicNotification"); }

signals:
    void loaded();
    void changed();
    // The microphone settings changed on the headset (not when they were first read).
    void micChanged();
    void writeRefused(const QString &property, const QString &message);

private:
    void onPropertiesChanged(const QString &interface, const QVariantMap &values,
                             const QStringList &invalidated);
    void onKeyPressed(uint key);

    cPropertiesProxy *m_properties;
    cHeadsetProxy *m_headset;
    QString m_path;
    QVariantMap m_values;
    uint m_lastKey = 0;
    bool m_loaded = false;
};
