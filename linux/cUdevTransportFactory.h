#pragma once
#include "Types.h"

#include <QByteArray>
#include <QString>

struct udev_device;

// Makes the transport a udev node stands for: a hidraw node becomes a HID transport, a sound
// card's playback and capture PCMs (device 0) its render and capture transports. Their
// information has the layout the simulated bus gives its own: a "uid" (the node's sysfs path,
// stable while it is plugged) and, under the probe key of the kind, what the manifest's probes
// are matched against, read from the USB device the node belongs to. Nodes of a device the
// manifest does not describe are made all the same: it is the plugin that refuses them.
class cUdevTransportFactory
{
public:
    struct cMade
    {
        cAbstractTransportPtr transport;
        QString syspath;
        // The USB device ("usb_device") the node belongs to: the transports of one headset share it.
        QString usbDevice;
    };

    // Nothing for any other node, and for a node that belongs to no USB device.
    static cMade create(udev_device *node);

    // A sysfs attribute of `device` that holds a number: sysfs prints USB ids and interface
    // numbers in hex without a prefix, bus and device numbers in decimal. -1 when it has none.
    static int numberAttribute(udev_device *device, const char *name, int base);
    // The report descriptor of the HID device a hidraw node belongs to; empty when there is none.
    static QByteArray reportDescriptor(udev_device *node);

    // The value of the first Usage Page item in a HID report descriptor, or -1 when it has none.
    static int firstUsagePage(const QByteArray &reportDescriptor);
};
