#pragma once

#include "settings/settings.h" // MacAddress

#include <QByteArray>
#include <QString>

#include <array>

namespace tavrin {

// One module command: its text as sent (and the echo its reply must hold), its
// description (the hint in the command view) and the characters put on the line.
struct CommandTableEntry {
    const char *command;
    QString description;
    qint32 length;
};

inline constexpr int kCommandRows = 10;
inline constexpr int kPeerAddrWithAddressRow = 7; // a template: its text is only the prefix

enum CommandRow : int {
    RowHelp = 0, RowVer = 1, RowPing = 2, RowReset = 3, RowSleep = 4,
    RowDevAddr = 5, RowPeerAddr = 6, RowPeerAddrWith = 7, RowKeep = 8, RowKill = 9,
};

const std::array<CommandTableEntry, kCommandRows> &CommandTable();

// "XX:XX:XX:XX:XX:XX", upper-case hexadecimal, byte 0 first.
QString AddressDisplayText(const MacAddress &address);
// "PEERADDR(XX:XX:XX:XX:XX:XX)": 27 characters.
QByteArray PeerAddressCommand(const MacAddress &address);
// The text put on the line for a row: the row's command, or for row 7 the command
// built from target. Exactly the row's length in characters.
QByteArray CommandText(int row, const MacAddress &target);

// Reads six hexadecimal numbers of one or two digits, each pair separated by one
// character of any kind, white space allowed. Bytes not read are 0. Returns the
// number of bytes read.
int ParseAddress(const char *text, MacAddress &address);

} // namespace tavrin
