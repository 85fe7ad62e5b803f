#pragma once
#include "IProfiler.h"

#include <QHash>

// The host's profiler as plugins reach it by name ("Profiler.Profiler"). It names keys and
// buttons, keeps the mode of each device category and makes profiler devices; it holds no
// profiles, so it has no macros to play and no lighting to refresh.
class cProfilerService : public IProfiler
{
    Q_OBJECT
public:
    explicit cProfilerService(QObject *parent = nullptr);

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
    // The category comes from the device's information ("profiler" → "category"), read now.
    cProfilerDevicePtr createProfilerDevice(cAbstractDevicePtr device) override;
    void refreshBacklighting() override;
    void refreshProfileBacklighting(cProfilePtr profile, cAbstractDevicePtr device) override;
    void refreshMousePointerSettings(const QString &profileID, const QString &deviceModel) override;
    void setBacklightReactToProfiler(bool enable) override;

private:
    QHash<QString, MKey::MKey_t> m_mStates;
};
