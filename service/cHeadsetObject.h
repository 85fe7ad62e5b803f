#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QVariantMap>

class QDBusAbstractAdaptor;
struct cHeadsetAccess;

// One headset of the host on the session bus, at /org/q71/Headsets1/headset/N (N its device
// number): the object behind the generated HeadsetAdaptor, whose properties are the interface's.
// Every property is read from the host when asked; refresh() compares them with what was last
// announced and announces what changed. cHeadsetTree delivers the bus's calls to it.
//
// Writing MicLight or MicNotification gives the microphone model the setting as the scenario's
// "mic light" does, and keeps it in the configuration file once the model accepted it. A value the
// contract does not number never reaches the plugin.
class cHeadsetObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(uint Number READ number)
    Q_PROPERTY(QString Name READ name)
    Q_PROPERTY(QString Model READ model)
    Q_PROPERTY(QString Node READ node)
    Q_PROPERTY(QString SoundCard READ soundCard)
    Q_PROPERTY(bool Started READ started)
    Q_PROPERTY(bool Dolby READ dolby)
    Q_PROPERTY(int Volume READ volume)
    Q_PROPERTY(uint MicLight READ micLight WRITE setMicLight)
    Q_PROPERTY(uint MicNotification READ micNotification WRITE setMicNotification)
public:
    // Why a write was refused: a D-Bus error name and its message.
    struct cRefusal
    {
        QString error;
        QString message;
    };

    // Announces its changes and signals on `connection`; `access` must outlive it.
    cHeadsetObject(const cHeadsetAccess &access, int number, const QDBusConnection &connection,
                   QObject *parent = nullptr);
    ~cHeadsetObject() override;

    static QString pathOf(int number);
    QString path() const { return pathOf(m_number); }

    uint number() const { return uint(m_number); }
    QString name() const;
    QString model() const;
    QString node() const;
    QString soundCard() const;
    bool started() const;
    bool dolby() const { return m_dolby; }
    int volume() const { return m_volume; }
    uint micLight() const;
    uint micNotification() const;
    // For the adaptor's setters, which cannot refuse: the bus's writes go through
    // setMicrophone().
    void setMicLight(uint value) { setMicrophone(true, value, nullptr); }
    void setMicNotification(uint value) { setMicrophone(false, value, nullptr); }
    // False, with why in `refusal` when it is given, for a setting not made.
    bool setMicrophone(bool light, uint value, cRefusal *refusal);

    // The interface's properties, by their names on the bus.
    const QDBusAbstractAdaptor *adaptor() const { return m_adaptor; }
    QVariantMap values() const;

    void setDolby(bool on);
    void setVolume(int percent);
    // Something happened to the device: its properties are compared once the event is over, so
    // that a burst of reports is one announcement.
    void refreshSoon();

    // The interface's signals, sent on the bus.
    void keyChanged(bool pressed, uint key);
    void volumeStepped(int direction);

private:
    void refresh();
    void send(const char *signal, const QVariant &argument);
    // The uid of the device's first transport of that kind; empty when it holds none.
    QString transportUid(int kind) const;

    const cHeadsetAccess &m_access;
    const int m_number;
    QDBusConnection m_connection;
    QDBusAbstractAdaptor *m_adaptor;
    bool m_dolby = false;
    int m_volume = -1;
    bool m_refreshPending = false;
    QVariantMap m_announced;
    // What the facts said of each transport uid: they do not change while it is plugged.
    mutable QHash<QString, QString> m_facts;
};
