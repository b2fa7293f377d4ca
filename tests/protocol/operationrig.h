#pragma once

// What the tests of the state reading, pair creation and pair break share: a window
// scripted as the session and the operations see it, and a session linked to the
// simulated module.

#include "protocol/moduleoperationhost.h"
#include "session/session.h"
#include "session/sessionhost.h"
#include "support/devsim.h"
#include "support/linkfakes.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace tavrin::test {

// The main window, scripted: everything it is told or shown is recorded; the
// confirmation and the address dialog are answered from lists.
class ScriptedWindow : public FakeUi, public CommandHost, public SessionHost, public ModuleOperationHost {
public:
    QStringList messages;
    QStringList asked;         // "<title> <text>" per confirmation, "address dialog" per dialog
    QList<bool> confirmations; // answers, No once used up
    QList<std::optional<MacAddress>> typedAddresses; // Cancel once used up
    std::function<void()> whileAsked; // runs while the confirmation or the dialog is open
    QStringList waitWindow; // "open <kind> <maximum>", "maximum <n>", "+", "end", "close"
    QStringList operationTexts;
    bool hourglass = false;
    std::optional<DeviceState> state; // the state panel, while it is shown
    int viewsLeft = 0;
    int closeWindowCalls = 0;

    // The mode the state view shows, empty when there is no view.
    QString mode() const { return state ? state->mode : QString(); }

    void showMessage(const QString &text) override { messages << text; }
    void scrollLogToEnd() override {}

    bool runConnectDialog() override { return true; }
    void setSettingsMenuVisible(bool) override {}
    void leaveOpenView() override { leaveView(); }
    void showCallPanel() override {}
    void stopCallClock() override {}
    void hideCallPanel() override {}
    void closeDialogs() override {}
    void destroyWaitWindow() override { closeWaitWindow(); }
    void reportError(const std::exception &) override {}
    void closeWindow() override { ++closeWindowCalls; }
    void activityChanged(Activity) override {}

    bool askConfirmation(const QString &title, const QString &text) override;
    std::optional<MacAddress> askPeerAddress() override;
    void openWaitWindow(WaitWindowKind kind, int maximum) override;
    void advanceWaitWindow() override { waitWindow << QStringLiteral("+"); }
    void completeWaitWindow() override { waitWindow << QStringLiteral("end"); }
    void closeWaitWindow() override;
    void setBusyCursor(bool busy) override { hourglass = busy; }
    void setOperationText(const QString &text) override { operationTexts << text; }
    void hideStateView() override { state.reset(); }
    void showState(const DeviceState &shown) override { state = shown; }
    void leaveView() override;

private:
    bool m_waitWindowOpen = false;
};

// A session on a program folder and a port folder of its own, linked to the simulated
// module on COM5 at 38400 bit/s.
class OperationRig {
    // First: the simulator publishes its port in the folder.
    QTemporaryDir m_program;
    QTemporaryDir m_com;
    QByteArray m_previousComDir;

public:
    OperationRig();
    ~OperationRig();

    // The module (behind a simulated modem for Phone) given the control lines, the
    // session linked to it, and the simulator's log cleared. With short pauses the
    // module's restart after RESET is shortened to match.
    bool link(const QStringList &controls, ConnectionKind kind = Direct);
    // Runs operation as the session's module operation. Its fixed pauses are recorded
    // in pauses and, unless realPauses, cut to a tenth.
    bool run(void (*operation)(ProtocolContext &, ModuleOperationHost &));
    // What the module has heard since the link was made.
    QByteArray wire() { return sim.received(); }

    bool realPauses = false;
    QList<int> pauses;
    ScriptedWindow window;
    DevSim sim;
    std::unique_ptr<Session> session;
};

// The six bytes of an address written as a test's literal, "\x12\x34\x56\x78\x9A\xBC".
MacAddress Address(const QByteArray &bytes);

} // namespace tavrin::test
