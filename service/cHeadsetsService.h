#pragma once
#include "cHeadsetAccess.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QList>
#include <QMap>
#include <QObject>

class IAbstractDevice;
class cHeadsetObject;
class cHeadsetTree;

// The host's headsets on the session bus: the well-known name org.q71.Headsets1, this object at
// /org/q71/Headsets1 behind the generated ManagerAdaptor, and one cHeadsetObject for each device
// the host holds, made when the device appears and gone when it is removed. The service hears the
// host itself; what the run watches on the transports (traffic, keys and whose they are) it is
// told (traffic(), key()). It never calls the plugin but through the host.
class cHeadsetsService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(uint APIVersion READ apiVersion)
    Q_PROPERTY(QList<QDBusObjectPath> Headsets READ headsets)
public:
    enum Start { Serving, NoBus, NameTaken };

    // Hears `host` from now on; serves nothing until start().
    explicit cHeadsetsService(cHost &host, QObject *parent = nullptr);
    ~cHeadsetsService() override;

    // Connects to the session bus, registers the objects and takes the name. NoBus and NameTaken
    // come with the line to tell the user in `message` (the name's owner by process id and name).
    Start start(QString *message);

    // The parts the run composes after the service; each may stay unset.
    cHeadsetAccess &access() { return m_access; }
    void setDesktop(cDesktop *desktop);

    uint apiVersion() const;
    QList<QDBusObjectPath> headsets() const;

    // Something happened to device `device` (a report, a model call): its properties may have
    // changed.
    void traffic(int device);
    void key(bool pressed, int key, int device);

public slots:
    void Reload();

signals:
    void HeadsetAdded(const QDBusObjectPath &headset);
    void HeadsetRemoved(const QDBusObjectPath &headset);

private:
    void onDeviceAdded(IAbstractDevice *device);
    void onDeviceRemoved(IAbstractDevice *device);
    void onDeviceChanged(IAbstractDevice *device);
    // Headsets is the one Manager property that changes.
    void announceHeadsets();
    void onDolbySwitched(const QString &uid, bool on);
    void onVolumeStepped(const QString &uid, int direction);
    cHeadsetObject *headsetOf(const QString &audioUid) const;
    static QString ownerOf(const QDBusConnection &connection);

    cHeadsetAccess m_access;
    QDBusConnection m_connection;
    bool m_serving = false;
    // By device number, so that Headsets lists them in the order they were plugged in.
    QMap<int, cHeadsetObject *> m_headsets;
    cHeadsetTree *m_tree;
};
