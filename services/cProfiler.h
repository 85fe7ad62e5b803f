#pragma once
#include "IProfiler.h"

#define Q71_PROFILER_SERVICE "Profiler.Profiler"

// Proxy of the host's profiler, and the posting of programmable-key events, which reach the
// profiler through its event source rather than through an operation.
class cProfiler : public IProfiler
{
public:
    cProfiler();

    QString toContextId(GKey::GKey_t gkey) override;
    QString toContextId(GenericButton::GenericButton_t button) override;
    GKey::GKey_t stringToGKey(const QString &name) override;
    GenericButton::GenericButton_t stringToGenericButton(const QString &name) override;
    QString gKeyToString(GKey::GKey_t gkey) override;
    MKey::MKey_t stringToMKey(const QString &name) override;
    QString mKeyToString(MKey::MKey_t mkey) override;
    MKey::MKey_t getMState(const QString &category) override;
    bool setMState(const QString &category, const QString &model, MKey::MKey_t mkey) override;
    bool playScriptingMacroByName(const QString &profileID, const QString &macroName) override;
    bool abortScriptingMacro() override;
    bool isMouseCategory(const QString &devCategory) override;
    cProfilerDevicePtr createProfilerDevice(cAbstractDevicePtr device) override;
    void refreshBacklighting() override;
    void refreshProfileBacklighting(cProfilePtr profile, cAbstractDevicePtr device) override;
    void refreshMousePointerSettings(const QString &profileID, const QString &deviceModel) override;
    void setBacklightReactToProfiler(bool enable) override;

    // "GKeyPressed" / "GKeyReleased" on "Profiler_Events". Whether anyone took the event is not
    // looked at: a lost key event is not worth a retry.
    static void postGKeyPressed(GKey::GKey_t key, QString model, QString category);
    static void postGKeyReleased(GKey::GKey_t key, QString model, QString category);
};
