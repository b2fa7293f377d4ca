// Code page 1251 both ways. The input is read twice: as bytes of a file, which must
// come back byte for byte, and as UTF-16 text, whose every character must become its
// own byte or one '?' (a pair of surrogates is one character).
#include "fuzzing.h"

#include "settings/cp1251.h"

#include <QString>

using namespace tavrin;
using tavrin::fuzz::check;

namespace {

// The characters of all 256 bytes.
const QString &codePage()
{
    static const QString characters = [] {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte)
            all.append(char(byte));
        return cp1251::decode(all);
    }();
    return characters;
}

void checkBytes(const QByteArray &bytes)
{
    const QString text = cp1251::decode(bytes);
    check(text.size() == bytes.size(), "one character per byte", bytes.toHex(' '));
    check(cp1251::encode(text) == bytes, "bytes read and written back are the bytes", bytes.toHex(' '));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const QChar character = text[i];
        check(byte >= 0x80 || character.unicode() == byte, "ASCII stays ASCII");
        check(cp1251::toUnicode(byte) == (byte == 0x98 ? QChar(QChar::ReplacementCharacter) : character),
              "a byte shown alone is its character (0x98, which has none, as U+FFFD)");
        const unsigned char upper = cp1251::toUpper(byte);
        check(cp1251::toUpper(upper) == upper, "upper case of upper case changes nothing");
        // Where Unicode's own upper case of the letter is in the code page, it is the byte's.
        const QByteArray unicodeUpper = cp1251::encode(QString(character.toUpper()));
        if (unicodeUpper != "?" || character == u'?')
            check(static_cast<unsigned char>(unicodeUpper[0]) == upper, "upper case as Unicode has it",
                  QByteArray(1, char(byte)).toHex());
    }
}

void checkText(const QString &text)
{
    const QByteArray bytes = cp1251::encode(text);
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++at) {
        check(at < bytes.size(), "every character gives a byte");
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
        const char byte = bytes[at];
        const bool kept = cp1251::decode(QByteArray(1, byte)) == character;
        check(kept || byte == '?', "a character becomes its own byte or '?'", character.toUtf8().toHex());
        check(kept || !codePage().contains(character), "'?' only for a character the code page lacks",
              character.toUtf8().toHex());
    }
    check(at == bytes.size(), "nothing but one byte per character", text.toUtf8().toHex(' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkBytes(bytes);
    QString text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    checkText(text);
    return 0;
}
