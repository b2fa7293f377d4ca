#pragma once

#include "settings/nameindex.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>
#include <vector>

namespace tavrin {

// Why an existing file was not read.
struct IniLoadFailure {
    enum class Kind { Unreadable, TooLarge };
    Kind kind = Kind::Unreadable;
    QString reason; // the system's words, or the file's size
};

// An INI text file in CP1251, read and edited the way the Windows private-profile
// functions do it, so that files written by hand or by older installations keep
// every line the program does not own:
// - section and key names match without regard to case; the first section and the
//   first key of a name win; blanks around names, the equals sign and values are
//   ignored; a value in matching single or double quotes is read without them;
// - writing a key replaces only its line's value; a missing key goes after the last
//   key line of its section, a missing section at the end of the file; all other
//   lines (comments, unknown keys and sections, LF-only endings) stay byte for byte;
// - a line ends at LF, at CR LF or at a CR alone, so a value never holds a CR; a line
//   without LF that gets a line written after it first gets its LF (after its CR) or
//   CR LF;
// - lines written end in CR LF; integers are written in decimal, booleans as 1 or 0.
// Reading the file indexes its section headers only; a section's lines and keys are
// taken apart the first time it is looked up or edited. So a lookup or an edit costs
// the same in a file of one section as in one of a hundred thousand, and a file of
// lines the program never asks about (unknown sections, keys, repeated headers) costs
// one pass over its bytes.
class IniFile {
public:
    // Larger files are not read: a settings file is a few kilobytes, and a huge one is
    // damaged or hostile.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    IniFile();
    explicit IniFile(const QByteArray &content);

    // The file's contents (see fileText); a file that does not exist is an empty one.
    // Nullopt when it exists but cannot be read or is larger than kMaxFileBytes, with
    // the cause in *failure.
    static std::optional<IniFile> load(const QString &path, IniLoadFailure *failure = nullptr);

    // The CP1251 text of a file's bytes. A file a text editor saved as UTF-8 with a
    // byte-order mark is converted and loses the mark, so that its first section is
    // found and a write puts the whole file back in CP1251 (characters without a
    // CP1251 form become '?'). After a mark, bytes that are no UTF-8 are taken as
    // CP1251 as they stand. A file without the mark is taken as it is.
    static QByteArray fileText(const QByteArray &bytes);

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    // Decimal with an optional sign, or hexadecimal after 0x/0X. A value that is not
    // wholly such a number ("12abc", "1 2", "0xg"), or is beyond 32 bits, gives the
    // default.
    qint32 readInteger(const QString &section, const QString &key, qint32 defaultValue) const;
    // The low 8 bits of the integer read.
    quint8 readByte(const QString &section, const QString &key, quint8 defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, qint32 value);
    void writeBool(const QString &section, const QString &key, bool value);

    QByteArray content() const;

    // Replaces the file whole or not at all (WriteFileSafely): a failed or interrupted
    // write, a full disk included, leaves the old file as it was. On failure returns
    // false and sets *error to the system's reason.
    bool save(const QString &path, QString *error) const;

private:
    // The file is cut into segments at its section headers: segment 0 holds the lines
    // before the first header, segment i the lines from the i-th header up to the next
    // header of any name. A name's first segment is its section: a later section of
    // the same name is never read or written. A segment is taken apart into lines and
    // keys the first time it is looked up or edited; from then on its lines are the
    // segment. Sections added by writes are segments after the file's last one.
    struct OpenSegment {
        QList<QByteArray> lines;   // as in the file, line ends included
        NameIndex keys;            // folded key name -> its first line
        qsizetype lastKeyLine = 0; // a missing key goes after it; 0 is the header
    };

    qsizetype fileSegmentEnd(qsizetype segment) const;
    // Lookups are const but open segments, hence the mutable map: opening one changes
    // nothing a caller sees.
    OpenSegment &opened(qsizetype segment) const;
    std::optional<QByteArray> value(const QString &section, const QString &key) const;
    void writeRaw(const QString &section, const QString &key, const QByteArray &value);
    void appendSection(const QString &section, const QString &key, const QByteArray &value);

    QByteArray m_content; // as read, never changed; unedited lines are views into it
    // m_content with every byte in upper case: the names read from the file are views
    // into it, so indexing them copies nothing.
    QByteArray m_folded;
    std::vector<qsizetype> m_segmentStarts{0}; // where each of the file's segments starts
    qsizetype m_segmentCount = 1;        // the file's segments and the added sections
    NameIndex m_sections;                // folded section name -> its segment
    mutable QMap<qsizetype, OpenSegment> m_openSegments;
};

} // namespace tavrin
