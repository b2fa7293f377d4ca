#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace tavrin {

// Kind of link to the module, stored as Conn_Prz. A hand-edited file may hold
// another value; it is kept as read and selects no kind.
enum ConnectionKind : quint8 { Direct = 0, Phone = 1 };

enum AbonentSortKey : quint8 { ByName = 0, ByPhone = 1 };

inline constexpr int kMaxAbonents = 100;
inline constexpr int kUserNameChars = 49;   // store of 50 bytes
inline constexpr int kPhoneCodeChars = 29;  // store of 30 bytes
inline constexpr int kCommandChars = 199;   // store of 200 bytes

// A Bluetooth device address, byte 0 first (the leftmost pair of XX:XX:XX:XX:XX:XX).
using MacAddress = std::array<quint8, 6>;

// Line parameters of one connection kind; field names are the INI keys.
struct ConnectionParameters {
    quint8 COMPort = 1;
    bool First_Zero_Need = false;
    qint32 Rate = 38400;
    quint8 Repeat = 1;
    qint32 WaitTime = 3;  // seconds
    qint32 TimeOut = 300; // milliseconds
    bool operator==(const ConnectionParameters &) const = default;
};

struct AbonentRecord {
    QString user_name;  // at most kUserNameChars
    quint8 contr_adr = 1;
    quint8 adr_modbus = 1;
    QString phone_code; // at most kPhoneCodeChars
    bool operator==(const AbonentRecord &) const = default;
};

struct AbonentDirectory {
    quint8 users_num = 0;
    quint8 user_index = 0;
    quint8 sort_prz = ByName;
    std::array<AbonentRecord, kMaxAbonents> entries{};
    bool operator==(const AbonentDirectory &) const = default;
};

// The one flat settings record, copied by value.
struct Settings {
    quint8 Conn_Prz = Direct;
    quint8 Last_Command = 0;
    MacAddress StoredPeerAddress{};
    ConnectionParameters direct{};
    ConnectionParameters phone{.WaitTime = 6};
    AbonentDirectory directory{};
    bool Default_Command = false;
    QString Command;  // at most kCommandChars
    qint32 ConnectWaitTime = 50;
    bool AutoRepeat = false;
    qint32 Conn_Repeat = 1;

    bool operator==(const Settings &) const = default;

    // Parameters of the kind in Conn_Prz (the direct ones for any value but Phone).
    const ConnectionParameters &active() const { return Conn_Prz == Phone ? phone : direct; }
    // The selected subscriber, or nullptr when the directory is empty.
    const AbonentRecord *selectedAbonent() const;
};

// The 22 line rates offered, in bit/s.
inline constexpr std::array<qint32, 22> BaudRates = {
    300,   600,   1200,  2400,  3200,  3600,  4800,  5760,  6400,   7200,   7680,
    9600,  11520, 12800, 14400, 19200, 23040, 28800, 38400, 57600, 115200, 230400};

// Position of the first entry of BaudRates equal to rate, or -1.
int RateIndex(qint32 rate);
// The entry at position (0..21), otherwise 0.
qint32 RateAt(int position);

// Reorders entries 0..users_num-1 by name or phone (CP1251 upper-case byte order,
// stable) and keeps the selected subscriber selected.
void SortAbonents(AbonentDirectory &directory, int sortKey);

} // namespace tavrin
