#include "cUdevDeviceFacts.h"

#include "cUdevTransportFactory.h"

#include <QFile>

#include <algorithm>

cUdevDeviceFacts::cUdevDeviceFacts()
    : m_udev(udev_new())
{ }

cHidDeviceFacts cUdevDeviceFacts::hidDevice(const QString &uid) const
{
    cHidDeviceFacts facts;
    if (!m_udev || uid.isEmpty())
        return facts;
    const tUdevPtr<udev_device> node(
        udev_device_new_from_syspath(m_udev.get(), QFile::encodeName(uid).constData()));
    udev_device *usb
        = node ? udev_device_get_parent_with_subsystem_devtype(node.get(), "usb", "usb_device") : nullptr;
    if (!usb)
        return facts;
    const int bus = cUdevTransportFactory::numberAttribute(usb, "busnum", 10);
    const int address = cUdevTransportFactory::numberAttribute(usb, "devnum", 10);
    // A number out of a USB bus's range is left for the capture to choose, as a simulated one's is.
    facts.bus = bus > 0 && bus <= 0xffff ? quint16(bus) : 0;
    facts.address = address > 0 && address <= 127 ? quint8(address) : 0;
    facts.vendorId = std::max(0, cUdevTransportFactory::numberAttribute(usb, "idVendor", 16));
    facts.productId = std::max(0, cUdevTransportFactory::numberAttribute(usb, "idProduct", 16));
    facts.reportDescriptor = cUdevTransportFactory::reportDescriptor(node.get());
    if (udev_device *hid = udev_device_get_parent_with_subsystem_devtype(node.get(), "hid", nullptr)) {
        facts.name = QString::fromUtf8(udev_device_get_property_value(hid, "HID_NAME"));
        facts.physicalPath = QString::fromUtf8(udev_device_get_property_value(hid, "HID_PHYS"));
    }
    facts.node = QString::fromLocal8Bit(udev_device_get_devnode(node.get()));
    facts.origin = QStringLiteral("the headset at %1 on USB bus %2, device %3, timed from its first start")
                       .arg(QString::fromLocal8Bit(udev_device_get_devnode(node.get())))
                       .arg(bus)
                       .arg(address);
    return facts;
}

QString cUdevDeviceFacts::soundCard(const QString &pcmUid) const
{
    if (!m_udev || pcmUid.isEmpty())
        return QString();
    const tUdevPtr<udev_device> pcm(
        udev_device_new_from_syspath(m_udev.get(), QFile::encodeName(pcmUid).constData()));
    // A PCM's parent in the sound subsystem is its card.
    udev_device *card
        = pcm ? udev_device_get_parent_with_subsystem_devtype(pcm.get(), "sound", nullptr) : nullptr;
    return card ? QString::fromLocal8Bit(udev_device_get_syspath(card)) : QString();
}
