#include "cQ71Device.h"

#include "Brask.h"
#include "IAudioDevice.h"
#include "IProfilerDevice.h"
#include "IServiceMgr.h"
#include "cProfiler.h"
#include "cQ71MicrophoneModel.h"

#include <utility>

// Reads go through the const view of the device information: the mutable one would create the
// keys it is asked for.

namespace {
const QString &mainAppEvents()
{
    static const QString source = QStringLiteral("MainApp_Events");
    return source;
}
} // namespace

cQ71Device::cQ71Device(const cJsonValue &deviceInfo)
    : m_deviceInfo(cJsonValue::JsonValueType(0))
{
    setObjectName(QStringLiteral("Q71Device"));
    m_deviceInfo = deviceInfo;

    // The headset is sold under another name in Japan; the host shows this name for its audio
    // device.
    if (Brask::currentLocale() == QLatin1String("en-JP") || Brask::currentLocale() == QLatin1String("ja-JP"))
        m_deviceInfo["audio_device_name"] = cJsonValue("Ostiva Q71 Headset");
    else
        m_deviceInfo["audio_device_name"] = cJsonValue("Velmoor Q71 Headset");

    m_lastStatus.fill(0);
    const cJsonValue &info = m_deviceInfo;
    m_model = info["model"].toString();
    m_profilerCategory = info["profiler"]["category"].toString();
    m_microphoneModel = cMicrophoneModelPtr(new cQ71MicrophoneModel(this));

    IServiceMgr::instance()->subscribeEvents(mainAppEvents(), this, QStringLiteral("on"));
}

cQ71Device::~cQ71Device()
{
    // Only the device's references go: nothing is written, no transport stopped and the audio
    // device is not handed back, since the host may be tearing everything down already.
    IServiceMgr::instance()->unsubscribeEvents(mainAppEvents(), this);
}

cObjectPtr cQ71Device::queryInterface(const QString &ifc)
{
    if (ifc == QLatin1String("IAudioDevice"))
        return m_audioDevice;
    if (ifc == QLatin1String("IMicrophoneModel"))
        return m_microphoneModel;
    if (ifc == QLatin1String("IProfilerDevice"))
        return m_profilerDevice;
    return cObjectPtr();
}

QString cQ71Device::id()
{
    return std::as_const(m_deviceInfo)["uid"].toString();
}

void cQ71Device::setId(const QString &id)
{
    m_deviceInfo["uid"] = cJsonValue(id);
}

QString cQ71Device::model()
{
    return std::as_const(m_deviceInfo)["model"].toString();
}

QString cQ71Device::displayName()
{
    return std::as_const(m_deviceInfo)["name"].toString();
}

const cJsonValue &cQ71Device::deviceInfo()
{
    return m_deviceInfo;
}

void cQ71Device::writeProperty(const cJsonValue &prop)
{
    // The headset has no writable properties.
    Q_UNUSED(prop);
}

void cQ71Device::attachProfilerDevice(cAbstractDevicePtr self)
{
    m_self = self;
    cProfiler profiler;
    m_profilerDevice = profiler.createProfilerDevice(self);
}
