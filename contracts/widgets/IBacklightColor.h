#pragma once
#include "Types.h"

#include <QColor>
#include <QObject>

// A device's backlight colour.
class IBacklightColor : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QColor color() = 0;
    Q_INVOKABLE virtual bool setColor(const QColor &newColor) = 0;
    Q_INVOKABLE virtual bool isGlobal() = 0;
};
