#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// One macro.
class IMacro : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual cMacroPtr clone() = 0;
    Q_INVOKABLE virtual QString macroID() = 0;
    Q_INVOKABLE virtual void setMacroID(const QString &newMacroID) = 0;
    Q_INVOKABLE virtual void generateMacroID() = 0;
    Q_INVOKABLE virtual QString macroName() = 0;
    Q_INVOKABLE virtual void setMacroName(const QString &newMacroName) = 0;
    Q_INVOKABLE virtual QString nameSpace() = 0;
    Q_INVOKABLE virtual RepeatMode::RepeatMode_t repeatMode() = 0;
    Q_INVOKABLE virtual void setRepeatMode(RepeatMode::RepeatMode_t newRepeatMode) = 0;
    Q_INVOKABLE virtual int repeatDelay() = 0;
    Q_INVOKABLE virtual void setRepeatDelay(int newDelay) = 0;
    Q_INVOKABLE virtual bool hidden() = 0;
    Q_INVOKABLE virtual void setHidden(bool nowHidden) = 0;
};
