#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// A device-independent assignment that a profiler device offers.
class IGenericAssignment : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual QString contextID() = 0;
    Q_INVOKABLE virtual MKey::MKey_t mode() = 0;
    Q_INVOKABLE virtual cMacroPtr macro() = 0;
    Q_INVOKABLE virtual bool required() = 0;
    Q_INVOKABLE virtual bool hidden() = 0;
    Q_INVOKABLE virtual bool cannotBeUnassigned() = 0;
};
