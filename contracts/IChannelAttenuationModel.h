#pragma once
#include "Types.h"

#include <QObject>

// Per-channel attenuation of an audio render path.
class IChannelAttenuationModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isActive() = 0;
    Q_INVOKABLE virtual bool enableAttenuation(bool enable) = 0;
    Q_INVOKABLE virtual float getChannelAttenuation(int channel) = 0;
    Q_INVOKABLE virtual bool setChannelAttenuation(int channel, float attenuation) = 0;
};
