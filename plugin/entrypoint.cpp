#include "cMiravelPlugin.h"

#include <QtGlobal>

namespace {
// Constant-initialised, so it exists before any code of the library runs; its destructor at
// unload releases a provider that shutdown() did not, without calling any service.
cMiravelPlugin g_plugin;
} // namespace

extern "C" Q_DECL_EXPORT IPlugin *entrypoint()
{
    return &g_plugin;
}
