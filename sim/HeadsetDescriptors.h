#pragma once
#include <QByteArray>

// What the simulated headset tells a USB host about itself when it is plugged in.
namespace HeadsetDescriptors {

// The ids the shipped manifest matches, and the interface number of the HID transport's probe.
constexpr int g_vendorId = 0x1209;
constexpr int g_productId = 0x0001;
constexpr int g_hidInterface = 3;

// The 18-byte device descriptor: a full-speed USB 2.0 device whose interfaces carry their classes.
QByteArray deviceDescriptor();
// The same with another device's ids, for a capture of a real one.
QByteArray deviceDescriptor(int vendorId, int productId);

// The whole configuration, wTotalLength bytes: a USB audio class 1 headset (audio control on
// interface 0, render streaming on 1, capture streaming on 2) beside the vendor HID interface 3 with
// its interrupt IN endpoint 0x81 and OUT endpoint 0x02.
QByteArray configurationDescriptor();
// The same for a HID interface whose report descriptor is `reportDescriptorLength` bytes long.
QByteArray configurationDescriptor(int reportDescriptorLength);

// The HID report descriptor of the headset's vendor interface: one vendor-defined application
// collection (usage page 0xFF00) with input reports 1 and 2 and output report 2, each four data
// bytes of a usage each after the report id, so that every report is five bytes long with its id.
QByteArray reportDescriptor();

} // namespace HeadsetDescriptors
