#pragma once

#include "lineport.h"
#include "support/devsim.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

// The device simulator that the link, protocol and app tests talk to, checked over its
// pseudo-terminal with plain POSIX I/O. (The class sits in a header of its own because
// moc cannot read the raw string literals in which the tests write their frames.)
class TestDevSim : public QObject {
    Q_OBJECT

private:
    // Starts a simulator in a fresh folder and opens its port at `rate`.
    bool up(const QStringList &args = {}, bool modem = false, bool pace = false, int rate = 9600);

    QByteArray ask(const QByteArray &command, const QByteArray &end = "\"}", int timeoutMs = 2000);

    bool connectCall();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<tavrin::test::DevSim> m_sim;
    LinePort m_port;

private slots:
    void cleanup();

    void reply_data();
    void reply();
    void quirks_keepTheModuleConsistent_data();
    void quirks_keepTheModuleConsistent();
    void controlOption_setsTheModuleUpBeforeThePortAppears();
    void peerAddress_takesEffectAfterResetAndResetIsDeafForAWhile();
    void fault_data();
    void fault();
    void fault_rawIsOnceAndOverlongNeverEnds();
    void control_refusesWhatItCannotDo_data();
    void control_refusesWhatItCannotDo();
    void trickle_keepsEveryGap();
    void pace_sendsNoFasterThanTheRateTheProgramSet();
    void log_recordsBothWaysOnTheMonotonicClock();
    void modem_dialsCarriesEscapesAndHangsUp();
    void modem_escapeKeepsTheRealGuardTimeBeforeAndAfter();
    void modem_guard_data();
    void modem_guard();
    void modem_failures_data();
    void modem_failures();
    void modem_carrierLostInTheMiddleOfAFrame();
    void modem_siteFaultsEndWithTheSiteAndAthIgnoredKeepsTheCall();
    void vanish_failsThePortAndRestorePublishesAgain();
    void exit_removesTheLinkOnEndOfInputAndOnSigterm();
};
