#include "app/startupmarks.h"

#include <QElapsedTimer>

namespace tavrin {

Q_LOGGING_CATEGORY(lcStartup, "tavrin.startup", QtInfoMsg)

void MarkStartup(const char *step)
{
    if (!lcStartup().isDebugEnabled())
        return;
    // Started by the first mark, which main() makes first thing.
    static QElapsedTimer sinceStart;
    static qint64 lastNs = 0;
    if (!sinceStart.isValid())
        sinceStart.start();
    const qint64 nowNs = sinceStart.nsecsElapsed();
    qCDebug(lcStartup, "%7.2f ms  (+%6.2f)  %s", double(nowNs) / 1e6, double(nowNs - lastNs) / 1e6, step);
    lastNs = nowNs;
}

} // namespace tavrin
