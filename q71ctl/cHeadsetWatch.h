#pragma once
#include <QDBusConnection>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class cHeadsetProxy;

// One thing that happened to a headset, as the monitor prints it.
struct cMonitorEvent
{
    uint number = 0;
    QString name; // in the JSON line
    QJsonObject fields; // beside it in the JSON line
    QString text; // after "headset N: " in the line for a person
};

// The signals of one headset object, each turned into a cMonitorEvent.
class cHeadsetWatch : public QObject
{
    Q_OBJECT
public:
    cHeadsetWatch(const QDBusConnection &connection, const QString &path, QObject *parent = nullptr);

signals:
    void happened(const cMonitorEvent &event);

private slots:
    // Connected by name: QDBusConnection::connect, for a signal of an interface that has no proxy
    // of its own, takes nothing else.
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                             const QStringList &invalidated);

private:
    void report(const QString &name, const QJsonObject &fields, const QString &text);

    uint m_number = 0;
    cHeadsetProxy *m_proxy = nullptr;
};
