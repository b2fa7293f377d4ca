#pragma once

#include "survey/surveyrow.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>

namespace tavrin {

// The reading of a module that never answers, with the phone kind's default waits: nine
// PINGs 6 s apart (measured against the simulated modem). The dearest site there is,
// short of a dial that never connects.
inline constexpr double kSilentSiteSeconds = 60.5;

// What a round's time left is estimated from.
struct RoundProgress {
    QList<double> callSeconds;    // the length of every call ended
    QList<double> runningSeconds; // how long each call in progress has lasted so far
    int notStarted = 0;           // sites not called yet
    int ports = 1;                // modems calling at once
};

// Seconds until the round ends. A site is expected to cost the average of the calls
// ended, and before any has ended what a silent site costs: the estimate starts as a
// bound the first calls bring down, never as a figure a row of silent sites proves
// too small. A call in progress that has outlasted the average is most likely such a
// site: it is expected to run the silent site's cost. The sites are shared among the
// ports, and the round lasts at least as long as its longest call in progress.
qint64 EstimatedSecondsLeft(const RoundProgress &progress);

// A round's calls as the observer hears of them, for the estimate. The modem sites,
// shared among the modems, and the network sites, read several at once, run side by
// side, each kind at its own pace: the round ends when the slower kind has. Not
// thread-safe.
class RoundTimeLeft {
public:
    // sites: the round's, in the order the observer's indexes count them.
    RoundTimeLeft(const QList<SurveySubscriber> &sites, int modems, int networkAtOnce);
    void siteStarted(int index);
    // called: false for a site a stop left unreached.
    void siteFinished(int index, bool called, double callSeconds);
    qint64 secondsLeft() const;

private:
    struct Sites {
        QHash<int, qint64> runningSinceMs;
        RoundProgress progress;
    };
    Sites &sitesOf(int index);

    QElapsedTimer m_clock;
    QList<bool> m_overNetwork; // by site index
    Sites m_modemSites;
    Sites m_networkSites;
};

} // namespace tavrin
