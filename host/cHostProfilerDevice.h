#pragma once
#include "IProfilerDevice.h"

// The profiler's view of one device: a category and a set of programmable keys, without
// assignments (this host keeps no profiles).
class cHostProfilerDevice : public IProfilerDevice
{
    Q_OBJECT
public:
    explicit cHostProfilerDevice(const QString &category);

    QString category() override { return m_category; }
    bool hasMKeys() override { return false; }
    bool hasGKeys() override { return true; }
    bool hasModeCycling() override { return false; }
    cGenericAssignmentPtrList genericAssignments() override { return cGenericAssignmentPtrList(); }
    cGenericAssignmentPtr genericAssignment(const QString &contextID, MKey::MKey_t mode) override;

private:
    QString m_category;
};
