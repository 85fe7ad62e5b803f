#pragma once
#include "Types.h"

#include <QObject>
#include <QTime>

// The playback state of one running macro.
class IPlayState : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool start() = 0;
    Q_INVOKABLE virtual void stop() = 0;
    Q_INVOKABLE virtual QTime nextEvent() = 0;
    Q_INVOKABLE virtual bool isFinished() = 0;
    Q_INVOKABLE virtual void advanceTimeTo(const QTime &currTime) = 0;
    Q_INVOKABLE virtual void processTrigger(PlayStateTriggers::PlayStateTriggers_t trigger) = 0;
};
