#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>

// Windows code page 1251, by a table of the program's own: the settings files of the
// existing installations are in it, and Qt's named codecs need ICU.
namespace tavrin::cp1251 {

// The character shown for one byte on its own, as in a byte trace: 0x98, the one byte
// without a character, shows as U+FFFD.
QChar toUnicode(unsigned char byte);
// Text and bytes both ways, every byte kept: 0x98 becomes U+0098 and back again, so
// encode(decode(bytes)) is the bytes themselves.
QString decode(const QByteArray &bytes);
// Characters with no CP1251 form become '?'.
QByteArray encode(const QString &text);
// The CP1251 upper-case form of a byte (Latin and Cyrillic letters, Ё and the other
// letters of the upper half included), as the Windows ANSI upper-case conversion gives.
unsigned char toUpper(unsigned char byte);
// Every byte of `bytes` in upper case, as toUpper gives it.
QByteArray toUpper(QByteArrayView bytes);

} // namespace tavrin::cp1251
