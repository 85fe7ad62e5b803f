#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

class IAudioPlayer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual PlayerResult::PlayerResult_t initialize() = 0;
    Q_INVOKABLE virtual void destroy() = 0;
    Q_INVOKABLE virtual PlayerResult::PlayerResult_t play(const QString &fileName) = 0;
    Q_INVOKABLE virtual PlayerResult::PlayerResult_t stop() = 0;
    Q_INVOKABLE virtual PlayerState::PlayerState_t getState() = 0;
};
