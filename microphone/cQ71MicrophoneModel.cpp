#include "cQ71MicrophoneModel.h"

#include "cQ71Device.h"

cQ71MicrophoneModel::cQ71MicrophoneModel(cQ71Device *device)
    : m_device(device)
{ }

MicCaps::MicCaps_t cQ71MicrophoneModel::getCaps()
{
    // The light and the mute notification can both be configured, whatever the device's state.
    return MicCaps::LightAndNotification;
}

MicLight::MicLight_t cQ71MicrophoneModel::getLightConfig()
{
    return m_device ? m_device->micLight() : MicLight::MicLight_t(0);
}

bool cQ71MicrophoneModel::setLightConfig(MicLight::MicLight_t type)
{
    return m_device && m_device->setMicLight(type);
}

MicMuteNotification::MicMuteNotification_t cQ71MicrophoneModel::getNotificationConfig()
{
    return m_device ? m_device->micNotification() : MicMuteNotification::MicMuteNotification_t(0);
}

bool cQ71MicrophoneModel::setNotificationConfig(MicMuteNotification::MicMuteNotification_t type)
{
    return m_device && m_device->setMicNotification(type);
}

bool cQ71MicrophoneModel::isMuted()
{
    // The headset does not report its mute state.
    return false;
}
