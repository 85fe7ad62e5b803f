#pragma once
#include "Types.h"

// The host's way to a device's microphone model: asked for under its interface name and called
// by method name, because the model's class belongs to the plugin and only its meta-object is
// shared. Each operation returns the model's answer, or the type's zero when the call could not
// be made; `invoked` tells the two apart.
class cMicrophoneClient
{
public:
    explicit cMicrophoneClient(const cAbstractDevicePtr &device);

    bool isValid() const { return !m_model.isNull(); }

    MicCaps::MicCaps_t getCaps(bool *invoked = nullptr) const;
    MicLight::MicLight_t getLightConfig(bool *invoked = nullptr) const;
    bool setLightConfig(MicLight::MicLight_t type, bool *invoked = nullptr) const;
    MicMuteNotification::MicMuteNotification_t getNotificationConfig(bool *invoked = nullptr) const;
    bool setNotificationConfig(MicMuteNotification::MicMuteNotification_t type,
                               bool *invoked = nullptr) const;
    bool isMuted(bool *invoked = nullptr) const;
    // setLightConfig() when `light`, setNotificationConfig() otherwise: for callers that hold a
    // setting of either kind as a plain number.
    bool set(bool light, int value, bool *invoked = nullptr) const;
    // The settings of either kind the contract numbers, for a caller to name what it may give.
    static QList<int> settings(bool light);

private:
    cObjectPtr m_model;
};
