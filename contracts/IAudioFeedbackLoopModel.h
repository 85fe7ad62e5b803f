#pragma once
#include "Types.h"

#include <QObject>

class IAudioFeedbackLoopModel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool isActive() = 0;
    Q_INVOKABLE virtual bool startFeedbackLoop() = 0;
    Q_INVOKABLE virtual void stopFeedbackLoop() = 0;
};
