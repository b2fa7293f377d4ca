#pragma once

// A model of how an INI file in CP1251 is read, written out for the fuzz targets
// independently of the settings library: its lines, what each line is, which key
// belongs to which section, and the integers of values.
#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

namespace tavrin::fuzz::inimodel {

using Lines = QList<QByteArray>;

// A line ends at LF, at CR LF, or at a CR alone; each keeps its end.
Lines splitLines(const QByteArray &content);
// Section and key names compare by their bytes in CP1251 upper case.
QByteArray fold(const QByteArray &name);
// The line with an end: LF after a CR that ends it, CR LF after anything else.
QByteArray terminated(QByteArray line);

// What one line is: a section header, a key with its value, or anything else.
struct ModelLine {
    enum { Other, Header, Key } kind = Other;
    QByteArray name;
    QByteArray value;
};
ModelLine modelLine(QByteArray text);

struct Name {
    QByteArray section;
    QByteArray key;
};

// A file as the model reads it. A section is the lines after the first header of its
// name up to the next header; keys after a later header of a name already seen belong
// to no section. The first key of a name in its section counts.
struct ModelFile {
    Lines lines;
    QList<ModelLine> parsed;
    QHash<QByteArray, qsizetype> headers; // folded name -> its first header
    QHash<QByteArray, qsizetype> keys;    // folded section '\n' folded key -> line
    QList<Name> names;                    // every section and key, as spelled

    explicit ModelFile(const QByteArray &content);
    // The line of the key, or -1.
    qsizetype keyLine(const QByteArray &section, const QByteArray &key) const;
    std::optional<QByteArray> value(const QByteArray &section, const QByteArray &key) const;
    // The line a new key of the section goes after: its last key line, or its header.
    qsizetype lastKeyLine(qsizetype header) const;
};

// Decimal with a sign, or hexadecimal after 0x; the whole value, at most 32 bits.
std::optional<qint32> modelInteger(QByteArray text);

} // namespace tavrin::fuzz::inimodel
