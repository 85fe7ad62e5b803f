#pragma once
#include "cLog.h"

#include <QString>

// Set by initialize() and kept until the library is unloaded. The provider's constructor reads
// the alias to find its manifest, so initialize() sets it before creating the provider.
extern QString g_pluginAlias;
extern cLog g_log;
