#include "protocol/commandtable.h"

#include <cctype>

namespace tavrin {

const std::array<CommandTableEntry, kCommandRows> &CommandTable()
{
    // Row 7 holds only the prefix of its command; its length is that of the whole
    // command built from an address, "PEERADDR(XX:XX:XX:XX:XX:XX)".
    static const std::array<CommandTableEntry, kCommandRows> table = {{
        {"HELP", QStringLiteral("Получить перечень команд"), 4},
        {"VER", QStringLiteral("Получить версию ПО Bluetooth-устройства"), 3},
        {"PING", QStringLiteral("Получить состояние Bluetooth-устройства"), 4},
        {"RESET", QStringLiteral("Перезапустить Bluetooth-устройство"), 5},
        {"SLEEP", QStringLiteral("Усыпить"), 5},
        {"DEVADDR", QStringLiteral("Получить собственный адрес Bluetooth-устройства"), 7},
        {"PEERADDR", QStringLiteral("Получить адрес периферийного устройства"), 8},
        {"PEERADDR(", QStringLiteral("Создать пару с неподключенным периферийным устройством"), 27},
        {"KEEP", QStringLiteral("Создать пару с подключенным периферийным устройством"), 4},
        {"KILL", QStringLiteral("Разорвать пару с периферийным устройством"), 4},
    }};
    return table;
}

QString AddressDisplayText(const MacAddress &address)
{
    return QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", address[0], address[1], address[2], address[3],
                             address[4], address[5]);
}

QByteArray PeerAddressCommand(const MacAddress &address)
{
    return "PEERADDR(" + AddressDisplayText(address).toLatin1() + ')';
}

QByteArray CommandText(int row, const MacAddress &target)
{
    if (row < 0 || row >= kCommandRows)
        return {};
    if (row == kPeerAddrWithAddressRow)
        return PeerAddressCommand(target);
    const CommandTableEntry &entry = CommandTable()[size_t(row)];
    return QByteArray(entry.command, entry.length);
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void SkipBlanks(const char *&cursor)
{
    while (*cursor && std::isspace(static_cast<unsigned char>(*cursor)))
        ++cursor;
}

} // namespace

int ParseAddress(const char *text, MacAddress &address)
{
    address.fill(0);
    if (!text)
        return 0;
    const char *cursor = text;
    int read = 0;
    while (read < 6) {
        if (read > 0) {
            // One separator of any kind, unchecked, after optional white space.
            SkipBlanks(cursor);
            if (!*cursor)
                break;
            ++cursor;
        }
        SkipBlanks(cursor);
        const int high = HexDigit(*cursor);
        if (high < 0)
            break;
        ++cursor;
        int value = high;
        const int low = HexDigit(*cursor);
        if (low >= 0) {
            value = value * 16 + low;
            ++cursor;
        }
        address[read++] = static_cast<quint8>(value);
    }
    return read;
}

} // namespace tavrin
