#include "cProfilerService.h"

#include "IAbstractDevice.h"
#include "cHostProfilerDevice.h"

namespace {
// Names indexed by enumeration value; index 0 is each enumeration's "None" and has no name.
const char *const g_gKeyNames[] = {"", "G1", "G2", "G3"};
const char *const g_buttonNames[] = {"", "Left", "Right", "Middle", "Back", "Forward"};
const char *const g_mKeyNames[] = {"", "M1", "M2", "M3", "MR"};

template<int N> QString nameAt(const char *const (&names)[N], int value)
{
    return value > 0 && value < N ? QLatin1String(names[value]) : QString();
}

template<int N> int valueOf(const char *const (&names)[N], const QString &name)
{
    for (int value = 1; value < N; ++value) {
        if (name == QLatin1String(names[value]))
            return value;
    }
    return 0;
}
} // namespace

cProfilerService::cProfilerService(QObject *parent)
{
    setParent(parent);
}

QString cProfilerService::toContextId(GKey::GKey_t gkey)
{
    return nameAt(g_gKeyNames, gkey);
}

QString cProfilerService::toContextId(GenericButton::GenericButton_t button)
{
    return nameAt(g_buttonNames, button);
}

GKey::GKey_t cProfilerService::stringToGKey(const QString &name)
{
    return GKey::GKey_t(valueOf(g_gKeyNames, name));
}

GenericButton::GenericButton_t cProfilerService::stringToGenericButton(const QString &name)
{
    return GenericButton::GenericButton_t(valueOf(g_buttonNames, name));
}

QString cProfilerService::gKeyToString(GKey::GKey_t gkey)
{
    return nameAt(g_gKeyNames, gkey);
}

MKey::MKey_t cProfilerService::stringToMKey(const QString &name)
{
    return MKey::MKey_t(valueOf(g_mKeyNames, name));
}

QString cProfilerService::mKeyToString(MKey::MKey_t mkey)
{
    return nameAt(g_mKeyNames, mkey);
}

MKey::MKey_t cProfilerService::getMState(const QString &category)
{
    return m_mStates.value(category, MKey::M1);
}

bool cProfilerService::setMState(const QString &category, const QString &, MKey::MKey_t mkey)
{
    // MR records a macro; it is a key, not a mode a category can be in.
    if (mkey != MKey::M1 && mkey != MKey::M2 && mkey != MKey::M3)
        return false;
    m_mStates.insert(category, mkey);
    return true;
}

bool cProfilerService::playScriptingMacroByName(const QString &, const QString &)
{
    return false;
}

bool cProfilerService::abortScriptingMacro()
{
    return false;
}

bool cProfilerService::isMouseCategory(const QString &devCategory)
{
    return devCategory.compare(QLatin1String("Mouse"), Qt::CaseInsensitive) == 0;
}

cProfilerDevicePtr cProfilerService::createProfilerDevice(cAbstractDevicePtr device)
{
    if (!device)
        return cProfilerDevicePtr();
    const QString category = device->deviceInfo()["profiler"]["category"].toString();
    return cProfilerDevicePtr(new cHostProfilerDevice(category));
}

void cProfilerService::refreshBacklighting() { }

void cProfilerService::refreshProfileBacklighting(cProfilePtr, cAbstractDevicePtr) { }

void cProfilerService::refreshMousePointerSettings(const QString &, const QString &) { }

void cProfilerService::setBacklightReactToProfiler(bool) { }
