#include "cDevMgrLowService.h"

#include "HostLog.h"
#include "IAbstractDeviceProvider.h"

#include <QDomNamedNodeMap>
#include <QMetaClassInfo>
#include <QRegularExpression>
#include <QUuid>

#include <limits>
#include <utility>

const char *const cDevMgrLowService::ProbeKeys[3]
    = {"hid_probe", "audio_render_probe", "audio_capture_probe"};

namespace {
const char g_interfaceVersion[] = "1";

// Manifests spell ids the way data sheets do, so "0x1209" and "4617" must give the same number
// that a bus reports; anything else, "03 " or "render" alike, stays the text it is.
cJsonValue attributeValue(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+$"));
    static const QRegularExpression hex(QStringLiteral("^0[xX]([0-9a-fA-F]+)$"));
    bool ok = false;
    qlonglong number = 0;
    if (decimal.match(text).hasMatch()) {
        number = text.toLongLong(&ok, 10);
    } else {
        const QRegularExpressionMatch match = hex.match(text);
        if (match.hasMatch())
            number = match.captured(1).toLongLong(&ok, 16);
    }
    if (!ok)
        return cJsonValue(text);
    if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
        return cJsonValue(int(number));
    return cJsonValue(double(number));
}

cJsonValue probeValue(const QDomElement &probe)
{
    cJsonValue value(cJsonValue::Object);
    const QDomNamedNodeMap attributes = probe.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        value[attribute.name()] = attributeValue(attribute.value());
    }
    return value;
}

QString interfaceVersion(const QObject *object)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfClassInfo("version");
    return index < 0 ? QString() : QString::fromLatin1(meta->classInfo(index).value());
}
} // namespace

cDevMgrLowService::cDevMgrLowService(QObject *parent)
{
    setParent(parent);
}

void cDevMgrLowService::registerBus(cAbstractDevBusPtr bus)
{
    if (bus && !m_buses.contains(bus))
        m_buses.append(bus);
}

void cDevMgrLowService::unregisterBus(cAbstractDevBusPtr bus)
{
    m_buses.removeAll(bus);
}

void cDevMgrLowService::registerDeviceProvider(cAbstractDeviceProviderPtr deviceProvider, QString pluginAlias)
{
    if (!deviceProvider)
        return;
    // The provider's meta-object is the plugin's own copy of the contract; its class info is the
    // only way to learn which contract the plugin was built against.
    const QString version = interfaceVersion(deviceProvider.data());
    if (version != QLatin1String(g_interfaceVersion)) {
        m_lastRefusal = QStringLiteral("Refused the device provider of plugin '%1': it implements "
                                       "interface version '%2', this host speaks version '%3'")
                            .arg(pluginAlias, version, QLatin1String(g_interfaceVersion));
        qCWarning(lcHost).noquote() << m_lastRefusal;
        return;
    }
    for (const cProvider &entry : std::as_const(m_providers)) {
        if (entry.provider == deviceProvider)
            return;
    }
    m_providers.append({deviceProvider, pluginAlias});
}

void cDevMgrLowService::unregisterDeviceProvider(cAbstractDeviceProviderPtr deviceprovider)
{
    for (int i = 0; i < m_providers.size(); ++i) {
        if (m_providers.at(i).provider == deviceprovider) {
            m_providers.removeAt(i);
            return;
        }
    }
}

cAbstractDeviceProviderPtr cDevMgrLowService::provider(const QString &alias) const
{
    for (const cProvider &entry : m_providers) {
        if (entry.alias == alias)
            return entry.provider;
    }
    return cAbstractDeviceProviderPtr();
}

QString cDevMgrLowService::generateUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

cJsonValue cDevMgrLowService::parseManifest(const QDomElement &deviceXml)
{
    if (deviceXml.isNull())
        return cJsonValue();
    cJsonValue info(cJsonValue::Object);
    info["model"] = cJsonValue(deviceXml.attribute(QStringLiteral("model")));
    info["name"] = cJsonValue(deviceXml.attribute(QStringLiteral("name")));
    for (const char *key : ProbeKeys) {
        cJsonValue probes(cJsonValue::Array);
        const QString tag = QLatin1String(key);
        for (QDomElement probe = deviceXml.firstChildElement(tag); !probe.isNull();
             probe = probe.nextSiblingElement(tag))
            probes.append(probeValue(probe));
        info[key] = probes;
    }
    return info;
}
