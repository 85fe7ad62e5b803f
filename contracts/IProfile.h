#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// One profile.
class IProfile : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cObjectPtr queryInterface(const QString &ifc) = 0;
    Q_INVOKABLE virtual cProfilePtr clone() = 0;
    Q_INVOKABLE virtual QString profileID() = 0;
    Q_INVOKABLE virtual void setProfileID(const QString &newProfileID) = 0;
    Q_INVOKABLE virtual void generateProfileID() = 0;
    Q_INVOKABLE virtual QString profileName() = 0;
    Q_INVOKABLE virtual void setProfileName(const QString &newProfileName) = 0;
    Q_INVOKABLE virtual QString displayName() = 0;
    Q_INVOKABLE virtual QString profileDescription() = 0;
    Q_INVOKABLE virtual void setProfileDescription(const QString &newDescription) = 0;
    Q_INVOKABLE virtual QString target() = 0;
    Q_INVOKABLE virtual void setTarget(const QString &newTarget) = 0;
    Q_INVOKABLE virtual QString script() = 0;
    Q_INVOKABLE virtual void setScript(const QString &newScript) = 0;
    Q_INVOKABLE virtual bool isLockable() = 0;
    Q_INVOKABLE virtual void setIsLockable(bool newLockable) = 0;
    Q_INVOKABLE virtual cMacroPtr macroByID(const QString &macroID) = 0;
    Q_INVOKABLE virtual cMacroPtrList macrosByName(const QString &macroName) = 0;
    Q_INVOKABLE virtual QString assignedMacroID(const QString &deviceCategory, MKey::MKey_t mode,
                                                const QString &contextID)
        = 0;
    Q_INVOKABLE virtual bool containsMacroID(const QString &macroID) = 0;
    Q_INVOKABLE virtual QString deviceName() = 0;
    Q_INVOKABLE virtual void setDeviceName(const QString &newDeviceName) = 0;
    Q_INVOKABLE virtual QString deviceID() = 0;
    Q_INVOKABLE virtual void setDeviceID(const QString &newDeviceID) = 0;
    Q_INVOKABLE virtual bool useLCD() = 0;
    Q_INVOKABLE virtual void setUseLCD(bool nowUseLCD) = 0;
    Q_INVOKABLE virtual cProfileBacklightPtr backlight(const QString &deviceModel) = 0;
    Q_INVOKABLE virtual void enableRemoveModeSwitchPrompt(bool enableRemoveModeSwitchPrompt) = 0;
    Q_INVOKABLE virtual void setDirty(bool dirty) = 0;
};
