#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

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
// The file is read once into an index of its sections and their keys, so a lookup or
// an edit costs the same in a file of one section as in one of a hundred thousand.
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
    // The first section of a name: its lines from its header up to the header of the
    // next section of another name, with the first line of each of its keys. The
    // file's first block holds the lines before any header and belongs to no section.
    struct Block {
        QList<QByteArray> lines;        // as in the file, line ends included
        QHash<QByteArray, qsizetype> keys; // folded key name -> its first line
        qsizetype lastKeyLine = 0;      // a missing key goes after it; 0 is the header
    };

    // Adds a line read; `keysCount` tells whether the lines since the last header are
    // in a section that is looked up.
    void appendLine(QByteArray bytes, bool &keysCount);
    std::optional<QByteArray> value(const QString &section, const QString &key) const;
    void writeRaw(const QString &section, const QString &key, const QByteArray &value);
    void appendSection(const QString &section, const QString &key, const QByteArray &value);

    QByteArray m_content; // as read; the lines not edited since are views into it
    QList<Block> m_blocks;
    QHash<QByteArray, qsizetype> m_sections; // folded section name -> its first block
};

} // namespace tavrin
