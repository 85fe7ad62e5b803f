#include "cLinuxBus.h"

#include "LinuxLog.h"
#include "TransportKind.h"
#include "cHidrawTransport.h"

#include <QMap>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const char *const g_subsystems[] = {"hidraw", "sound"};

} // namespace

cLinuxBus::cLinuxBus(QObject *parent)
    : ITransportBus(parent)
    , m_udev(udev_new())
{ }

cLinuxBus::~cLinuxBus()
{
    // Before the monitor closes the descriptor the notifier watches.
    delete m_monitorNotifier;
}

bool cLinuxBus::start()
{
    // Listening starts before the enumeration, so that nothing plugged in between is missed; a
    // node seen both ways is put on the bus once.
    const bool listening = listen();
    if (!listening)
        qCWarning(lcQ71Linux) << "Cannot listen to udev: devices plugged in from now on will not be seen";
    enumerate();
    return listening;
}

bool cLinuxBus::listen()
{
    m_monitor.reset(m_udev ? udev_monitor_new_from_netlink(m_udev.get(), "udev") : nullptr);
    if (!m_monitor)
        return false;
    for (const char *subsystem : g_subsystems)
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), subsystem, nullptr);
    if (udev_monitor_enable_receiving(m_monitor.get()) < 0) {
        m_monitor.reset();
        return false;
    }
    m_monitorNotifier
        = new QSocketNotifier(udev_monitor_get_fd(m_monitor.get()), QSocketNotifier::Read, this);
    connect(m_monitorNotifier, &QSocketNotifier::activated, this, [this] { onUdevEvent(); });
    return true;
}

QList<cAbstractTransportPtr> cLinuxBus::transports() const
{
    QList<cAbstractTransportPtr> transports;
    for (const cUdevTransportFactory::cMade &made : m_plugged)
        transports.append(made.transport);
    return transports;
}

void cLinuxBus::enumerate()
{
    const tUdevPtr<udev_enumerate> enumeration(m_udev ? udev_enumerate_new(m_udev.get()) : nullptr);
    if (!enumeration)
        return;
    for (const char *subsystem : g_subsystems)
        udev_enumerate_add_match_subsystem(enumeration.get(), subsystem);
    udev_enumerate_scan_devices(enumeration.get());

    QMap<QString, QList<cUdevTransportFactory::cMade>> byUsbDevice;
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get()))
    {
        const tUdevPtr<udev_device> node(
            udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
        cUdevTransportFactory::cMade made
            = node ? cUdevTransportFactory::create(node.get()) : cUdevTransportFactory::cMade();
        if (made.transport)
            byUsbDevice[made.usbDevice].append(made);
    }
    for (QList<cUdevTransportFactory::cMade> &group : byUsbDevice) {
        std::stable_sort(group.begin(), group.end(), [](const auto &a, const auto &b) {
            return TransportKind::of(a.transport.data()) < TransportKind::of(b.transport.data());
        });
        for (const cUdevTransportFactory::cMade &made : group)
            plug(made);
    }
}

void cLinuxBus::onUdevEvent()
{
    while (m_monitor) {
        const tUdevPtr<udev_device> node(udev_monitor_receive_device(m_monitor.get()));
        if (!node)
            return;
        const char *action = udev_device_get_action(node.get());
        if (action && std::strcmp(action, "add") == 0)
            plug(cUdevTransportFactory::create(node.get()));
        else if (action && std::strcmp(action, "remove") == 0)
            unplugAt(QString::fromLocal8Bit(udev_device_get_syspath(node.get())));
    }
}

void cLinuxBus::plug(const cUdevTransportFactory::cMade &made)
{
    if (!made.transport)
        return;
    for (const cUdevTransportFactory::cMade &plugged : std::as_const(m_plugged)) {
        if (plugged.syspath == made.syspath)
            return;
    }
    if (auto *hid = qobject_cast<cHidrawTransport *>(made.transport.data())) {
        // Queued, and addressed to the transport itself: the failure is reported from inside a
        // device's call into the transport, and a transport already destroyed has nothing left
        // to take away.
        connect(
            hid, &cHidrawTransport::failed, hid,
            [bus = QPointer<cLinuxBus>(this), hid] {
                if (bus)
                    bus->unplug(hid);
            },
            Qt::QueuedConnection);
    }
    m_plugged.append(made);
    emit transportAdded(made.transport);
}

void cLinuxBus::unplugAt(const QString &syspath)
{
    const QString below = syspath + QLatin1Char('/');
    QList<IAbstractTransport *> going;
    for (const cUdevTransportFactory::cMade &plugged : std::as_const(m_plugged)) {
        if (plugged.syspath == syspath || plugged.syspath.startsWith(below))
            going.prepend(plugged.transport.data());
    }
    for (IAbstractTransport *transport : std::as_const(going))
        unplug(transport);
}

void cLinuxBus::unplug(IAbstractTransport *transport)
{
    for (int i = 0; i < m_plugged.size(); ++i) {
        if (m_plugged.at(i).transport.data() == transport) {
            const cAbstractTransportPtr gone = m_plugged.takeAt(i).transport;
            emit transportRemoved(gone);
            return;
        }
    }
}
