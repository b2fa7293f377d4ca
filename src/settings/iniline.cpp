#include "settings/iniline.h"

#include "settings/cp1251.h"

#include <algorithm>

namespace tavrin::iniline {

namespace {

bool isBlank(char character)
{
    return character == ' ' || character == '\t';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QByteArrayView unquote(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

int digitValue(char character, int base)
{
    int digit = -1;
    if (character >= '0' && character <= '9')
        digit = character - '0';
    else if (character >= 'a' && character <= 'f')
        digit = character - 'a' + 10;
    else if (character >= 'A' && character <= 'F')
        digit = character - 'A' + 10;
    return digit < base ? digit : -1;
}

} // namespace

qsizetype lineEnd(QByteArrayView content, qsizetype from)
{
    const char *const begin = content.data();
    const char *const end = begin + content.size();
    for (const char *at = begin + from; at != end; ++at) {
        // One comparison for the bytes of the text, which all lie above CR and LF.
        if (static_cast<unsigned char>(*at) > '\r')
            continue;
        if (*at == '\n')
            return at - begin + 1;
        if (*at == '\r')
            return at - begin + (at + 1 != end && at[1] == '\n' ? 2 : 1);
    }
    return content.size();
}

bool isSectionHeader(QByteArrayView bytes)
{
    for (const char character : bytes) {
        if (!isBlank(character))
            return character == '[';
    }
    return false;
}

Line parse(QByteArrayView bytes)
{
    Line line;
    QByteArrayView text = bytes;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    text = trimBlanks(text);
    if (text.startsWith('[')) {
        // std::find, as QByteArrayView::indexOf costs many times more on short lines.
        const qsizetype close = std::find(text.begin(), text.end(), ']') - text.begin();
        line.kind = Kind::Section;
        line.name = trimBlanks(text.sliced(1, close - 1));
        return line;
    }
    const QByteArrayView key = keyName(text);
    if (key.isEmpty())
        return line;
    // Only blanks lie between the name and the first equals sign.
    const auto equals = std::find(key.end(), text.end(), '=');
    line.kind = Kind::Key;
    line.name = key;
    line.value = unquote(trimBlanks(QByteArrayView(equals + 1, text.end())));
    return line;
}

// The line ends at its first CR or LF: lineEnd() puts no CR or LF inside a line.
QByteArrayView keyName(QByteArrayView bytes)
{
    const char *begin = bytes.data();
    const char *const end = begin + bytes.size();
    while (begin != end && isBlank(*begin))
        ++begin;
    if (begin == end || *begin == '[' || *begin == ';' || *begin == '=')
        return {};
    const char *equals = begin;
    while (equals != end && *equals != '=' && *equals != '\r' && *equals != '\n')
        ++equals;
    if (equals == end || *equals != '=')
        return {};
    // *begin is no blank, so the name keeps at least one character.
    const char *nameEnd = equals;
    while (isBlank(nameEnd[-1]))
        --nameEnd;
    return QByteArrayView(begin, nameEnd - begin);
}

// A line break would split the line and plant keys of its own, so it becomes a blank.
// Quotes keep blanks at either end, and a value that is itself in quotes, as they are,
// since reading strips one pair.
QByteArray valueBytes(const QString &value)
{
    QByteArray bytes = cp1251::encode(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    const bool needsQuotes = !bytes.isEmpty()
        && (isBlank(bytes.front()) || isBlank(bytes.back()) || unquote(bytes) != bytes);
    return needsQuotes ? '"' + bytes + '"' : bytes;
}

void terminate(QByteArray &line)
{
    if (line.endsWith('\n'))
        return;
    // A CR alone already ends the line; another CR would leave it in the value.
    line += line.endsWith('\r') ? "\n" : "\r\n";
}

std::optional<qint32> parseProfileInteger(QByteArrayView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && digitValue(text[i + 2], 16) >= 0) {
        base = 16;
        i += 2;
    }
    quint64 magnitude = 0;
    qsizetype digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            break;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    // Digits followed by anything else ("12abc", "115200 bit/s") are no integer.
    if (digits == 0 || i != text.size())
        return std::nullopt;
    // Beyond the signed range the bits are taken as they are (0xFFFFFFFF is -1).
    const auto bits = static_cast<quint32>(magnitude);
    return static_cast<qint32>(negative ? 0u - bits : bits);
}

} // namespace tavrin::iniline
