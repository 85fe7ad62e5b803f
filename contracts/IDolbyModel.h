#pragma once
#include "Types.h"

#include <QObject>

class IDolbyModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool enableDolby(bool enable) = 0;
    Q_INVOKABLE virtual bool isDH2PActive() = 0;
    Q_INVOKABLE virtual bool enableDH2P(bool enable) = 0;
    Q_INVOKABLE virtual bool isDPL2Active() = 0;
    Q_INVOKABLE virtual bool enableDPL2(bool enable) = 0;
    Q_INVOKABLE virtual bool isMovieModeActive() = 0;
    Q_INVOKABLE virtual bool enableMovieMode(bool enable) = 0;
    Q_INVOKABLE virtual bool isMultiChannelActive() = 0;
    Q_INVOKABLE virtual int getCenterWidth() = 0;
    Q_INVOKABLE virtual bool setCenterWidth(int width) = 0;
    Q_INVOKABLE virtual quint64 getChannelMaskRaw() = 0;
    Q_INVOKABLE virtual ChannelMask::ChannelMask_t getChannelMask() = 0;
};
