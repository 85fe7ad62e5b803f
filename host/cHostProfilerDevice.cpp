#include "cHostProfilerDevice.h"

cHostProfilerDevice::cHostProfilerDevice(const QString &category)
    : m_category(category)
{ }

cGenericAssignmentPtr cHostProfilerDevice::genericAssignment(const QString &, MKey::MKey_t)
{
    return cGenericAssignmentPtr();
}
