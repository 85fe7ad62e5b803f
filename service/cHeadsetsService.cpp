#include "cHeadsetsService.h"

#include "DBusProperties.h"
#include "ManagerAdaptor.h"
#include "ServiceNames.h"
#include "cAudioDeviceMgrService.h"
#include "cDesktop.h"
#include "cHeadsetObject.h"
#include "cHeadsetTree.h"
#include "cHost.h"

#include <QDBusConnectionInterface>
#include <QFile>

cHeadsetsService::cHeadsetsService(cHost &host, QObject *parent)
    : QObject(parent)
    , m_access(host)
    , m_connection(QDBusConnection::sessionBus())
    , m_tree(new cHeadsetTree(m_headsets, this))
{
    // The adaptor relays HeadsetAdded and HeadsetRemoved only with their argument's type known.
    qRegisterMetaType<QDBusObjectPath>();
    new ManagerAdaptor(this);
    cDeviceManager *devices = host.deviceManager();
    connect(devices, &cDeviceManager::deviceAdded, this, &cHeadsetsService::onDeviceAdded);
    connect(devices, &cDeviceManager::deviceRemoved, this, &cHeadsetsService::onDeviceRemoved);
    // Started follows these; the name, model and nodes follow the transports the device holds.
    for (auto changed : {&cDeviceManager::deviceStarting, &cDeviceManager::deviceStopping})
        connect(devices, changed, this, &cHeadsetsService::onDeviceChanged);
    connect(devices, &cDeviceManager::addTransportCalled, this,
            [this](IAbstractDevice *device) { onDeviceChanged(device); });
    connect(devices, &cDeviceManager::removeTransportCalled, this,
            [this](IAbstractDevice *device) { onDeviceChanged(device); });
    cAudioDeviceMgrService *audio = host.services().audioDeviceMgr();
    connect(audio, &cAudioDeviceMgrService::dolbySwitched, this, &cHeadsetsService::onDolbySwitched);
    connect(audio, &cAudioDeviceMgrService::volumeStepped, this, &cHeadsetsService::onVolumeStepped);
}

cHeadsetsService::~cHeadsetsService()
{
    qDeleteAll(m_headsets);
    if (m_serving) {
        m_connection.unregisterObject(cHeadsetTree::rootPath());
        m_connection.unregisterObject(QLatin1String(ServiceNames::ManagerPath));
        m_connection.unregisterService(QLatin1String(ServiceNames::Service));
    }
}

cHeadsetsService::Start cHeadsetsService::start(QString *message)
{
    if (!m_connection.isConnected()) {
        *message = QStringLiteral("no session bus (%1): the headsets are not served on it")
                       .arg(m_connection.lastError().message());
        return NoBus;
    }
    // The objects are there before the name, so that a client the name wakes finds them.
    m_connection.registerObject(QLatin1String(ServiceNames::ManagerPath), this);
    m_connection.registerVirtualObject(cHeadsetTree::rootPath(), m_tree, QDBusConnection::SubPath);
    if (!m_connection.registerService(QLatin1String(ServiceNames::Service))) {
        m_connection.unregisterObject(cHeadsetTree::rootPath());
        m_connection.unregisterObject(QLatin1String(ServiceNames::ManagerPath));
        *message = QStringLiteral("%1 is already served on the session bus by %2")
                       .arg(QLatin1String(ServiceNames::Service), ownerOf(m_connection));
        return NameTaken;
    }
    m_serving = true;
    return Serving;
}

QString cHeadsetsService::ownerOf(const QDBusConnection &connection)
{
    const QDBusReply<uint> pid = connection.interface()->servicePid(QLatin1String(ServiceNames::Service));
    if (!pid.isValid())
        return QStringLiteral("another program");
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    const QString name
        = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("process %1").arg(pid.value())
                          : QStringLiteral("process %1 (%2)").arg(pid.value()).arg(name);
}

void cHeadsetsService::setDesktop(cDesktop *desktop)
{
    m_access.desktop = desktop;
    if (desktop)
        connect(desktop, &cDesktop::volumeChanged, this, [this](int device, int percent) {
            if (cHeadsetObject *headset = m_headsets.value(device))
                headset->setVolume(percent);
        });
}

uint cHeadsetsService::apiVersion() const
{
    return ServiceNames::ApiVersion;
}

QList<QDBusObjectPath> cHeadsetsService::headsets() const
{
    QList<QDBusObjectPath> paths;
    for (const cHeadsetObject *headset : m_headsets)
        paths << QDBusObjectPath(headset->path());
    return paths;
}

void cHeadsetsService::traffic(int device)
{
    if (cHeadsetObject *headset = m_headsets.value(device))
        headset->refreshSoon();
}

void cHeadsetsService::key(bool pressed, int key, int device)
{
    if (cHeadsetObject *headset = m_headsets.value(device))
        headset->keyChanged(pressed, uint(key));
}

void cHeadsetsService::Reload()
{
    QString error;
    if (m_access.desktop && !m_access.desktop->reload(&error) && calledFromDBus())
        sendErrorReply(QLatin1String(ServiceNames::InvalidValueError), error);
}

void cHeadsetsService::onDeviceAdded(IAbstractDevice *device)
{
    const int number = m_access.host.deviceManager()->number(device);
    if (!m_serving || number == 0 || m_headsets.contains(number))
        return;
    auto *headset = new cHeadsetObject(m_access, number, m_connection);
    m_headsets.insert(number, headset);
    emit HeadsetAdded(QDBusObjectPath(headset->path()));
    announceHeadsets();
}

void cHeadsetsService::onDeviceRemoved(IAbstractDevice *device)
{
    cHeadsetObject *headset = m_headsets.take(m_access.host.deviceManager()->number(device));
    if (!headset)
        return;
    const QDBusObjectPath path(headset->path());
    delete headset;
    emit HeadsetRemoved(path);
    announceHeadsets();
}

void cHeadsetsService::announceHeadsets()
{
    DBusProperties::announce(m_connection, QLatin1String(ServiceNames::ManagerPath),
                             QLatin1String(ServiceNames::ManagerInterface),
                             {{QStringLiteral("Headsets"), QVariant::fromValue(headsets())}});
}

void cHeadsetsService::onDeviceChanged(IAbstractDevice *device)
{
    traffic(m_access.host.deviceManager()->number(device));
}

cHeadsetObject *cHeadsetsService::headsetOf(const QString &audioUid) const
{
    const cAbstractDevicePtr device = m_access.host.services().audioDeviceMgr()->deviceOf(audioUid);
    return m_headsets.value(m_access.host.deviceManager()->number(device.data()));
}

void cHeadsetsService::onDolbySwitched(const QString &uid, bool on)
{
    if (cHeadsetObject *headset = headsetOf(uid))
        headset->setDolby(on);
}

void cHeadsetsService::onVolumeStepped(const QString &uid, int direction)
{
    if (cHeadsetObject *headset = headsetOf(uid))
        headset->volumeStepped(direction);
}
