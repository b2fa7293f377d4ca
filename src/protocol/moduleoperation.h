#pragma once

#include "protocol/executecommand.h"
#include "protocol/moduleoperationhost.h"

#include <optional>

namespace tavrin {

// How the operations send and wait. PING, PEERADDR, DEVADDR, VER, RESET and
// PEERADDR(address) get three attempts with 500 ms between them; KEEP, and KILL while
// pairing, one; KILL while breaking a pair three, a second apart.
namespace operationtiming {
inline constexpr int kAttempts = 3;
inline constexpr int kRetryPauseMs = 500;
inline constexpr int kKillRetryPauseMs = 1000;
inline constexpr int kCommandGapMs = 500;   // between two commands; after a RESET the module restarts
inline constexpr int kSettleAfterMs = 1000; // after KEEP and after KILL
} // namespace operationtiming

// What one state reading, pair creation or pair break works with: the link with its
// messages, and the window. Once the window is closing, nothing more is sent, paused
// for, asked or told: the operation only unwinds.
struct ModuleOperation {
    ProtocolContext &context;
    ModuleOperationHost &host;

    bool closing() const;
    // A command table row through ExecuteCommand; true when it was answered and the
    // window is not closing. The reply is then in reply().
    bool send(int row, int attempts, int pauseMs);
    // The usual three attempts, 500 ms apart.
    bool send(int row) { return send(row, operationtiming::kAttempts, operationtiming::kRetryPauseMs); }
    const char *reply() const { return context.channel.reply(); }
    // The fixed pause between commands: the window is frozen meanwhile.
    void pause(int ms);
    // A message with an empty title.
    void tell(const QString &text);
    // A Yes/No question under title; No once the window is closing.
    bool confirm(const QString &title, const QString &text);
    // The address dialog; nothing once the window is closing.
    std::optional<MacAddress> askPeerAddress();
};

// "Неопределенный ответ на команду ..." for a command table row.
QString UndefinedReplyTo(int row);

// The address a reply carries: nothing unless it is an address reply (seven colons)
// with a value. Bytes the value does not hold are 0.
std::optional<MacAddress> ReplyAddress(const char *reply);

} // namespace tavrin
