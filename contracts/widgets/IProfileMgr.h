#pragma once
#include "IGenericAssignment.h"
#include "IMacro.h"
#include "IProfile.h"
#include "Types.h"

#include <QByteArray>
#include <QDomElement>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The profile store: profiles, their macros and assignments, backups, icons, pointer settings
// and the profiles kept on devices.
class IProfileMgr : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual cProfilePtr createNewProfile() = 0;
    Q_INVOKABLE virtual bool addProfile(cProfilePtr profile) = 0;
    Q_INVOKABLE virtual bool addProfile(const QDomElement &profile, const QString &displayName,
                                        const QString &signature)
        = 0;
    Q_INVOKABLE virtual bool deleteProfileByID(const QString &profileID) = 0;
    Q_INVOKABLE virtual void importProfile(const QString &profilePath) = 0;
    Q_INVOKABLE virtual void copyProfile(const QString &profileID) = 0;
    Q_INVOKABLE virtual void copyProfileToDevice(const QString &profileID, const QString &deviceId,
                                                 const QString &deviceName)
        = 0;
    Q_INVOKABLE virtual void exportProfile(const QString &profileID, const QString &profilePath) = 0;
    Q_INVOKABLE virtual void printProfile(const QString &profileID, const QString &deviceCategory,
                                          const QStringList &keys)
        = 0;
    Q_INVOKABLE virtual cProfilePtr profileByID(const QString &profileID) = 0;
    Q_INVOKABLE virtual cProfilePtr profileByName(const QString &profileName) = 0;
    Q_INVOKABLE virtual void activateNextProfile() = 0;
    Q_INVOKABLE virtual bool editProfileProperties(cProfilePtr profile) = 0;
    Q_INVOKABLE virtual QString getActiveProfileID() = 0;
    Q_INVOKABLE virtual void setPersistentProfileByID(const QString &profileID) = 0;
    Q_INVOKABLE virtual QString getPersistentProfileID() = 0;
    Q_INVOKABLE virtual void setDefaultProfileByID(const QString &profileID) = 0;
    Q_INVOKABLE virtual QString getDefaultProfileID() = 0;
    Q_INVOKABLE virtual bool isDefaultConfiguration(const QString &profileID) = 0;
    Q_INVOKABLE virtual cProfilePtrList allProfiles() = 0;
    Q_INVOKABLE virtual bool addMacro(const QString &profileID, cMacroPtr macro) = 0;
    Q_INVOKABLE virtual bool copyMacros(const QString &fromProfileID, const QString &toProfileID,
                                        const QStringList &macroIDs)
        = 0;
    Q_INVOKABLE virtual bool deleteMacroByID(const QString &profileID, const QString &macroID) = 0;
    Q_INVOKABLE virtual bool editMacro(const QString &profileID, cMacroPtr macro) = 0;
    Q_INVOKABLE virtual cMacroPtrList allMacros(const QString &profileID) = 0;
    Q_INVOKABLE virtual cMacroPtr macroByID(const QString &profileID, const QString &macroID) = 0;
    Q_INVOKABLE virtual QString getAssignment(const QString &profileID, const QString &devicemodal,
                                              MKey::MKey_t mode, const QString &contextID)
        = 0;
    Q_INVOKABLE virtual bool setAssignment(const QString &profileID, const QString &devicemodal,
                                           const QString &macroID, MKey::MKey_t mode,
                                           const QString &contextID)
        = 0;
    Q_INVOKABLE virtual void setGenericAssignment(const QString &profileID, const QString &category,
                                                  cGenericAssignmentPtr genericAssignment)
        = 0;
    Q_INVOKABLE virtual bool removeAssignment(const QString &profileID, const QString &devicemodal,
                                              MKey::MKey_t mode, const QString &contextID)
        = 0;
    Q_INVOKABLE virtual bool isMacroAssigned(const QString &profileID, const QString &devCategory,
                                             const QStringList &contextIDs, const QString &macroID)
        = 0;
    Q_INVOKABLE virtual bool saveAllProfiles() = 0;
    Q_INVOKABLE virtual bool addMouseMacro(const QString &profileID) = 0;
    Q_INVOKABLE virtual bool addJoystickMacro(const QString &profileID) = 0;
    Q_INVOKABLE virtual bool setProfileScript(const QString &profileID, const QString &script) = 0;
    Q_INVOKABLE virtual QString getProfileScript(const QString &profileID) = 0;
    Q_INVOKABLE virtual QString getProfileName(const QString &profileID) = 0;
    Q_INVOKABLE virtual QString getProfileDeviceId(const QString &profileID) = 0;
    Q_INVOKABLE virtual QByteArray getProfilesToGoXML(const QString &deviceId, bool dirtyOnly,
                                                      const QStringList &localProfileIds)
        = 0;
    Q_INVOKABLE virtual cProfilePtrList getProfilesToGo(const QString &deviceId) = 0;
    Q_INVOKABLE virtual bool isProfileToGoDirty(const QString &profileID) = 0;
    Q_INVOKABLE virtual void testProfile(const QString &profileID) = 0;
    Q_INVOKABLE virtual cMacroPtr getMacroByTypeAndName(const QString &profileID, const QString &macroType,
                                                        const QString &macroName, bool hidden)
        = 0;
    Q_INVOKABLE virtual void moveAssignments(const QString &profileID, const QString &fromMacroID,
                                             const QString &toMacroID)
        = 0;
    Q_INVOKABLE virtual bool containsDevCategory(const QString &profileID, const QString &devCategory) = 0;
    Q_INVOKABLE virtual void setPointerDpi(const QString &profileID, const QString &deviceModel,
                                           const cDpiSettings &dpi, MKey::MKey_t mode)
        = 0;
    Q_INVOKABLE virtual void setPointerMovement(const QString &profileID, const QString &deviceModel,
                                                int speed, bool enableAcceleration, MKey::MKey_t mode)
        = 0;
    Q_INVOKABLE virtual void setPointerReportRate(const QString &profileID, const QString &deviceModel,
                                                  int reportRate, MKey::MKey_t mode)
        = 0;
    Q_INVOKABLE virtual cPointerProperties pointerProperties(const QString &profileID,
                                                             const QString &deviceModel, MKey::MKey_t mode)
        = 0;
    Q_INVOKABLE virtual bool profileHasBackup(const QString &profileID, const QString &deviceCategory) = 0;
    Q_INVOKABLE virtual void setDefaultAssignment(const QString &profileID, const QString &devicemodal,
                                                  MKey::MKey_t mode, const QString &contextID)
        = 0;
    Q_INVOKABLE virtual void cleanupBackup(const QString &profileID, const QString &devicemodal) = 0;
    Q_INVOKABLE virtual bool assignmentHasBackup(const QString &profileID, const QString &devicemodal,
                                                 MKey::MKey_t mode, const QString &contextID)
        = 0;
    Q_INVOKABLE virtual void setProfileIcon(const QString &profileID, const QPixmap &scaledIcon) = 0;
    Q_INVOKABLE virtual QPixmap profileIcon(const QString &profileID) = 0;
    Q_INVOKABLE virtual bool hasCustomIcon(const QString &profileID) = 0;
    Q_INVOKABLE virtual bool canMacroBeAssignedTo(const QString &macroID, const QString &profileID,
                                                  const QString &deviceCategory, MKey::MKey_t mode,
                                                  const QString &contextID, bool showErr)
        = 0;
    Q_INVOKABLE virtual bool canMacroBeChangedTo(const QString &profileID, const QString &macroID,
                                                 cMacroPtr newMacro)
        = 0;
    Q_INVOKABLE virtual bool enableProfileBackup(const QString &profileID, bool enable) = 0;
    Q_INVOKABLE virtual cMacroPtr findEquivalentMacro(const QString &profileID, cMacroPtr macro) = 0;
    Q_INVOKABLE virtual bool enableRemoveModeSwitchPrompt(bool enable) = 0;
    Q_INVOKABLE virtual bool isMacroModeless(const QString &profileID, const QString &macroID) = 0;
};
