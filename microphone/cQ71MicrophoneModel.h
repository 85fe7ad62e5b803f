#pragma once
#include "IMicrophoneModel.h"

#include <QPointer>

class cQ71Device;

// The headset's microphone model. It holds no settings of its own: it reads them from its device,
// and its setters are the device's, which turn them into output reports. It answers to
// IMicrophoneModel's meta-object, so the host reaches the same operations by name.
//
// The host may keep the model after the device is gone; a guarded pointer lets it notice, and it
// then touches nothing and gives the empty answer: false from the setters, 0 from the getters.
class cQ71MicrophoneModel : public IMicrophoneModel
{
public:
    explicit cQ71MicrophoneModel(cQ71Device *device);

    MicCaps::MicCaps_t getCaps() override;
    MicLight::MicLight_t getLightConfig() override;
    bool setLightConfig(MicLight::MicLight_t type) override;
    MicMuteNotification::MicMuteNotification_t getNotificationConfig() override;
    bool setNotificationConfig(MicMuteNotification::MicMuteNotification_t type) override;
    bool isMuted() override;

private:
    const QPointer<cQ71Device> m_device;
};
