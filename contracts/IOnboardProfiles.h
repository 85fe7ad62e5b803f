#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The profiles that a device stores itself, one per mode.
class IOnboardProfiles : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString deviceCategory() = 0;
    Q_INVOKABLE virtual MKey::MKey_t activeMode() = 0;
    Q_INVOKABLE virtual void setActiveMode(MKey::MKey_t newMode) = 0;
    Q_INVOKABLE virtual int buttonCount() = 0;
    Q_INVOKABLE virtual cOnboardFunctionList allowedFunctions(const QString &contextID) = 0;
    Q_INVOKABLE virtual cOnboardProfilePtr profile(MKey::MKey_t mode) = 0;
    Q_INVOKABLE virtual void save() = 0;
};
