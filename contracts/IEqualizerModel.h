#pragma once
#include "Types.h"

#include <QObject>

// A band equalizer with pre-amplification.
class IEqualizerModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isEqualizerActive() = 0;
    Q_INVOKABLE virtual bool enableEqualizer(bool enable) = 0;
    Q_INVOKABLE virtual double getBandEQ(int bandNumber) = 0;
    Q_INVOKABLE virtual bool setBandEQ(int bandNumber, double gain) = 0;
    Q_INVOKABLE virtual double getBandQ(int bandNumber) = 0;
    Q_INVOKABLE virtual bool setBandQ(int bandNumber, double q) = 0;
    Q_INVOKABLE virtual float getPreAmpValue() = 0;
    Q_INVOKABLE virtual bool setPreAmpValue(float value) = 0;
    Q_INVOKABLE virtual int getBandFrequency(int bandNumber) = 0;
    Q_INVOKABLE virtual bool setBandFrequency(int bandNumber, int frequency) = 0;
};
