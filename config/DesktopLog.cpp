#include "DesktopLog.h"

Q_LOGGING_CATEGORY(lcQ71Desktop, "q71.desktop")
