#include "link/clocktext.h"

namespace tavrin {

QString ClockText(qint64 seconds)
{
    const qint64 shown = qMax<qint64>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(shown / 3600, 2, 10, QLatin1Char('0'))
        .arg(shown / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(shown % 60, 2, 10, QLatin1Char('0'));
}

} // namespace tavrin
