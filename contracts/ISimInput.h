#pragma once
#include "Types.h"
#include "cJsonValue.h"

#include <QChar>
#include <QObject>

// Simulated keyboard, mouse and joystick input.
class ISimInput : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual bool simulate(const cJsonValue &events) = 0;
    Q_INVOKABLE virtual bool releaseAll() = 0;
    Q_INVOKABLE virtual bool keyPress(HidKey::HidKey_t key) = 0;
    Q_INVOKABLE virtual bool keyRelease(HidKey::HidKey_t key) = 0;
    Q_INVOKABLE virtual bool click(HidKey::HidKey_t key) = 0;
    Q_INVOKABLE virtual bool mouseButtonPress(MouseButton::MouseButton_t button) = 0;
    Q_INVOKABLE virtual bool mouseButtonRelease(MouseButton::MouseButton_t button) = 0;
    Q_INVOKABLE virtual bool mouseButtonClick(MouseButton::MouseButton_t button) = 0;
    Q_INVOKABLE virtual bool moveMouse(int x, int y, MouseMove::MouseMove_t how) = 0;
    Q_INVOKABLE virtual bool mouseWheel(int delta) = 0;
    Q_INVOKABLE virtual bool mouseTilt(int delta) = 0;
    Q_INVOKABLE virtual bool unicode(QChar c) = 0;
    Q_INVOKABLE virtual bool enableJoystick(bool enable) = 0;
    Q_INVOKABLE virtual bool simulateJoystick(quint8 x, quint8 y, bool button) = 0;
};
