#include "HeadsetDescriptors.h"

#include "HeadsetReport.h"

namespace HeadsetDescriptors {

namespace {

// Where the device descriptor holds its ids.
constexpr int g_idVendorAt = 8;
constexpr int g_idProductAt = 10;

QByteArray bytes(const unsigned char *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

// A USB descriptor's 16-bit field, little-endian. Byte by byte: GCC 12 takes Qt 5's
// qToLittleEndian() into a QByteArray's data for a write past its header (-Wstringop-overflow).
void putWord(QByteArray &descriptor, int at, int value)
{
    descriptor[at] = char(value & 0xFF);
    descriptor[at + 1] = char((value >> 8) & 0xFF);
}

} // namespace

QByteArray deviceDescriptor()
{
    return deviceDescriptor(g_vendorId, g_productId);
}

QByteArray deviceDescriptor(int vendorId, int productId)
{
    static const unsigned char descriptor[] = {
        0x12, 0x01, 0x00, 0x02, // DEVICE, USB 2.00
        0x00, 0x00, 0x00, 0x40, // each interface names its own class; 64-byte packets on endpoint 0
        0x00, 0x00, 0x00, 0x00, // idVendor, idProduct: set below
        0x00, 0x01, //             bcdDevice 1.00
        0x00, 0x00, 0x00, 0x01, // no manufacturer, product or serial strings; one configuration
    };
    QByteArray device = bytes(descriptor, int(sizeof descriptor));
    putWord(device, g_idVendorAt, vendorId);
    putWord(device, g_idProductAt, productId);
    return device;
}

QByteArray configurationDescriptor()
{
    return configurationDescriptor(reportDescriptor().size());
}

QByteArray configurationDescriptor(int reportDescriptorLength)
{
    static const unsigned char descriptor[] = {
        0x09, 0x02, 0xCE, 0x00, // CONFIGURATION, wTotalLength 206: everything below
        0x04, 0x01, 0x00, //       four interfaces, configuration 1, no string
        0x80, 0x32, //             bus powered, 100 mA

        // Interface 0, audio control: the render path from USB to the headphones (terminals 1
        // and 2), the capture path from the microphone to USB (terminals 3 and 4).
        0x09, 0x04, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, //
        0x0A, 0x24, 0x01, 0x00, 0x01, 0x34, 0x00, // HEADER, ADC 1.00, 52 bytes of class descriptors
        0x02, 0x01, 0x02, //                         which govern the streaming interfaces 1 and 2
        0x0C, 0x24, 0x02, 0x01, 0x01, 0x01, 0x00, // INPUT_TERMINAL 1: USB streaming,
        0x02, 0x03, 0x00, 0x00, 0x00, //             stereo, left and right front
        0x09, 0x24, 0x03, 0x02, 0x02, 0x03, 0x00, 0x01, 0x00, // OUTPUT_TERMINAL 2: headphones, from 1
        0x0C, 0x24, 0x02, 0x03, 0x01, 0x02, 0x00, // INPUT_TERMINAL 3: microphone,
        0x01, 0x00, 0x00, 0x00, 0x00, //             mono
        0x09, 0x24, 0x03, 0x04, 0x01, 0x01, 0x00, 0x03, 0x00, // OUTPUT_TERMINAL 4: USB streaming, from 3

        // Interface 1, render streaming: no bandwidth in alternate setting 0, 48 kHz stereo 16-bit
        // PCM to isochronous OUT endpoint 0x01 in setting 1.
        0x09, 0x04, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, //
        0x09, 0x04, 0x01, 0x01, 0x01, 0x01, 0x02, 0x00, 0x00, //
        0x07, 0x24, 0x01, 0x01, 0x01, 0x01, 0x00, //             AS_GENERAL: terminal 1, PCM
        0x0B, 0x24, 0x02, 0x01, 0x02, 0x02, 0x10, 0x01, 0x80, 0xBB, 0x00, // FORMAT_TYPE I, 48000 Hz
        0x09, 0x05, 0x01, 0x09, 0xC0, 0x00, 0x01, 0x00, 0x00, // ENDPOINT 0x01, adaptive, 192 bytes
        0x07, 0x25, 0x01, 0x01, 0x00, 0x00, 0x00, //             EP_GENERAL: sampling rate control

        // Interface 2, capture streaming: 48 kHz mono 16-bit PCM from isochronous IN endpoint 0x82.
        0x09, 0x04, 0x02, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, //
        0x09, 0x04, 0x02, 0x01, 0x01, 0x01, 0x02, 0x00, 0x00, //
        0x07, 0x24, 0x01, 0x04, 0x01, 0x01, 0x00, //             AS_GENERAL: terminal 4, PCM
        0x0B, 0x24, 0x02, 0x01, 0x01, 0x02, 0x10, 0x01, 0x80, 0xBB, 0x00, // FORMAT_TYPE I, 48000 Hz
        0x09, 0x05, 0x82, 0x05, 0x60, 0x00, 0x01, 0x00, 0x00, // ENDPOINT 0x82, asynchronous, 96 bytes
        0x07, 0x25, 0x01, 0x01, 0x00, 0x00, 0x00, //             EP_GENERAL: sampling rate control

        // Interface 3, the headset's vendor HID interface (no boot protocol), with the report
        // descriptor below and its two interrupt endpoints polled every frame.
        0x09, 0x04, g_hidInterface, 0x00, 0x02, 0x03, 0x00, 0x00, 0x00, //
        0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22, 0x00, 0x00, // HID 1.11, its report descriptor
        0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x01, //             ENDPOINT 0x81, interrupt, 64 bytes
        0x07, 0x05, 0x02, 0x03, 0x40, 0x00, 0x01, //             ENDPOINT 0x02, interrupt, 64 bytes
    };
    QByteArray configuration = bytes(descriptor, int(sizeof descriptor));
    // The 9-byte HID descriptor comes before the two 7-byte endpoint descriptors; its
    // wDescriptorLength is its last field.
    constexpr int hidDescriptorAt = int(sizeof descriptor) - 7 - 7 - 9;
    putWord(configuration, hidDescriptorAt + 7, reportDescriptorLength);
    return configuration;
}

QByteArray reportDescriptor()
{
    using namespace HeadsetReport;
    // One report id item stands for the answers in and the commands out alike.
    static_assert(AnswerReportId == OutputReportId, "commands out would need a report id item of their own");
    // Each report's data bytes carry a usage of their own (usage minimum to maximum): a field
    // without one is padding to a reader such as Wireshark, which would show the bytes after the
    // first as such. The usages number the bytes from 0x10 for the volume report, 0x20 for an
    // answer and 0x30 for a command.
    constexpr int dataBytes = ReportLength - 1;
    constexpr int lastUsage = dataBytes - 1;
    // clang-format off
    static const unsigned char descriptor[] = {
        0x06, 0x00, 0xFF,              // usage page (vendor defined 0xFF00)
        0x09, 0x01,                    // usage 1
        0xA1, 0x01,                    // collection (application)
        0x85, VolumeReportId,          //   report id: the volume report
        0x19, 0x10,                    //   usage minimum
        0x29, 0x10 + lastUsage,        //   usage maximum
        0x15, 0x00,                    //   logical minimum 0
        0x26, 0xFF, 0x00,              //   logical maximum 255
        0x75, 0x08,                    //   report size 8
        0x95, dataBytes,               //   report count
        0x81, 0x02,                    //   input (data, variable, absolute)
        0x85, AnswerReportId,          //   report id: answers in, commands out
        0x19, 0x20,                    //   usage minimum
        0x29, 0x20 + lastUsage,        //   usage maximum
        0x95, dataBytes,               //   report count
        0x81, 0x02,                    //   input (data, variable, absolute)
        0x19, 0x30,                    //   usage minimum
        0x29, 0x30 + lastUsage,        //   usage maximum
        0x95, dataBytes,               //   report count
        0x91, 0x02,                    //   output (data, variable, absolute)
        0xC0,                          // end collection
    };
    // clang-format on
    return bytes(descriptor, int(sizeof descriptor));
}

} // namespace HeadsetDescriptors
