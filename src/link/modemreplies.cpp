#include "link/modemreplies.h"

#include "link/modem.h"
#include "link/serialport.h"

#include <QString>

#include <cstring>
#include <initializer_list>
#include <string_view>

namespace tavrin {

namespace {

struct ReplyRule {
    const char *upper;
    const char *lower; // the other spelling, or null when only one is accepted
    int result;
};

// Tested in this order; the first match wins (a line with both ERROR and NO CARRIER
// is an error).
constexpr ReplyRule kReplyRules[] = {
    {"ERRO", "erro", DialError},
    {"Time", nullptr, DialTimeLimit},
    {"DIAL", "dial", DialNoDialTone},
    {"NO CARRI", "no carri", DialNoCarrier},
    {"BUSY", "busy", DialBusy},
    {"ANSW", "answ", DialNoAnswer},
    {kEscapeReply, nullptr, DialAborted},
};

bool containsAny(const char *text, std::initializer_list<const char *> patterns)
{
    for (const char *pattern : patterns) {
        if (ContainsText(text, pattern))
            return true;
    }
    return false;
}

constexpr int kMaxInitCommands = 30;
constexpr int kMaxInitLine = 299; // characters, CR included

} // namespace

bool ContainsText(const char *text, const char *pattern)
{
    if (!text || !pattern)
        return false;
    const std::string_view haystack(text);
    const std::string_view needle(pattern);
    // An empty pattern is found nowhere: the search looks for its first character,
    // the terminator, which a zero-terminated text never holds before its end.
    if (haystack.empty() || needle.empty() || haystack.size() < needle.size())
        return false;
    return haystack.find(needle) != std::string_view::npos;
}

int ClassifyModemReply(const char *reply)
{
    for (const ReplyRule &rule : kReplyRules) {
        if (ContainsText(reply, rule.upper) || (rule.lower && ContainsText(reply, rule.lower)))
            return rule.result;
    }
    return DialOk;
}

bool CarrierPresent(const char *text)
{
    return !containsAny(text, {"NO CARRI", "no carri"});
}

bool ModemReplyRecognised(const char *reply)
{
    return containsAny(reply, {"AT", "at", "OK", "ok", "\r\n", "0"});
}

QString StripPhoneNumber(const QString &number)
{
    QString stripped;
    stripped.reserve(number.size());
    for (const QChar c : number) {
        if (c != u' ' && c != u'-' && c != u'(' && c != u')')
            stripped.append(c);
    }
    return stripped;
}

QList<QByteArray> SplitInitCommands(const QByteArray &commandText)
{
    QList<QByteArray> lines;
    const qsizetype length = commandText.size();
    qsizetype position = 0;
    while (position < length && lines.size() < kMaxInitCommands) {
        const char first = commandText[position];
        const bool startsCommand = (first == 'A' || first == 'a') && position + 1 < length
            && (commandText[position + 1] == 'T' || commandText[position + 1] == 't');
        if (!startsCommand) {
            ++position; // blanks after a caret, or an A that begins no command
            continue;
        }
        qsizetype end = commandText.indexOf('^', position);
        if (end < 0)
            end = length;
        QByteArray line = commandText.mid(position, qMin<qsizetype>(end - position, kMaxInitLine - 1));
        line.append('\r');
        lines.append(line);
        position = end;
    }
    return lines;
}

} // namespace tavrin
