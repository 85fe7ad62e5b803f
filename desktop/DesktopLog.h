#pragma once
#include <QLoggingCategory>

// Where what a live headset does on the desktop reports what goes wrong there (no sound server,
// no sink for a headset) and what it changed: "q71.desktop".
Q_DECLARE_LOGGING_CATEGORY(lcQ71Desktop)
