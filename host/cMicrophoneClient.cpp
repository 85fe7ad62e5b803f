#include "cMicrophoneClient.h"

#include "IAbstractDevice.h"

#include <QMetaObject>

namespace {
void report(bool ok, bool *invoked)
{
    if (invoked)
        *invoked = ok;
}
} // namespace

cMicrophoneClient::cMicrophoneClient(const cAbstractDevicePtr &device)
{
    if (device)
        m_model = device->queryInterface(QStringLiteral("IMicrophoneModel"));
}

MicCaps::MicCaps_t cMicrophoneClient::getCaps(bool *invoked) const
{
    MicCaps::MicCaps_t caps = MicCaps::None;
    report(
        m_model
            && QMetaObject::invokeMethod(m_model.data(), "getCaps", Q_RETURN_ARG(MicCaps::MicCaps_t, caps)),
        invoked);
    return caps;
}

MicLight::MicLight_t cMicrophoneClient::getLightConfig(bool *invoked) const
{
    MicLight::MicLight_t type = MicLight::MicLight_t(0);
    report(m_model
               && QMetaObject::invokeMethod(m_model.data(), "getLightConfig",
                                            Q_RETURN_ARG(MicLight::MicLight_t, type)),
           invoked);
    return type;
}

bool cMicrophoneClient::setLightConfig(MicLight::MicLight_t type, bool *invoked) const
{
    bool accepted = false;
    report(m_model
               && QMetaObject::invokeMethod(m_model.data(), "setLightConfig", Q_RETURN_ARG(bool, accepted),
                                            Q_ARG(MicLight::MicLight_t, type)),
           invoked);
    return accepted;
}

MicMuteNotification::MicMuteNotification_t cMicrophoneClient::getNotificationConfig(bool *invoked) const
{
    MicMuteNotification::MicMuteNotification_t type = MicMuteNotification::MicMuteNotification_t(0);
    report(m_model
               && QMetaObject::invokeMethod(m_model.data(), "getNotificationConfig",
                                            Q_RETURN_ARG(MicMuteNotification::MicMuteNotification_t, type)),
           invoked);
    return type;
}

bool cMicrophoneClient::setNotificationConfig(MicMuteNotification::MicMuteNotification_t type,
                                              bool *invoked) const
{
    bool accepted = false;
    report(m_model
               && QMetaObject::invokeMethod(m_model.data(), "setNotificationConfig",
                                            Q_RETURN_ARG(bool, accepted),
                                            Q_ARG(MicMuteNotification::MicMuteNotification_t, type)),
           invoked);
    return accepted;
}

bool cMicrophoneClient::isMuted(bool *invoked) const
{
    bool muted = false;
    report(m_model && QMetaObject::invokeMethod(m_model.data(), "isMuted", Q_RETURN_ARG(bool, muted)),
           invoked);
    return muted;
}

bool cMicrophoneClient::set(bool light, int value, bool *invoked) const
{
    return light ? setLightConfig(MicLight::MicLight_t(value), invoked)
                 : setNotificationConfig(MicMuteNotification::MicMuteNotification_t(value), invoked);
}

QList<int> cMicrophoneClient::settings(bool light)
{
    if (light)
        return {MicLight::Setting1, MicLight::Setting2, MicLight::Setting3};
    return {MicMuteNotification::Setting1, MicMuteNotification::Setting2};
}
