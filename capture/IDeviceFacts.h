#pragma once
#include <QByteArray>
#include <QString>

// What a capture or a recording says of a HID device whose traffic it holds: where the device
// sits on its USB bus, its ids and report descriptor, and the names hid-recorder writes.
struct cHidDeviceFacts
{
    quint16 bus = 0;
    quint8 address = 0; // 0: the capture gives the devices addresses of its own, as a bus does
    int vendorId = 0;
    int productId = 0;
    QByteArray reportDescriptor;
    QString name;
    QString physicalPath;
    // The device node, such as /dev/hidraw3; empty for a device that has none (a simulated one).
    QString node;
    // What a recording says it holds, after "the input reports of": which device, timed from when.
    // Empty when nothing is known of the device.
    QString origin;
};

// Where the facts of the devices a bus plugs come from: the simulated headset's own, or a real
// device's as the machine shows it. One source for each bus.
class IDeviceFacts
{
public:
    virtual ~IDeviceFacts() = default;
    // The device of the HID transport whose info names `uid`, asked as it is plugged; nothing
    // known (origin() empty) for a uid the bus does not know.
    virtual cHidDeviceFacts hidDevice(const QString &uid) const = 0;
    // The sysfs path of the sound card a PCM transport (by its uid) belongs to; empty when the
    // bus has no such card.
    virtual QString soundCard(const QString &pcmUid) const
    {
        Q_UNUSED(pcmUid);
        return QString();
    }
};
