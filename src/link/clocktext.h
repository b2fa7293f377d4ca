#pragma once

#include <QString>

namespace tavrin {

// A span of whole seconds as HH:MM:SS, as the call panel, the survey window and
// tavrin-survey show durations and time left; a span of 100 hours or more keeps all its
// hour digits, a negative one shows as 00:00:00.
QString ClockText(qint64 seconds);

} // namespace tavrin
