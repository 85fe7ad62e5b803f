#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The profiler's view of one device.
class IProfilerDevice : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString category() = 0;
    Q_INVOKABLE virtual bool hasMKeys() = 0;
    Q_INVOKABLE virtual bool hasGKeys() = 0;
    Q_INVOKABLE virtual bool hasModeCycling() = 0;
    Q_INVOKABLE virtual cGenericAssignmentPtrList genericAssignments() = 0;
    Q_INVOKABLE virtual cGenericAssignmentPtr genericAssignment(const QString &contextID, MKey::MKey_t mode)
        = 0;
};
