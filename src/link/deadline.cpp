#include "link/deadline.h"

#include "link/linkclock.h"
#include "link/serialport.h"

namespace tavrin {

Deadline::Deadline()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_fired = true; });
}

void Deadline::start(int ms)
{
    if (ms < 0)
        ms = 0;
    m_fired = false;
    m_end = PerformanceCounter() + MsToTicks(ms);
    // A clock a test drives wakes the loop itself, at the first tick past the end.
    if (CurrentLinkClock().wakeAt(m_end + 1))
        m_timer.stop();
    else
        m_timer.start(ms);
}

bool Deadline::expired() const
{
    return m_fired || PerformanceCounter() > m_end;
}

} // namespace tavrin
