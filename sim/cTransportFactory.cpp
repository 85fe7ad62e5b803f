#include "cTransportFactory.h"

#include "HeadsetDescriptors.h"
#include "cSimAudioCaptureTransport.h"
#include "cSimAudioRenderTransport.h"
#include "cSimHidTransport.h"
#include "cSimPlainTransport.h"

namespace {
using HeadsetDescriptors::g_hidInterface;
using HeadsetDescriptors::g_productId;
using HeadsetDescriptors::g_vendorId;
const int g_foreignProductId = 0x0002;
const int g_vendorUsagePage = 0xFF00;

cJsonValue makeInfo(TransportKind::TransportKind_t kind, int unit, int productId, const QString &uidPrefix)
{
    cJsonValue info;
    info["uid"]
        = cJsonValue(QStringLiteral("%1-%2-%3").arg(uidPrefix).arg(unit).arg(TransportKind::name(kind)));

    cJsonValue probe;
    probe["vendor_id"] = cJsonValue(g_vendorId);
    probe["product_id"] = cJsonValue(productId);
    switch (kind) {
    case TransportKind::Hid:
    case TransportKind::Other:
        probe["interface"] = cJsonValue(g_hidInterface);
        probe["usage_page"] = cJsonValue(g_vendorUsagePage);
        info["hid_probe"] = probe;
        break;
    case TransportKind::Render:
        probe["endpoint"] = cJsonValue("render");
        info["audio_render_probe"] = probe;
        break;
    case TransportKind::Capture:
        probe["endpoint"] = cJsonValue("capture");
        info["audio_capture_probe"] = probe;
        break;
    }
    return info;
}
} // namespace

cJsonValue cTransportFactory::headsetInfo(TransportKind::TransportKind_t kind, int unit)
{
    return makeInfo(kind, unit, g_productId, QStringLiteral("Q71"));
}

cJsonValue cTransportFactory::foreignInfo(TransportKind::TransportKind_t kind, int unit)
{
    return makeInfo(kind, unit, g_foreignProductId, QStringLiteral("Foreign"));
}

cAbstractTransportPtr cTransportFactory::create(TransportKind::TransportKind_t kind, const cJsonValue &info)
{
    switch (kind) {
    case TransportKind::Hid:
        return cAbstractTransportPtr(new cSimHidTransport(info));
    case TransportKind::Render:
        return cAbstractTransportPtr(new cSimAudioRenderTransport(info));
    case TransportKind::Capture:
        return cAbstractTransportPtr(new cSimAudioCaptureTransport(info));
    case TransportKind::Other:
        break;
    }
    return cAbstractTransportPtr(new cSimPlainTransport(info));
}

cAbstractTransportPtr cTransportFactory::headset(TransportKind::TransportKind_t kind, int unit)
{
    return create(kind, headsetInfo(kind, unit));
}

cAbstractTransportPtr cTransportFactory::foreign(TransportKind::TransportKind_t kind, int unit)
{
    return create(kind, foreignInfo(kind, unit));
}
