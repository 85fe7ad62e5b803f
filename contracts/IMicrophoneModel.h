#pragma once
#include "Types.h"

#include <QObject>

// A device's microphone: its capabilities, light and mute-notification settings.
class IMicrophoneModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual MicCaps::MicCaps_t getCaps() = 0;
    Q_INVOKABLE virtual MicLight::MicLight_t getLightConfig() = 0;
    Q_INVOKABLE virtual bool setLightConfig(MicLight::MicLight_t type) = 0;
    Q_INVOKABLE virtual MicMuteNotification::MicMuteNotification_t getNotificationConfig() = 0;
    Q_INVOKABLE virtual bool setNotificationConfig(MicMuteNotification::MicMuteNotification_t type) = 0;
    Q_INVOKABLE virtual bool isMuted() = 0;
};
