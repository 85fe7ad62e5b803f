#include "HeadsetDescriptors.h"

namespace HeadsetDescriptors {

QByteArray reportDescriptor()
{
    static const unsigned char descriptor[] = {
        0x06, 0x00, 0xFF, // usage page (vendor defined 0xFF00)
        0x09, 0x01, //       usage 1
        0xA1, 0x01, //       collection (application)
        0x85, 0x01, //         report id 1: the volume report
        0x09, 0x01, //         usage 1
        0x15, 0x00, //         logical minimum 0
        0x26, 0xFF, 0x00, //   logical maximum 255
        0x75, 0x08, //         report size 8
        0x95, 0x04, //         report count 4
        0x81, 0x02, //         input (data, variable, absolute)
        0x85, 0x02, //         report id 2: answers in, commands out
        0x09, 0x02, //         usage 2
        0x95, 0x04, //         report count 4
        0x81, 0x02, //         input (data, variable, absolute)
        0x09, 0x03, //         usage 3
        0x95, 0x04, //         report count 4
        0x91, 0x02, //         output (data, variable, absolute)
        0xC0, //             end collection
    };
    return QByteArray(reinterpret_cast<const char *>(descriptor), int(sizeof descriptor));
}

} // namespace HeadsetDescriptors
