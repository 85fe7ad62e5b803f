#include "cTransportInfo.h"

#include "cDevMgrLowService.h"

cTransportInfo::cTransportInfo(TransportKind::TransportKind_t kind, const QString &uid)
    : m_kind(kind)
    , m_uid(uid)
{ }

cTransportInfo &cTransportInfo::usbIds(int vendorId, int productId)
{
    m_probe["vendor_id"] = cJsonValue(vendorId);
    m_probe["product_id"] = cJsonValue(productId);
    return *this;
}

cTransportInfo &cTransportInfo::hidInterface(int interfaceNumber)
{
    m_probe["interface"] = cJsonValue(interfaceNumber);
    return *this;
}

cTransportInfo &cTransportInfo::usagePage(int page)
{
    m_probe["usage_page"] = cJsonValue(page);
    return *this;
}

cJsonValue cTransportInfo::build() const
{
    cJsonValue info;
    info["uid"] = cJsonValue(m_uid);
    cJsonValue probe = m_probe;
    switch (m_kind) {
    case TransportKind::Render:
        probe["endpoint"] = cJsonValue("render");
        break;
    case TransportKind::Capture:
        probe["endpoint"] = cJsonValue("capture");
        break;
    case TransportKind::Hid:
    case TransportKind::Other:
        break;
    }
    // A transport of no kind the manifest names is described as a HID one, so that a provider
    // has something to refuse it by.
    const int key = m_kind == TransportKind::Other ? TransportKind::Hid : m_kind;
    info[cDevMgrLowService::ProbeKeys[key]] = probe;
    return info;
}
