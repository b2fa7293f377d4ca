#include "survey/timeleft.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tavrin {

qint64 EstimatedSecondsLeft(const RoundProgress &progress)
{
    const auto &ended = progress.callSeconds;
    const double perSite = ended.isEmpty() ? kSilentSiteSeconds
                                           : std::accumulate(ended.begin(), ended.end(), 0.0) / double(ended.size());
    double work = perSite * std::max(progress.notStarted, 0);
    double longest = 0;
    for (double running : progress.runningSeconds) {
        const double expected = running < perSite ? perSite : std::max(perSite, kSilentSiteSeconds);
        const double rest = std::max(expected - running, 0.0);
        work += rest;
        longest = std::max(longest, rest);
    }
    return qint64(std::ceil(std::max(work / std::max(progress.ports, 1), longest)));
}

RoundTimeLeft::RoundTimeLeft(int sites, int ports)
{
    m_progress.notStarted = sites;
    m_progress.ports = ports;
    m_clock.start();
}

void RoundTimeLeft::siteStarted(int index)
{
    m_runningSinceMs.insert(index, m_clock.elapsed());
    --m_progress.notStarted;
}

void RoundTimeLeft::siteFinished(int index, bool called, double callSeconds)
{
    if (!m_runningSinceMs.remove(index))
        --m_progress.notStarted;
    if (called)
        m_progress.callSeconds << callSeconds;
}

qint64 RoundTimeLeft::secondsLeft() const
{
    RoundProgress now = m_progress;
    for (qint64 since : m_runningSinceMs)
        now.runningSeconds << double(m_clock.elapsed() - since) / 1000.0;
    return EstimatedSecondsLeft(now);
}

} // namespace tavrin
