#include "HostLog.h"

Q_LOGGING_CATEGORY(lcHost, "q71.host")
