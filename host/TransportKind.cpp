#include "TransportKind.h"

#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "IHidTransport.h"

namespace TransportKind {

TransportKind_t of(IAbstractTransport *transport)
{
    // Same order as the devices test it, so that an object implementing several interfaces is
    // reported as the kind a device would take it for.
    if (dynamic_cast<IHidTransport *>(transport))
        return Hid;
    if (dynamic_cast<IAudioRenderTransport *>(transport))
        return Render;
    if (dynamic_cast<IAudioCaptureTransport *>(transport))
        return Capture;
    return Other;
}

QString name(TransportKind_t kind)
{
    switch (kind) {
    case Hid:
        return QStringLiteral("hid");
    case Render:
        return QStringLiteral("render");
    case Capture:
        return QStringLiteral("capture");
    case Other:
        break;
    }
    return QStringLiteral("other");
}

} // namespace TransportKind
