#include "cTransportFactory.h"

#include "HeadsetDescriptors.h"
#include "cSimAudioCaptureTransport.h"
#include "cSimAudioRenderTransport.h"
#include "cSimHidTransport.h"
#include "cSimPlainTransport.h"
#include "cTransportInfo.h"

namespace {
using HeadsetDescriptors::g_hidInterface;
using HeadsetDescriptors::g_productId;
using HeadsetDescriptors::g_vendorId;
const int g_foreignProductId = 0x0002;
const int g_vendorUsagePage = 0xFF00;

cJsonValue makeInfo(TransportKind::TransportKind_t kind, int unit, int productId, const QString &uidPrefix)
{
    cTransportInfo info(kind,
                        QStringLiteral("%1-%2-%3").arg(uidPrefix).arg(unit).arg(TransportKind::name(kind)));
    info.usbIds(g_vendorId, productId);
    if (kind == TransportKind::Hid || kind == TransportKind::Other)
        info.hidInterface(g_hidInterface).usagePage(g_vendorUsagePage);
    return info.build();
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
