#pragma once
#include "IMacro.h"
#include "Types.h"

#include <QString>
#include <QWidget>

// The editing widget of a macro.
class IMacroEditor : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cMacroPtr saveToMacro() = 0;
    Q_INVOKABLE virtual QString getMacroTypeID() = 0;
    Q_INVOKABLE virtual bool showMacroName() = 0;
    Q_INVOKABLE virtual void setMacroName(const QString &macroName) = 0;
    Q_INVOKABLE virtual bool onOK() = 0;
    Q_INVOKABLE virtual bool onCancel() = 0;
    Q_INVOKABLE virtual void onHelp() = 0;
    Q_INVOKABLE virtual void onClearForm() = 0;
    Q_INVOKABLE virtual bool canAddMacro() = 0;
};
