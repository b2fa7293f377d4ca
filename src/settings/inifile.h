#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace tavrin {

// An INI text file in CP1251, read and edited the way the Windows private-profile
// functions do it, so that files written by hand or by older installations keep
// every line the program does not own:
// - section and key names match without regard to case; the first section and the
//   first key of a name win; blanks around names, the equals sign and values are
//   ignored; a value in matching single or double quotes is read without them;
// - writing a key replaces only its line's value; a missing key goes after the last
//   key line of its section, a missing section at the end of the file; all other
//   lines (comments, unknown keys and sections, LF-only endings) stay byte for byte;
// - lines written end in CR LF; integers are written in decimal, booleans as 1 or 0.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QByteArray &content);

    // The file's contents, or nullopt when it exists but cannot be read. A file that
    // does not exist is an empty one.
    static std::optional<IniFile> load(const QString &path);

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

    // Replaces the file at once through a temporary file in the same folder, so a
    // failed or interrupted write leaves the old file as it was. On failure returns
    // false and sets *error.
    bool save(const QString &path, QString *error) const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray bytes; // as in the file, line end included
        Kind kind = Kind::Other;
        QString name;     // section or key name, trimmed
        QByteArray value; // key lines: the value, trimmed and unquoted
        QByteArray keyText; // key lines: the key as spelled in the file
    };

    static Line parseLine(const QByteArray &bytes);
    std::optional<qsizetype> findSection(const QString &section) const;
    // Index of the key line, or nullopt; *lastKeyLine gets the insertion point.
    std::optional<qsizetype> findKey(qsizetype sectionLine, const QString &key,
                                     qsizetype *insertAfter = nullptr) const;
    const QByteArray *value(const QString &section, const QString &key) const;
    void writeRaw(const QString &section, const QString &key, const QByteArray &value);
    void terminateLine(qsizetype index);

    QList<Line> m_lines;
};

// The integer of a profile value, by the rules of IniFile::readInteger.
std::optional<qint32> parseProfileInteger(QByteArrayView text);

} // namespace tavrin
