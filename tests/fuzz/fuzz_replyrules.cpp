// The reply rules and the address forms against models written out here. The input up
// to its first zero byte is a reply as the receive buffer holds it (at most 500
// bytes); what follows the zero is one more token to look for.
#include "fuzzing.h"

#include "protocol/commandtable.h"
#include "protocol/replyrules.h"
#include "settings/cp1251.h"

#include <algorithm>
#include <string_view>

using namespace tavrin;
using tavrin::fuzz::check;

namespace {

constexpr size_t kFrameCapacity = 500;

const char *const kVocabulary[] = {"HELP", "VER", "PING", "RESET", "SLEEP", "DEVADDR", "PEERADDR",
                                   "PEERADDR(", "KEEP", "KILL", "Connected", "WaitForKEEP",
                                   "NoConnection", "No Peer", "Peer Deleted", "MemError", "Val", ":"};

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int hexValue(char c)
{
    const std::string_view digits = "0123456789abcdef";
    const size_t at = digits.find(char(c >= 'A' && c <= 'F' ? c + ('a' - 'A') : c));
    return at == std::string_view::npos ? -1 : int(at);
}

// Six numbers of one or two hexadecimal digits, white space allowed before each number
// and each separator, the separator any one character; bytes not read stay 0.
MacAddress modelAddress(std::string_view text, int &read)
{
    MacAddress address{};
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < text.size() && isSpace(text[at]))
            ++at;
    };
    for (read = 0; read < 6; ++read) {
        if (read > 0) {
            skipSpace();
            if (at == text.size())
                break;
            ++at;
        }
        skipSpace();
        if (at == text.size() || hexValue(text[at]) < 0)
            break;
        int value = hexValue(text[at++]);
        if (at < text.size() && hexValue(text[at]) >= 0)
            value = value * 16 + hexValue(text[at++]);
        address[size_t(read)] = quint8(value);
    }
    return address;
}

void checkAddressForms(const MacAddress &address)
{
    const QString display = AddressDisplayText(address);
    check(display.size() == 17, "the display form has 17 characters", display.toLatin1());
    MacAddress back{};
    check(ParseAddress(display.toLatin1().constData(), back) == 6 && back == address,
          "the display form reads back as the address", display.toLatin1());
    const QByteArray command = CommandText(RowPeerAddrWith, address);
    check(command.size() == 27 && command == "PEERADDR(" + display.toLatin1() + ')',
          "the pairing command is PEERADDR(address): 27 characters", command);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view reply = input.substr(0, std::min(zero, kFrameCapacity));
    const std::string_view token = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    const QByteArray replyText(reply.data(), qsizetype(reply.size())); // zero-terminated
    const QByteArray tokenText(token.data(), qsizetype(token.size()));
    const char *text = replyText.constData();

    for (const char *word : kVocabulary)
        check(ReplyHas(text, word) == (reply.find(word) != std::string_view::npos), "ReplyHas finds a word",
              word);
    const std::string_view tokenUpToZero = token.substr(0, token.find('\0'));
    check(ReplyHas(text, tokenText.constData()) == (reply.find(tokenUpToZero) != std::string_view::npos),
          "ReplyHas finds any token", tokenText.toHex(' '));

    const auto colons = int(std::count(reply.begin(), reply.end(), ':'));
    check(ColonCount(text) == colons, "ColonCount counts every colon", replyText.toHex(' '));
    check(AddressReply(text) == (colons == 7), "an address reply has exactly seven colons");

    const size_t val = reply.find("Val");
    const bool hasValue = val != std::string_view::npos && val + 6 < reply.size();
    const std::string_view value = hasValue ? reply.substr(val + 6) : std::string_view();
    const std::optional<QByteArray> valueText = ValueText(text);
    check(valueText.has_value() == hasValue, "a value exists when \"Val\" stands before the last six bytes",
          replyText.toHex(' '));
    check(!hasValue || *valueText == QByteArray(value.data(), qsizetype(value.size())),
          "the value starts six bytes after \"Val\"");

    int read = 0;
    const MacAddress expected = modelAddress(value, read);
    const std::optional<MacAddress> address = AddressValue(text);
    check(address.has_value() == hasValue && (!address || *address == expected),
          "the address value reads as the model reads it", replyText.toHex(' '));
    MacAddress parsed{};
    int parsedCount = ParseAddress(replyText.constData(), parsed);
    int modelCount = 0;
    check(parsed == modelAddress(reply, modelCount) && parsedCount == modelCount,
          "ParseAddress reads the bytes and count the model reads", replyText.toHex(' '));
    checkAddressForms(parsed);

    const std::string_view version = value.substr(0, value.find('"'));
    check(VersionValue(text) == cp1251::decode(QByteArray(version.data(), qsizetype(version.size()))),
          "the version is the value up to the next quote", replyText.toHex(' '));
    return 0;
}
