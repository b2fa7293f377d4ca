#include "settings/settingslog.h"

// Below every level in use, so nothing shows until a rule turns the category on.
Q_LOGGING_CATEGORY(settingsLog, "tavrin.settings", QtCriticalMsg)
