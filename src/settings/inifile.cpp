#include "settings/inifile.h"

#include "settings/cp1251.h"
#include "settings/iniline.h"
#include "settings/safewrite.h"
#include "settings/settingstexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <utility>

namespace tavrin {

namespace {

const QByteArray kLineEnd = "\r\n";

// Names match as the Windows ANSI comparison without case has it: by their bytes in
// CP1251 upper case (Latin and Cyrillic letters alike).
QByteArray foldedBytes(QByteArrayView name)
{
    QByteArray key(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        key[i] = static_cast<char>(cp1251::toUpper(static_cast<unsigned char>(name[i])));
    return key;
}

QByteArray folded(const QString &name)
{
    return foldedBytes(cp1251::encode(name));
}

QByteArray lineOf(const QByteArray &key, const QByteArray &value)
{
    return key + '=' + value + kLineEnd;
}

} // namespace

IniFile::IniFile()
    : m_blocks(1)
{
}

IniFile::IniFile(const QByteArray &content)
    : IniFile()
{
    m_content = content;
    // Keys before the first section, and in a later section of a name already seen,
    // are never looked up.
    bool keysCount = false;
    // The lines point into m_content, which is never changed, until they are edited.
    for (const QByteArrayView line : iniline::splitLines(m_content))
        appendLine(QByteArray::fromRawData(line.data(), line.size()), keysCount);
}

void IniFile::appendLine(QByteArray bytes, bool &keysCount)
{
    const iniline::Line line = iniline::parse(bytes);
    if (line.kind == iniline::Kind::Section) {
        const QByteArray name = foldedBytes(line.name);
        keysCount = !m_sections.contains(name);
        // A later section of the same name stays among the lines of the block before.
        if (keysCount) {
            m_sections.insert(name, m_blocks.size());
            m_blocks.append(Block{});
        }
    }
    Block &block = m_blocks.back();
    if (line.kind == iniline::Kind::Key && keysCount) {
        const QByteArray name = foldedBytes(line.name);
        if (!block.keys.contains(name))
            block.keys.insert(name, block.lines.size());
        block.lastKeyLine = block.lines.size();
    }
    block.lines.append(std::move(bytes));
}

std::optional<IniFile> IniFile::load(const QString &path, IniLoadFailure *failure)
{
    QFile file(path);
    if (!file.exists())
        return IniFile();
    IniLoadFailure why;
    if (!QFileInfo(path).isFile()) {
        why.reason = settingstexts::kNotAFile;
    } else if (!file.open(QIODevice::ReadOnly)) {
        why.reason = file.errorString();
    } else {
        // One byte more than the limit tells a file over it without reading it all.
        const QByteArray content = file.read(kMaxFileBytes + 1);
        if (file.error() != QFileDevice::NoError) {
            why.reason = file.errorString();
        } else if (content.size() > kMaxFileBytes) {
            why.kind = IniLoadFailure::Kind::TooLarge;
            why.reason = settingstexts::kTooLarge.arg(file.size()).arg(kMaxFileBytes);
        } else {
            return IniFile(fileText(content));
        }
    }
    if (failure)
        *failure = why;
    return std::nullopt;
}

QByteArray IniFile::fileText(const QByteArray &bytes)
{
    static constexpr QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
    if (!bytes.startsWith(kUtf8Mark))
        return bytes;
    const QByteArrayView text = QByteArrayView(bytes).sliced(kUtf8Mark.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(text);
    return utf8.hasError() ? text.toByteArray() : cp1251::encode(decoded);
}

std::optional<QByteArray> IniFile::value(const QString &section, const QString &key) const
{
    const auto sectionAt = m_sections.constFind(folded(section));
    if (sectionAt == m_sections.cend())
        return std::nullopt;
    const Block &block = m_blocks[*sectionAt];
    const auto keyAt = block.keys.constFind(folded(key));
    if (keyAt == block.keys.cend())
        return std::nullopt;
    return iniline::parse(block.lines[*keyAt]).value;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const std::optional<QByteArray> text = value(section, key);
    return text ? cp1251::decode(*text) : defaultValue;
}

qint32 IniFile::readInteger(const QString &section, const QString &key,
                            qint32 defaultValue) const
{
    const std::optional<QByteArray> text = value(section, key);
    if (!text)
        return defaultValue;
    return iniline::parseProfileInteger(*text).value_or(defaultValue);
}

quint8 IniFile::readByte(const QString &section, const QString &key,
                         quint8 defaultValue) const
{
    return static_cast<quint8>(readInteger(section, key, defaultValue) & 0xFF);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    writeRaw(section, key, iniline::valueBytes(value));
}

void IniFile::writeInteger(const QString &section, const QString &key, qint32 value)
{
    writeRaw(section, key, QByteArray::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeRaw(section, key, value ? "1" : "0");
}

void IniFile::writeRaw(const QString &section, const QString &key, const QByteArray &value)
{
    const auto sectionAt = m_sections.constFind(folded(section));
    if (sectionAt == m_sections.cend()) {
        appendSection(section, key, value);
        return;
    }
    Block &block = m_blocks[*sectionAt];
    const QByteArray foldedKey = folded(key);
    if (const auto keyAt = block.keys.constFind(foldedKey); keyAt != block.keys.cend()) {
        QByteArray &line = block.lines[*keyAt];
        line = lineOf(iniline::parse(line).name, value);
        return;
    }
    // Every key line of the block is at or before lastKeyLine, so the lines that move
    // down hold no key and the index stays true.
    iniline::terminate(block.lines[block.lastKeyLine]);
    ++block.lastKeyLine;
    block.lines.insert(block.lastKeyLine, lineOf(cp1251::encode(key), value));
    block.keys.insert(foldedKey, block.lastKeyLine);
}

void IniFile::appendSection(const QString &section, const QString &key, const QByteArray &value)
{
    // Only the first block can be empty, and only while it is the only one.
    QList<QByteArray> &lastLines = m_blocks.back().lines;
    if (!lastLines.isEmpty()) {
        iniline::terminate(lastLines.back());
        if (!lastLines.back().trimmed().isEmpty())
            lastLines.append(kLineEnd);
    }
    Block block;
    block.lines = {'[' + cp1251::encode(section) + ']' + kLineEnd,
                   lineOf(cp1251::encode(key), value)};
    block.keys.insert(folded(key), 1);
    block.lastKeyLine = 1;
    m_sections.insert(folded(section), m_blocks.size());
    m_blocks.append(std::move(block));
}

QByteArray IniFile::content() const
{
    QByteArray bytes;
    for (const Block &block : m_blocks) {
        for (const QByteArray &line : block.lines)
            bytes += line;
    }
    return bytes;
}

bool IniFile::save(const QString &path, QString *error) const
{
    return WriteFileSafely(path, content(), error);
}

} // namespace tavrin
