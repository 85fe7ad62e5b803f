#pragma once
#include "Types.h"

#include <QDateTime>
#include <QObject>

// Channel levels and the last detected surround content.
class IChannelMixerModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isMixerActive() = 0;
    Q_INVOKABLE virtual bool enableMixer(bool enable) = 0;
    Q_INVOKABLE virtual int getChannelLevel(int channel) = 0;
    Q_INVOKABLE virtual bool setChannelLevel(int channel, int level) = 0;
    Q_INVOKABLE virtual QDateTime getLastSurroundContentTime() = 0;
    Q_INVOKABLE virtual ChannelMask::ChannelMask_t getLastSurroundContentMask() = 0;
};
