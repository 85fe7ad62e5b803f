#pragma once
#include "TransportKind.h"
#include "cJsonValue.h"

#include <QString>

// The information a bus describes a transport with: its "uid" and the probe entry the host's
// manifest matching reads ("hid_probe", "audio_render_probe" or "audio_capture_probe", with the
// keys the manifest's probes name). Every bus builds it here, so that each key is written once.
class cTransportInfo
{
public:
    cTransportInfo(TransportKind::TransportKind_t kind, const QString &uid);

    // The USB device's ids, which every probe names.
    cTransportInfo &usbIds(int vendorId, int productId);
    // A HID transport's USB interface number.
    cTransportInfo &hidInterface(int interfaceNumber);
    // The usage page a HID transport's report descriptor opens with.
    cTransportInfo &usagePage(int page);

    cJsonValue build() const;

private:
    TransportKind::TransportKind_t m_kind;
    QString m_uid;
    cJsonValue m_probe;
};
