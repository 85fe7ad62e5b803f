#pragma once
#include <QDBusVirtualObject>
#include <QMap>

class cHeadsetObject;

// The bus's calls to the headsets under /org/q71/Headsets1/headset, delivered to the cHeadsetObject
// of each path's number. QtDBus answers a property write on an object itself, with no way for the
// setter to refuse it with an error of its own; this tree answers org.freedesktop.DBus.Properties
// (Get, GetAll, Set) and the introspection itself, from the generated adaptor's interface, so that
// a refused MicLight or MicNotification is the interface's InvalidValue error.
class cHeadsetTree : public QDBusVirtualObject
{
    Q_OBJECT
public:
    // `headsets` by number, the service's; it must outlive the tree.
    explicit cHeadsetTree(const QMap<int, cHeadsetObject *> &headsets, QObject *parent = nullptr);

    static QString rootPath();

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    cHeadsetObject *headsetAt(const QString &path) const;
    static QDBusMessage get(const cHeadsetObject &headset, const QDBusMessage &message);
    static QDBusMessage set(cHeadsetObject &headset, const QDBusMessage &message);
    // The headset interface's XML, as the adaptor was generated from it.
    static QString interfaceXml();

    const QMap<int, cHeadsetObject *> &m_headsets;
};
