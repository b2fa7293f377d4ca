#pragma once

#include "settings/settings.h" // MacAddress

#include <QString>

#include <optional>

namespace tavrin {

// What the wait window names while it is open.
enum class WaitWindowKind : quint8 { StateReading = 0, PairCreation = 1 };

// One state reading as the state view shows it: the six values in their display form
// and what the mode and the two pair buttons follow from.
struct DeviceState {
    QString mode;        // "Эксплуатационный" or "Пусконаладочный"
    QString connection;  // a peripheral connected: "Есть" or "Нет"
    QString pair;        // a pair stored: "Есть", "Нет" or empty
    QString peerAddress; // the peripheral's address, or "--" when there is no pair
    QString ownAddress;  // the module's own address
    QString version;     // the module's software version
    bool pairExists = false;  // the operational mode; "Разрыв пары" is enabled
    bool peerWaiting = false; // a peripheral waits for KEEP; "Создание пары" is enabled
};

// What the state reading, pair creation and pair break need from the window besides
// its messages (CommandHost) and the link (LinkUi). The main window implements it;
// tests script it. The operations never create a widget.
class ModuleOperationHost {
public:
    virtual ~ModuleOperationHost() = default;

    // A modal question with Yes and No under the given title; "\r" is a line break.
    virtual bool askConfirmation(const QString &title, const QString &text) = 0;
    // The address dialog, modal, on the stored peripheral address. The address typed,
    // which is then also the stored one, or nothing when the user cancelled.
    virtual std::optional<MacAddress> askPeerAddress() = 0;

    // Opens the wait window naming kind with the bar's maximum. When one is open
    // already it stays as it is and its bar goes on under the new maximum.
    virtual void openWaitWindow(WaitWindowKind kind, int maximum) = 0;
    virtual void advanceWaitWindow() = 0;  // one step on, repainted at once
    virtual void completeWaitWindow() = 0; // the bar at its end
    virtual void closeWaitWindow() = 0;    // destroyed, if one is open

    virtual void setBusyCursor(bool busy) = 0;              // the hourglass, or the normal cursor
    virtual void setOperationText(const QString &text) = 0; // status panel 2

    // The state view in force, its panel hidden and its six values empty.
    virtual void hideStateView() = 0;
    // The state panel shown with state: the values, the mode in its colour and the
    // pair buttons enabled to match.
    virtual void showState(const DeviceState &state) = 0;
    // No view any more, as after "Выход".
    virtual void leaveView() = 0;
};

} // namespace tavrin
