#include "cUdevTransportFactory.h"

#include "cAlsaCaptureTransport.h"
#include "cAlsaRenderTransport.h"
#include "cHidrawTransport.h"
#include "cTransportInfo.h"

#include <QFile>
#include <QRegularExpression>

#include <libudev.h>

namespace {

QString text(const char *value)
{
    return QString::fromLocal8Bit(value);
}

cTransportInfo usbInfo(udev_device *usbDevice, TransportKind::TransportKind_t kind, const QString &uid)
{
    cTransportInfo info(kind, uid);
    info.usbIds(cUdevTransportFactory::numberAttribute(usbDevice, "idVendor", 16),
                cUdevTransportFactory::numberAttribute(usbDevice, "idProduct", 16));
    return info;
}

cAbstractTransportPtr createHid(udev_device *node, udev_device *usbDevice, const QString &uid)
{
    cTransportInfo info = usbInfo(usbDevice, TransportKind::Hid, uid);
    if (udev_device *interface = udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_interface"))
        info.hidInterface(cUdevTransportFactory::numberAttribute(interface, "bInterfaceNumber", 16));
    const int usagePage
        = cUdevTransportFactory::firstUsagePage(cUdevTransportFactory::reportDescriptor(node));
    if (usagePage >= 0)
        info.usagePage(usagePage);
    return cAbstractTransportPtr(new cHidrawTransport(info.build(), text(udev_device_get_devnode(node))));
}

cAbstractTransportPtr createPcm(udev_device *node, udev_device *usbDevice, const QString &uid)
{
    static const QRegularExpression pcmName(QStringLiteral("^pcmC\\d+D0([pc])$"));
    const QRegularExpressionMatch match = pcmName.match(text(udev_device_get_sysname(node)));
    if (!match.hasMatch())
        return cAbstractTransportPtr();
    if (match.captured(1) == QLatin1String("c"))
        return cAbstractTransportPtr(
            new cAlsaCaptureTransport(usbInfo(usbDevice, TransportKind::Capture, uid).build()));
    return cAbstractTransportPtr(
        new cAlsaRenderTransport(usbInfo(usbDevice, TransportKind::Render, uid).build()));
}

} // namespace

cUdevTransportFactory::cMade cUdevTransportFactory::create(udev_device *node)
{
    cMade made;
    udev_device *usbDevice = udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device");
    if (!usbDevice)
        return made;
    made.syspath = text(udev_device_get_syspath(node));
    made.usbDevice = text(udev_device_get_syspath(usbDevice));
    const QString subsystem = text(udev_device_get_subsystem(node));
    if (subsystem == QLatin1String("hidraw"))
        made.transport = createHid(node, usbDevice, made.syspath);
    else if (subsystem == QLatin1String("sound"))
        made.transport = createPcm(node, usbDevice, made.syspath);
    return made;
}

int cUdevTransportFactory::numberAttribute(udev_device *device, const char *name, int base)
{
    bool ok = false;
    const int value = text(udev_device_get_sysattr_value(device, name)).trimmed().toInt(&ok, base);
    return ok ? value : -1;
}

QByteArray cUdevTransportFactory::reportDescriptor(udev_device *node)
{
    // The descriptor is binary: udev's attribute strings would stop at its first zero byte.
    udev_device *hid = udev_device_get_parent_with_subsystem_devtype(node, "hid", nullptr);
    if (!hid)
        return QByteArray();
    QFile file(text(udev_device_get_syspath(hid)) + QStringLiteral("/report_descriptor"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int cUdevTransportFactory::firstUsagePage(const QByteArray &reportDescriptor)
{
    // Items as HID 1.11 lays them out (6.2.2.2): a prefix byte with the data size in
    // its low two bits (0, 1, 2 or 4 bytes), type and tag above; 0xFE opens a long item whose
    // second byte is its data size. Usage Page is the global item of tag 0 (prefix 0000 01nn).
    int at = 0;
    while (at < reportDescriptor.size()) {
        const quint8 prefix = quint8(reportDescriptor.at(at));
        if (prefix == 0xFE) {
            if (at + 1 >= reportDescriptor.size())
                break;
            at += 3 + quint8(reportDescriptor.at(at + 1));
            continue;
        }
        const int size = (prefix & 0x03) == 0x03 ? 4 : (prefix & 0x03);
        if (at + 1 + size > reportDescriptor.size())
            break;
        if ((prefix & 0xFC) == 0x04) {
            quint32 value = 0;
            for (int i = size; i > 0; --i)
                value = (value << 8) | quint8(reportDescriptor.at(at + i));
            // Usage pages are 16 bits; a four-byte item carries a usage in its upper half.
            return int(value & 0xFFFF);
        }
        at += 1 + size;
    }
    return -1;
}
