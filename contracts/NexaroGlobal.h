#pragma once
#include <QtGlobal>

// Symbols of the framework services library, exported when it is built and imported by the host
// and the plugins that link it.
#if defined(NEXARO_BUILD)
#define NEXARO_EXPORT Q_DECL_EXPORT
#else
#define NEXARO_EXPORT Q_DECL_IMPORT
#endif
