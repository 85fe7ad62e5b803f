#include "cSimDeviceFacts.h"

#include "HeadsetDescriptors.h"

cHidDeviceFacts cSimDeviceFacts::hidDevice(const QString &) const
{
    cHidDeviceFacts facts;
    facts.bus = 1;
    facts.vendorId = HeadsetDescriptors::g_vendorId;
    facts.productId = HeadsetDescriptors::g_productId;
    facts.reportDescriptor = HeadsetDescriptors::reportDescriptor();
    // The name the shipped manifest gives the headset.
    facts.name = QStringLiteral("Q71 Gaming Headset");
    // Where a device on bus 1, port 5, would show its HID interface.
    facts.physicalPath = QStringLiteral("usb-q71-host-5/input%1").arg(HeadsetDescriptors::g_hidInterface);
    facts.origin = QStringLiteral("a simulated headset, timed from the scenario's first start");
    return facts;
}
