#pragma once

#include "link/exchangechannel.h"
#include "link/linktiming.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace tavrin {

// What the command executor needs from the window. The main window implements it;
// tests script it. The executor itself never creates a widget.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    // A modal message box with an empty title and one OK button; "\r" is a line break.
    virtual void showMessage(const QString &text) = 0;
    // Bring the newest lines of the exchange log into view.
    virtual void scrollLogToEnd() = 0;
};

// The protocol fields the session controller holds for the module operations.
struct ProtocolFields {
    int CurrentRow = 0;               // row of the command being sent
    MacAddress TargetPeerAddress{};   // the address a pair creation aims at; row 7 is built from it
    MacAddress ReportedPeerAddress{}; // the address the module reported back
    bool PairExists = false;          // set by the state reading
};

// Everything one module operation works with.
struct ProtocolContext {
    ExchangeChannel &channel;
    CommandHost &host;
    ProtocolFields &fields;
    // The fixed pause between attempts and between commands: sleeps, processes no
    // events. Tests replace it to count and shorten the pauses.
    std::function<void(int ms)> pause = Pause;
};

enum class CommandOutcome : int { Ok = 0, ExchangeFailed = 1, NoEcho = 2 };

// Sends a command table row with up to attempts tries (1..255) and pauseMs between
// them, and checks that the reply holds the row's command text (for row 7 only
// "PEERADDR("). Ok leaves the reply in the channel. After the last failed attempt the
// user is told once, in the words of that attempt's failure. When the window is
// closing the executor stops at once, retries no further and tells no one.
CommandOutcome ExecuteCommand(ProtocolContext &context, int row, int attempts, int pauseMs);

} // namespace tavrin
