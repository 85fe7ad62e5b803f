#pragma once
#include "Types.h"

#include <QObject>

// Volume boost and dynamic gain.
class IGainModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isVolumeBoostActive() = 0;
    Q_INVOKABLE virtual bool enableVolumeBoost(bool enable) = 0;
    Q_INVOKABLE virtual float getDynamicGain() = 0;
    Q_INVOKABLE virtual bool setDynamicGain(float gain) = 0;
};
