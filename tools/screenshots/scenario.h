#pragma once

// The walk's plan: a first session by cable against the simulated module (command view,
// state reading, pair creation and pair break), then a session by phone through the
// simulated modem with subscribers made in the program's own dialogs.

#include "walk.h"

#include <QSize>
#include <QStringList>

namespace tavrin {
class TFormMain;
namespace test {
class DevSim;
}
} // namespace tavrin

namespace tavrin::screenshots {

// What answers when the modem dials each subscriber of the walk (tavrin-devsim --site).
QStringList SurveySites();

// Puts the plan's steps into walk. The steps refer to the plan, which must outlive the
// walk. cable: the simulated module on COM1, told what to do through its control lines;
// the phone session dials the simulated modem on COM2.
class WalkPlan {
public:
    // networkSite: the address of the simulated module the survey reads over the network.
    WalkPlan(Walk &walk, TFormMain &window, test::DevSim &cable, const QString &networkSite);

private:
    Walk::Find mainWindowWhen(std::function<bool()> condition) const;
    bool stateShownWith(const char *enabledButton) const;

    void cableConnection();
    void commandView();
    void stateReading();
    void pairWithWaitingPeripheral();
    void pairBreak();
    void pairByAddress();
    void phoneParameters();
    void subscribers();
    void surveyOfTheSites();
    void phoneSession();

    Walk &walk;
    TFormMain &window;
    QSize m_sizeBefore; // the main window's size before the hexadecimal log is pictured
    test::DevSim &cable;
    QString networkSite;
};

} // namespace tavrin::screenshots
