#include "LinuxLog.h"

Q_LOGGING_CATEGORY(lcQ71Linux, "q71.linux")
