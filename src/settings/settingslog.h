#pragma once

#include <QLoggingCategory>

// The settings library's log, "tavrin.settings": silent unless turned on, for
// instance with QT_LOGGING_RULES="tavrin.settings=true". It keeps causes that the
// user's message leaves out (the system's reason for a failed write, why a file was
// not read).
Q_DECLARE_LOGGING_CATEGORY(settingsLog)
