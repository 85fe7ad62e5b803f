#pragma once
#include <QByteArray>

// What the simulated headset tells a USB host about itself when it is plugged in.
namespace HeadsetDescriptors {

// The HID report descriptor of the headset's vendor interface: one vendor-defined application
// collection (usage page 0xFF00) with input reports 1 and 2 and output report 2, each four bytes
// after the report id, so that every report is five bytes long with its id.
QByteArray reportDescriptor();

} // namespace HeadsetDescriptors
