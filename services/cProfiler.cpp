#include "cProfiler.h"

#include "IServiceMgr.h"
#include "cServiceCall.h"

#define PROFILER_CALL(method) Q71_SERVICE_CALL(Q71_PROFILER_SERVICE, method)

namespace {

void postKeyEvent(const QString &eventName, GKey::GKey_t key, const QString &model, const QString &category)
{
    IServiceMgr::instance()->postEvent(
        QStringLiteral("Profiler_Events"), eventName, QGenericArgument("GKey::GKey_t", &key),
        QGenericArgument("QString", &model), QGenericArgument("QString", &category));
}

} // namespace

cProfiler::cProfiler()
{
    IServiceMgr::instance()->requireService(QStringLiteral(Q71_PROFILER_SERVICE), QStringLiteral("1"));
}

QString cProfiler::toContextId(GKey::GKey_t gkey)
{
    QString result;
    PROFILER_CALL("toContextId").arg("GKey::GKey_t", &gkey).run(QGenericReturnArgument("QString", &result));
    return result;
}

QString cProfiler::toContextId(GenericButton::GenericButton_t button)
{
    QString result;
    PROFILER_CALL("toContextId")
        .arg("GenericButton::GenericButton_t", &button)
        .run(QGenericReturnArgument("QString", &result));
    return result;
}

GKey::GKey_t cProfiler::stringToGKey(const QString &name)
{
    GKey::GKey_t result = GKey::GKey_t(0);
    PROFILER_CALL("stringToGKey")
        .arg("const QString", &name)
        .run(QGenericReturnArgument("GKey::GKey_t", &result));
    return result;
}

GenericButton::GenericButton_t cProfiler::stringToGenericButton(const QString &name)
{
    GenericButton::GenericButton_t result = GenericButton::GenericButton_t(0);
    PROFILER_CALL("stringToGenericButton")
        .arg("const QString", &name)
        .run(QGenericReturnArgument("GenericButton::GenericButton_t", &result));
    return result;
}

QString cProfiler::gKeyToString(GKey::GKey_t gkey)
{
    QString result;
    PROFILER_CALL("gKeyToString").arg("GKey::GKey_t", &gkey).run(QGenericReturnArgument("QString", &result));
    return result;
}

MKey::MKey_t cProfiler::stringToMKey(const QString &name)
{
    MKey::MKey_t result = MKey::MKey_t(0);
    PROFILER_CALL("stringToMKey")
        .arg("const QString", &name)
        .run(QGenericReturnArgument("MKey::MKey_t", &result));
    return result;
}

QString cProfiler::mKeyToString(MKey::MKey_t mkey)
{
    QString result;
    PROFILER_CALL("mKeyToString").arg("MKey::MKey_t", &mkey).run(QGenericReturnArgument("QString", &result));
    return result;
}

MKey::MKey_t cProfiler::getMState(const QString &category)
{
    MKey::MKey_t result = MKey::MKey_t(0);
    PROFILER_CALL("getMState")
        .arg("const QString", &category)
        .run(QGenericReturnArgument("MKey::MKey_t", &result));
    return result;
}

bool cProfiler::setMState(const QString &category, const QString &model, MKey::MKey_t mkey)
{
    bool result = false;
    PROFILER_CALL("setMState")
        .arg("const QString", &category)
        .arg("const QString", &model)
        .arg("MKey::MKey_t", &mkey)
        .run(QGenericReturnArgument("bool", &result));
    return result;
}

bool cProfiler::playScriptingMacroByName(const QString &profileID, const QString &macroName)
{
    bool result = false;
    PROFILER_CALL("playScriptingMacroByName")
        .arg("const QString", &profileID)
        .arg("const QString", &macroName)
        .run(QGenericReturnArgument("bool", &result));
    return result;
}

bool cProfiler::abortScriptingMacro()
{
    bool result = false;
    PROFILER_CALL("abortScriptingMacro").run(QGenericReturnArgument("bool", &result));
    return result;
}

bool cProfiler::isMouseCategory(const QString &devCategory)
{
    bool result = false;
    PROFILER_CALL("isMouseCategory")
        .arg("const QString", &devCategory)
        .run(QGenericReturnArgument("bool", &result));
    return result;
}

cProfilerDevicePtr cProfiler::createProfilerDevice(cAbstractDevicePtr device)
{
    cProfilerDevicePtr result;
    PROFILER_CALL("createProfilerDevice")
        .arg("cAbstractDevicePtr", &device)
        .run(QGenericReturnArgument("cProfilerDevicePtr", &result));
    return result;
}

void cProfiler::refreshBacklighting()
{
    PROFILER_CALL("refreshBacklighting").run();
}

void cProfiler::refreshProfileBacklighting(cProfilePtr profile, cAbstractDevicePtr device)
{
    PROFILER_CALL("refreshProfileBacklighting")
        .arg("cProfilePtr", &profile)
        .arg("cAbstractDevicePtr", &device)
        .run();
}

void cProfiler::refreshMousePointerSettings(const QString &profileID, const QString &deviceModel)
{
    PROFILER_CALL("refreshMousePointerSettings")
        .arg("const QString", &profileID)
        .arg("const QString", &deviceModel)
        .run();
}

void cProfiler::setBacklightReactToProfiler(bool enable)
{
    PROFILER_CALL("setBacklightReactToProfiler").arg("bool", &enable).run();
}

void cProfiler::postGKeyPressed(GKey::GKey_t key, QString model, QString category)
{
    postKeyEvent(QStringLiteral("GKeyPressed"), key, model, category);
}

void cProfiler::postGKeyReleased(GKey::GKey_t key, QString model, QString category)
{
    postKeyEvent(QStringLiteral("GKeyReleased"), key, model, category);
}
