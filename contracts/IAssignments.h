#pragma once
#include "Types.h"

#include <QObject>

// A set of assignments.
class IAssignments : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual void addAssignment(cAssignmentPtr newAssignment) = 0;
    Q_INVOKABLE virtual cAssignmentsPtr clone() = 0;
    Q_INVOKABLE virtual cAssignmentPtrList allAssignments() = 0;
    Q_INVOKABLE virtual cAssignmentPtrList nonBackupAssignments() = 0;
};
