#pragma once
#include <QLoggingCategory>

// Where the desktop side of a live headset reports what goes wrong with the user's configuration
// and commands: "q71.desktop".
Q_DECLARE_LOGGING_CATEGORY(lcQ71Desktop)
