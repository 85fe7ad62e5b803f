#pragma once
#include <QLoggingCategory>

// Where the desktop side of a live headset reports what goes wrong there (the user's configuration
// and commands, no sound server, no sink for a headset) and what it changed: "q71.desktop".
Q_DECLARE_LOGGING_CATEGORY(lcQ71Desktop)
