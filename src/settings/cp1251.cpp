#include "settings/cp1251.h"

#include <array>
#include <utility>

namespace tavrin::cp1251 {

namespace {

// Characters of the bytes 0x80..0xFF. 0x98 has none in the code page; it stands for
// the control character of the same number, so a file that holds it is written back
// as it was.
constexpr std::array<char16_t, 128> kUpperHalf = {
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я in alphabetical order, without Ё/ё
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Lower-case letters of the upper half that the Windows ANSI upper-case conversion
// folds, with their capitals; the block а..я is folded by offset.
constexpr std::array<std::pair<unsigned char, unsigned char>, 15> kUpperHalfCapitals = {{
    {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
    {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5},
    {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD},
}};

constexpr std::array<unsigned char, 256> makeUpperTable()
{
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    for (int byte = 'a'; byte <= 'z'; ++byte)
        table[byte] = static_cast<unsigned char>(byte - 0x20);
    for (int byte = 0xE0; byte <= 0xFF; ++byte)
        table[byte] = static_cast<unsigned char>(byte - 0x20);
    for (const auto &[lower, upper] : kUpperHalfCapitals)
        table[lower] = upper;
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = makeUpperTable();

constexpr unsigned char kByteWithoutCharacter = 0x98;

char encodeOne(char16_t character)
{
    if (character < 0x80)
        return static_cast<char>(character);
    if (character >= 0x0410 && character <= 0x044F)
        return static_cast<char>(0xC0 + (character - 0x0410));
    for (int i = 0; i < 0x40; ++i) {
        if (kUpperHalf[i] == character)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

QChar characterOf(unsigned char byte)
{
    return byte < 0x80 ? QChar(byte) : QChar(kUpperHalf[byte - 0x80]);
}

} // namespace

QChar toUnicode(unsigned char byte)
{
    // Shown alone, the control character would be invisible.
    return byte == kByteWithoutCharacter ? QChar(QChar::ReplacementCharacter) : characterOf(byte);
}

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes)
        text.append(characterOf(static_cast<unsigned char>(byte)));
    return text;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text.at(i);
        // A character outside the basic plane is one character, so one '?'.
        if (character.isHighSurrogate() && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?');
            ++i;
            continue;
        }
        bytes.append(encodeOne(character.unicode()));
    }
    return bytes;
}

unsigned char toUpper(unsigned char byte)
{
    return kUpper[byte];
}

QByteArray toUpper(QByteArrayView bytes)
{
    QByteArray upper(bytes.size(), Qt::Uninitialized);
    char *out = upper.data();
    for (const char byte : bytes)
        *out++ = static_cast<char>(kUpper[static_cast<unsigned char>(byte)]);
    return upper;
}

} // namespace tavrin::cp1251
