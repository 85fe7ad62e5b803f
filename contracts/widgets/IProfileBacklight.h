#pragma once
#include "Types.h"

#include <QColor>
#include <QObject>
#include <QString>

// A profile's backlight colour per mode for one device model.
class IProfileBacklight : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual void setColor(const QColor &c, MKey::MKey_t mode) = 0;
    Q_INVOKABLE virtual QColor color(MKey::MKey_t mode) = 0;
    Q_INVOKABLE virtual QString model() = 0;
};
