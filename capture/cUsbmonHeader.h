#pragma once
#include <QtGlobal>

#include <cstddef>

// The kernel's binary usbmon record (struct usbmon_packet), in the byte order of the host that
// captured it: libpcap writes the file header in host order too and swaps both when a file is read
// on a host of the other order. cPcapWriter writes it and cCaptureReader reads it.
struct cUsbmonHeader
{
    quint64 id;
    char type;
    quint8 xferType;
    quint8 epnum;
    quint8 devnum;
    quint16 busnum;
    char flagSetup;
    char flagData;
    qint64 tsSec;
    qint32 tsUsec;
    qint32 status;
    quint32 length;
    quint32 lenCap;
    quint8 setup[8];
    qint32 interval;
    qint32 startFrame;
    quint32 xferFlags;
    quint32 ndesc;
};
static_assert(sizeof(cUsbmonHeader) == 64, "usbmon mmapped header is 64 bytes");
static_assert(offsetof(cUsbmonHeader, busnum) == 12 && offsetof(cUsbmonHeader, tsSec) == 16
                  && offsetof(cUsbmonHeader, lenCap) == 36 && offsetof(cUsbmonHeader, interval) == 48,
              "usbmon mmapped header layout");

// A LINKTYPE_USB_LINUX (189) record holds the header up to `interval`, a LINKTYPE_USB_LINUX_MMAPPED
// (220) record all of it.
constexpr quint32 g_usbmonLength = offsetof(cUsbmonHeader, interval);
constexpr quint32 g_usbmonMmappedLength = sizeof(cUsbmonHeader);

// usbmon and USBPcap number the transfer types alike, and keep the endpoint's direction bit.
constexpr quint8 g_usbXferControl = 2;
constexpr quint8 g_usbXferInterrupt = 1;
constexpr quint8 g_usbEndpointIn = 0x80;
