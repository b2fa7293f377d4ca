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

RoundTimeLeft::RoundTimeLeft(const QList<SurveySubscriber> &sites, int modems, int networkAtOnce)
{
    for (const SurveySubscriber &site : sites)
        m_overNetwork << site.overNetwork();
    const int networkSites = int(std::count(m_overNetwork.begin(), m_overNetwork.end(), true));
    m_modemSites.progress.notStarted = int(sites.size()) - networkSites;
    m_modemSites.progress.ports = modems;
    m_networkSites.progress.notStarted = networkSites;
    m_networkSites.progress.ports = networkAtOnce;
    m_clock.start();
}

RoundTimeLeft::Sites &RoundTimeLeft::sitesOf(int index)
{
    return m_overNetwork.value(index) ? m_networkSites : m_modemSites;
}

void RoundTimeLeft::siteStarted(int index)
{
    Sites &sites = sitesOf(index);
    sites.runningSinceMs.insert(index, m_clock.elapsed());
    --sites.progress.notStarted;
}

void RoundTimeLeft::siteFinished(int index, bool called, double callSeconds)
{
    Sites &sites = sitesOf(index);
    if (!sites.runningSinceMs.remove(index))
        --sites.progress.notStarted;
    if (called)
        sites.progress.callSeconds << callSeconds;
}

qint64 RoundTimeLeft::secondsLeft() const
{
    qint64 longest = 0;
    for (const Sites *sites : {&m_modemSites, &m_networkSites}) {
        RoundProgress now = sites->progress;
        for (qint64 since : sites->runningSinceMs)
            now.runningSeconds << double(m_clock.elapsed() - since) / 1000.0;
        longest = std::max(longest, EstimatedSecondsLeft(now));
    }
    return longest;
}

} // namespace tavrin
