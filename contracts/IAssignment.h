#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The assignment of a macro to one control in one mode.
class IAssignment : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual cAssignmentPtr clone() = 0;
    Q_INVOKABLE virtual QString macroID() = 0;
    Q_INVOKABLE virtual MKey::MKey_t mode() = 0;
    Q_INVOKABLE virtual QString contextID() = 0;
    Q_INVOKABLE virtual bool isBackup() = 0;
    Q_INVOKABLE virtual bool isOriginal() = 0;
    Q_INVOKABLE virtual void setBackup(bool bBackup) = 0;
    Q_INVOKABLE virtual void setOriginal(bool bOriginal) = 0;
};
