#pragma once
#include "Types.h"

#include <QObject>
#include <QString>

// The host's profiler, service "Profiler.Profiler". Key presses do not go through these
// operations: they are events "GKeyPressed" and "GKeyReleased" on the source "Profiler_Events".
class IProfiler : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("version", "1")
public:
    Q_INVOKABLE virtual QString toContextId(GKey::GKey_t gkey) = 0;
    Q_INVOKABLE virtual QString toContextId(GenericButton::GenericButton_t button) = 0;
    Q_INVOKABLE virtual GKey::GKey_t stringToGKey(const QString &name) = 0;
    Q_INVOKABLE virtual GenericButton::GenericButton_t stringToGenericButton(const QString &name) = 0;
    Q_INVOKABLE virtual QString gKeyToString(GKey::GKey_t gkey) = 0;
    Q_INVOKABLE virtual MKey::MKey_t stringToMKey(const QString &name) = 0;
    Q_INVOKABLE virtual QString mKeyToString(MKey::MKey_t mkey) = 0;
    Q_INVOKABLE virtual MKey::MKey_t getMState(const QString &category) = 0;
    Q_INVOKABLE virtual bool setMState(const QString &category, const QString &model, MKey::MKey_t mkey) = 0;
    Q_INVOKABLE virtual bool playScriptingMacroByName(const QString &profileID, const QString &macroName) = 0;
    Q_INVOKABLE virtual bool abortScriptingMacro() = 0;
    Q_INVOKABLE virtual bool isMouseCategory(const QString &devCategory) = 0;
    Q_INVOKABLE virtual cProfilerDevicePtr createProfilerDevice(cAbstractDevicePtr device) = 0;
    Q_INVOKABLE virtual void refreshBacklighting() = 0;
    Q_INVOKABLE virtual void refreshProfileBacklighting(cProfilePtr profile, cAbstractDevicePtr device) = 0;
    Q_INVOKABLE virtual void refreshMousePointerSettings(const QString &profileID, const QString &deviceModel)
        = 0;
    Q_INVOKABLE virtual void setBacklightReactToProfiler(bool enable) = 0;
};
