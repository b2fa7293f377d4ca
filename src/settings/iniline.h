#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The text rules of one line of an INI file in CP1251, as the Windows private-profile
// functions read it.
namespace tavrin::iniline {

enum class Kind { Other, Section, Key };

struct Line {
    Kind kind = Kind::Other;
    QByteArray name;  // section name, or the key as spelled in the file; trimmed
    QByteArray value; // key lines: the value, trimmed and unquoted
};

// The lines of a file, each with its own line end, as views into `content`. A line
// ends at LF, at CR LF, or at a CR alone, so no line holds a CR before its end.
QList<QByteArrayView> splitLines(QByteArrayView content);

// What a line is. Blanks around names, the equals sign and values are ignored; a value
// in matching single or double quotes is read without them.
Line parse(QByteArrayView bytes);

// A text value as it goes into a file, so that it reads back as it was.
QByteArray valueBytes(const QString &value);

// Gives `line` its line end when it has none: LF after a CR that ends it, CR LF
// otherwise.
void terminate(QByteArray &line);

// The integer of a profile value: decimal with an optional sign, or hexadecimal after
// 0x/0X. A value that is not wholly such a number ("12abc", "1 2", "0xg"), or is
// beyond 32 bits, gives nullopt.
std::optional<qint32> parseProfileInteger(QByteArrayView text);

} // namespace tavrin::iniline
