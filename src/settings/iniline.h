#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The text rules of one line of an INI file in CP1251, as the Windows private-profile
// functions read it.
namespace tavrin::iniline {

enum class Kind { Other, Section, Key };

// Views into the line given to parse(), so reading a line copies nothing.
struct Line {
    Kind kind = Kind::Other;
    QByteArrayView name;  // section name, or the key as spelled in the file; trimmed
    QByteArrayView value; // key lines: the value, trimmed and unquoted
};

// The end of the line of `content` that starts at `from`: after its LF, after its
// CR LF, or after a CR alone, so no line holds a CR before its end.
qsizetype lineEnd(QByteArrayView content, qsizetype from);

// Whether a line is a section header: its first character after blanks is '['.
bool isSectionHeader(QByteArrayView bytes);

// What a line is. Blanks around names, the equals sign and values are ignored; a value
// in matching single or double quotes is read without them.
Line parse(QByteArrayView bytes);

// The name of a key line as parse() gives it, or an empty view for any other line;
// cheaper than parse() for indexing the keys of a long section.
QByteArrayView keyName(QByteArrayView bytes);

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
