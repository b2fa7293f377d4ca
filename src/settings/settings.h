#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace tavrin {

// Kind of link to the module (INI key Conn_Prz). A hand-edited file may hold
// another value; it is kept as read and selects no kind.
enum ConnectionKind : quint8 { Direct = 0, Phone = 1, Network = 2 };

enum AbonentSortKey : quint8 { ByName = 0, ByPhone = 1 };

// How a subscriber's serial line is served over the network: the bytes as they are, or
// with Telnet remote port control (the server sets the line the program asks for).
enum NetworkProtocol : quint8 { RawTcp = 0, Rfc2217 = 1 };

inline constexpr int kMaxAbonents = 100;
inline constexpr int kUserNameChars = 49;   // store of 50 bytes
inline constexpr int kPhoneCodeChars = 29;  // store of 30 bytes
inline constexpr int kCommandChars = 199;   // store of 200 bytes
inline constexpr int kNetworkAddressChars = 262; // "[" a 253-character host "]:65535"
// The network kind's connect time limit, in seconds.
inline constexpr int kNetworkConnectMinSeconds = 1;
inline constexpr int kNetworkConnectMaxSeconds = 60;

// A Bluetooth device address, byte 0 first (the leftmost pair of XX:XX:XX:XX:XX:XX).
using MacAddress = std::array<quint8, 6>;

// Line parameters of one connection kind. The INI keys they are stored under are
// named in the one place that reads and writes them (settingsstore.cpp).
struct ConnectionParameters {
    quint8 portNumber = 1;       // COM n
    bool wakeUpByte = false;     // a zero byte and a pause before each command
    qint32 bitRate = 38400;
    quint8 exchangeAttempts = 1;
    qint32 replyWaitSeconds = 3; // for the first byte of a reply
    qint32 byteWaitMs = 300;     // between the bytes of a reply
    bool operator==(const ConnectionParameters &) const = default;
};

struct AbonentRecord {
    QString name;                 // at most kUserNameChars
    quint8 controllerAddress = 1; // kept, used by nothing
    quint8 modbusAddress = 1;     // kept, used by nothing
    QString phoneNumber;          // at most kPhoneCodeChars
    // Where the site's serial line is served over the network ("host:port"); empty when
    // it is reached by phone only.
    QString networkAddress{};     // at most kNetworkAddressChars
    NetworkProtocol networkProtocol = RawTcp;
    bool operator==(const AbonentRecord &) const = default;
};

struct AbonentDirectory {
    quint8 count = 0; // entries in use, from the first
    quint8 selectedIndex = 0;
    AbonentSortKey sortKey = ByName;
    std::array<AbonentRecord, kMaxAbonents> entries{};
    bool operator==(const AbonentDirectory &) const = default;
};

// The one flat settings record, copied by value.
struct Settings {
    ConnectionKind connectionKind = Direct;
    quint8 lastCommand = 0; // kept, used by nothing
    MacAddress storedPeerAddress{}; // the peripheral address the user last typed
    ConnectionParameters direct{};
    ConnectionParameters phone{.replyWaitSeconds = 6};
    AbonentDirectory directory{};
    bool defaultCommand = false; // kept, used by nothing
    QString modemCommands;       // the modem's initialisation lines, at most kCommandChars
    qint32 connectWaitSeconds = 50;
    bool autoRepeat = false;     // kept, used by nothing
    qint32 dialRounds = 1;
    // The network kind: its line parameters (the port number unused; the rate is asked
    // of servers with port control) and the connect time limit.
    ConnectionParameters network{.replyWaitSeconds = 6};
    qint32 networkConnectSeconds = 10;

    bool operator==(const Settings &) const = default;

    // Parameters of the chosen kind (the direct ones for a value of no kind).
    const ConnectionParameters &active() const
    {
        return connectionKind == Phone ? phone : connectionKind == Network ? network : direct;
    }
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

// Reorders entries 0..count-1 by name or phone (CP1251 upper-case byte order,
// stable) and keeps the selected subscriber selected.
void SortAbonents(AbonentDirectory &directory, int sortKey);

} // namespace tavrin
