#pragma once
#include <QLoggingCategory>

// What the host application itself reports ("q71.host"), apart from the lines of the plugins it
// loads, so that a user can switch it on or off on its own (QT_LOGGING_RULES="q71.host.warning=false").
Q_DECLARE_LOGGING_CATEGORY(lcHost)
