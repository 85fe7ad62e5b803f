#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// A named, application-specific handler that receives mouse-button and G-key presses and
// releases.
class INativeAppSupport : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString name() = 0;
    Q_INVOKABLE virtual bool allowAssigned() = 0;
    Q_INVOKABLE virtual bool isActive() = 0;
    Q_INVOKABLE virtual void reset() = 0;
    Q_INVOKABLE virtual bool mouseButtonPressed(GenericButton::GenericButton_t button) = 0;
    Q_INVOKABLE virtual bool mouseButtonReleased(GenericButton::GenericButton_t button) = 0;
    Q_INVOKABLE virtual bool gkeyPressed(GKey::GKey_t gkey) = 0;
    Q_INVOKABLE virtual bool gkeyReleased(GKey::GKey_t gkey) = 0;
};
