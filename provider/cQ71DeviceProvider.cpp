#include "cQ71DeviceProvider.h"

#include "Brask.h"
#include "PluginGlobals.h"
#include "TransportProbe.h"
#include "cDevMgrLow.h"
#include "cQ71Device.h"

#include <QDomDocument>

cQ71DeviceProvider::cQ71DeviceProvider()
    : m_deviceInfo(cJsonValue::JsonValueType(0))
{
    // A missing or malformed manifest leaves the document empty: the provider then has no device
    // element, asks the device manager nothing and claims no transport.
    QDomDocument manifest;
    Brask::FileReadDom(g_pluginAlias + QStringLiteral(":Device_Manifest.xml"), manifest, true);
    m_deviceXml = manifest.documentElement().firstChildElement(QStringLiteral("device"));
    if (m_deviceXml.isNull())
        return;

    cDevMgrLow devMgr;
    m_deviceInfo = devMgr.parseManifest(m_deviceXml);
}

cAbstractDevicePtr cQ71DeviceProvider::createDevice(cAbstractTransportPtr transport)
{
    if (!transport)
        return cAbstractDevicePtr();

    const cJsonValue &transportInfo = transport->info();
    bool matched = false;
    for (TransportProbe::Kind kind :
         {TransportProbe::Hid, TransportProbe::AudioRender, TransportProbe::AudioCapture}) {
        // A transport that implements a kind but fails its probe is still tried as the later kinds.
        if (TransportProbe::implements(transport.data(), kind)
            && TransportProbe::matches(m_deviceInfo, kind, transportInfo)) {
            matched = true;
            break;
        }
    }
    if (!matched)
        return cAbstractDevicePtr();

    const QDomElement profiler = m_deviceXml.firstChildElement(QStringLiteral("profiler"));
    const QString category = profiler.attribute(QStringLiteral("category"));
    if (!profiler.isNull() && !category.isEmpty())
        m_deviceInfo["profiler"]["category"] = cJsonValue(category);

    cQ71Device *device = new cQ71Device(m_deviceInfo);
    // Attached before the device is wrapped: one transport never completes the audio pair, so no
    // audio device (which needs the owning pointer) can be asked for yet.
    device->addTransport(transport);
    cAbstractDevicePtr devicePtr(device);
    device->attachProfilerDevice(devicePtr);
    return devicePtr;
}

QDomElement cQ71DeviceProvider::deviceMetaData(const QString &deviceModel)
{
    if (m_deviceXml.attribute(QStringLiteral("model")) == deviceModel)
        return m_deviceXml;
    return QDomElement();
}
