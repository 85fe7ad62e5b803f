#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QObject>

class cHeadset;
class cHeadsetModel;

// Tells the user, through the desktop's notification server (org.freedesktop.Notifications), when
// a headset is plugged in or unplugged and when its microphone settings change. Each headset has
// one notification, replaced in place by the next, so a burst of changes leaves one bubble.
class cNotifier : public QObject
{
    Q_OBJECT
public:
    cNotifier(const QDBusConnection &bus, cHeadsetModel *model, QObject *parent = nullptr);

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

private:
    void notify(const QString &path, const QString &summary, const QString &body);

    QDBusConnection m_bus;
    bool m_enabled = true;
    // The server's id of each headset's notification, by the headset's object path.
    QHash<QString, uint> m_ids;
};
