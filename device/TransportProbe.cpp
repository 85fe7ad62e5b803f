#include "TransportProbe.h"

#include "IAudioCaptureTransport.h"
#include "IAudioRenderTransport.h"
#include "IHidTransport.h"

namespace TransportProbe {

namespace {

const char *probeKey(Kind kind)
{
    switch (kind) {
    case Hid:
        return "hid_probe";
    case AudioRender:
        return "audio_render_probe";
    case AudioCapture:
        return "audio_capture_probe";
    case None:
        break;
    }
    return nullptr;
}

} // namespace

bool implements(IAbstractTransport *transport, Kind kind)
{
    switch (kind) {
    case Hid:
        return dynamic_cast<IHidTransport *>(transport) != nullptr;
    case AudioRender:
        return dynamic_cast<IAudioRenderTransport *>(transport) != nullptr;
    case AudioCapture:
        return dynamic_cast<IAudioCaptureTransport *>(transport) != nullptr;
    case None:
        break;
    }
    return false;
}

Kind kindOf(IAbstractTransport *transport)
{
    for (Kind kind : {Hid, AudioRender, AudioCapture}) {
        if (implements(transport, kind))
            return kind;
    }
    return None;
}

bool matches(const cJsonValue &deviceInfo, Kind kind, const cJsonValue &transportInfo)
{
    const char *key = probeKey(kind);
    return key && deviceInfo[key][0].containedIn(transportInfo[key]);
}

} // namespace TransportProbe
