// The modem's reply classification, the carrier and command-mode tests, the init
// command splitter and the phone number strip, against models written out here. The
// input up to its first zero byte is a reply line; what follows is a pattern; the
// whole input is also the Command setting and a phone number.
#include "fuzzing.h"

#include "link/modem.h"
#include "link/modemreplies.h"
#include "link/serialport.h"
#include "settings/cp1251.h"

#include <string_view>

using namespace tavrin;
using tavrin::fuzz::check;

namespace {

bool has(std::string_view text, std::string_view token)
{
    return !token.empty() && text.find(token) != std::string_view::npos;
}

// The first row of the table whose token is in the reply.
int modelClassify(std::string_view reply)
{
    struct Row {
        std::string_view tokens[2];
        int result;
    };
    static const Row rows[] = {
        {{"ERRO", "erro"}, 4}, {{"Time", {}}, 6},     {{"DIAL", "dial"}, 1},     {{"NO CARRI", "no carri"}, 3},
        {{"BUSY", "busy"}, 2}, {{"ANSW", "answ"}, 5}, {{"Escape...", {}}, 10},
    };
    for (const Row &row : rows) {
        if (has(reply, row.tokens[0]) || has(reply, row.tokens[1]))
            return row.result;
    }
    return 0;
}

// A command starts at A or a followed by T or t and runs to the next caret; it is
// kept to 298 characters and gets a CR; at most 30 are taken.
QList<QByteArray> modelSplit(std::string_view text)
{
    QList<QByteArray> lines;
    size_t at = 0;
    while (at < text.size() && lines.size() < 30) {
        const bool start = at + 1 < text.size() && (text[at] | 0x20) == 'a' && (text[at + 1] | 0x20) == 't';
        if (!start) {
            ++at;
            continue;
        }
        const size_t end = std::min(text.find('^', at), text.size());
        const std::string_view command = text.substr(at, std::min<size_t>(end - at, 298));
        lines.append(QByteArray(command.data(), qsizetype(command.size())) + '\r');
        at = end;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view reply = input.substr(0, zero);
    const std::string_view rest = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    const std::string_view pattern = rest.substr(0, rest.find('\0'));
    const QByteArray replyText(reply.data(), qsizetype(reply.size()));
    const QByteArray patternText(pattern.data(), qsizetype(pattern.size()));

    check(ClassifyModemReply(replyText.constData()) == modelClassify(reply),
          "the reply is classified by the first row whose token it holds", replyText.toHex(' '));
    check(CarrierPresent(replyText.constData()) == !(has(reply, "NO CARRI") || has(reply, "no carri")),
          "the carrier is gone when NO CARRI or no carri is in the text", replyText.toHex(' '));
    bool commandMode = false;
    for (std::string_view token : {"AT", "at", "OK", "ok", "\r\n", "0"})
        commandMode = commandMode || has(reply, token);
    check(ModemReplyRecognised(replyText.constData()) == commandMode,
          "a reply with AT, OK, CR LF or 0 shows command mode", replyText.toHex(' '));
    check(ContainsText(replyText.constData(), patternText.constData()) == has(reply, pattern),
          "ContainsText is a case-sensitive substring test", patternText.toHex(' '));

    const QByteArray command(input.data(), qsizetype(input.size()));
    const QList<QByteArray> lines = SplitInitCommands(command);
    check(lines == modelSplit(input), "the init commands are split as the model splits them", command.toHex(' '));
    for (const QByteArray &line : lines)
        check(line.endsWith('\r') && !line.contains('^') && line.size() <= 299,
              "an init command line ends in CR, holds no caret and fits 299 bytes", line.toHex(' '));

    const QString number = cp1251::decode(command);
    QString kept;
    for (const QChar c : number) {
        if (!QStringView(u" -()").contains(c))
            kept += c;
    }
    check(StripPhoneNumber(number) == kept, "the number loses blanks, hyphens and parentheses only",
          command.toHex(' '));
    return 0;
}
