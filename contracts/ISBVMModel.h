#pragma once
#include "Types.h"

#include <QObject>

// Voice morphing on the capture path.
class ISBVMModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isActive() = 0;
    Q_INVOKABLE virtual bool enableVM(bool enable) = 0;
    Q_INVOKABLE virtual int getVoiceSelection() = 0;
    Q_INVOKABLE virtual bool setVoiceSelection(int selection) = 0;
    Q_INVOKABLE virtual int getVoiceType() = 0;
    Q_INVOKABLE virtual bool setVoiceType(int type) = 0;
    Q_INVOKABLE virtual int getVoiceQuality() = 0;
    Q_INVOKABLE virtual bool setVoiceQuality(int quality) = 0;
    Q_INVOKABLE virtual bool resetVM() = 0;
    Q_INVOKABLE virtual int getNoiseThreshold() = 0;
    Q_INVOKABLE virtual bool setNoiseThreshold(int threshold) = 0;
    Q_INVOKABLE virtual bool enableNullVoice(bool enable) = 0;
    Q_INVOKABLE virtual bool isNullVoiceEnabled() = 0;
    Q_INVOKABLE virtual bool setNoiseThresholdForMorphing(int threshold) = 0;
    Q_INVOKABLE virtual bool setNoiseThresholdForNullVoice(int threshold) = 0;
};
