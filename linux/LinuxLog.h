#pragma once
#include <QLoggingCategory>

// Where the Linux bus and its transports report what goes wrong with the machine's devices:
// "q71.linux".
Q_DECLARE_LOGGING_CATEGORY(lcQ71Linux)
