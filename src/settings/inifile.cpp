#include "settings/inifile.h"

#include "settings/cp1251.h"
#include "settings/iniline.h"
#include "settings/safewrite.h"
#include "settings/settingstexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstring>
#include <utility>

namespace tavrin {

namespace {

const QByteArray kLineEnd = "\r\n";

// Names match as the Windows ANSI comparison without case has it: by their bytes in
// CP1251 upper case (Latin and Cyrillic letters alike). The program's own names are
// ASCII and looked up hundreds of times at start, so those are folded in one pass.
QByteArray folded(const QString &name)
{
    QByteArray ascii(name.size(), Qt::Uninitialized);
    char *out = ascii.data();
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code >= 0x80)
            return cp1251::toUpper(cp1251::encode(name));
        *out++ = char(code >= u'a' && code <= u'z' ? code - (u'a' - u'A') : code);
    }
    return ascii;
}

QByteArray lineOf(QByteArrayView key, const QByteArray &value)
{
    return key.toByteArray() + '=' + value + kLineEnd;
}

// How often `byte` occurs in `text`; memchr finds them many times faster than a loop.
qsizetype countOf(QByteArrayView text, char byte)
{
    qsizetype count = 0;
    if (text.isEmpty())
        return 0;
    for (const char *at = text.data(), *end = at + text.size();
         (at = static_cast<const char *>(std::memchr(at, byte, size_t(end - at)))) != nullptr; ++at)
        ++count;
    return count;
}

// A view as a QByteArray that shares the bytes instead of copying them; `bytes` must
// outlive it and never change.
QByteArray sharedBytes(QByteArrayView bytes)
{
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

} // namespace

IniFile::IniFile()
{
    m_sections.seal();
}

IniFile::IniFile(const QByteArray &content)
    : m_content(content)
    , m_folded(cp1251::toUpper(content))
{
    const QByteArrayView text(m_content);
    // At most one header per '['; counting them first spares growing the lists.
    const qsizetype brackets = countOf(text, '[');
    m_sections.reserve(brackets);
    m_segmentStarts.reserve(size_t(brackets) + 1);
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = iniline::lineEnd(text, start);
        const QByteArrayView line = text.sliced(start, end - start);
        if (iniline::isSectionHeader(line)) {
            const QByteArrayView name = iniline::parse(line).name;
            m_sections.append(QByteArrayView(m_folded).sliced(name.data() - text.data(), name.size()),
                              qsizetype(m_segmentStarts.size()));
            m_segmentStarts.push_back(start);
        }
        start = end;
    }
    m_segmentCount = qsizetype(m_segmentStarts.size());
    m_sections.seal();
}

qsizetype IniFile::fileSegmentEnd(qsizetype segment) const
{
    return segment + 1 < qsizetype(m_segmentStarts.size()) ? m_segmentStarts[size_t(segment) + 1]
                                                            : m_content.size();
}

IniFile::OpenSegment &IniFile::opened(qsizetype segment) const
{
    if (const auto open = m_openSegments.find(segment); open != m_openSegments.end())
        return *open;
    // Only the file's segments are ever closed: an added section is open from the start.
    OpenSegment &open = m_openSegments[segment];
    const QByteArrayView text(m_content);
    const qsizetype begin = m_segmentStarts[size_t(segment)];
    const qsizetype segmentEnd = fileSegmentEnd(segment);
    // Room for every line ending in LF, and so for each key, without growing the lists.
    const qsizetype lines = countOf(text.sliced(begin, segmentEnd - begin), '\n') + 1;
    open.lines.reserve(lines);
    open.keys.reserve(lines);
    for (qsizetype start = begin; start < segmentEnd;) {
        const qsizetype end = iniline::lineEnd(text, start);
        // The lines point into m_content, which is never changed, until they are edited.
        const QByteArray line = sharedBytes(text.sliced(start, end - start));
        if (const QByteArrayView name = iniline::keyName(line); !name.isEmpty()) {
            const qsizetype at = name.data() - text.data();
            open.keys.append(QByteArrayView(m_folded).sliced(at, name.size()), open.lines.size());
            open.lastKeyLine = open.lines.size();
        }
        open.lines.append(line);
        start = end;
    }
    open.keys.seal();
    return open;
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
    const std::optional<qsizetype> sectionAt = m_sections.find(folded(section));
    if (!sectionAt)
        return std::nullopt;
    const OpenSegment &block = opened(*sectionAt);
    const std::optional<qsizetype> keyAt = block.keys.find(folded(key));
    if (!keyAt)
        return std::nullopt;
    return iniline::parse(block.lines[*keyAt]).value.toByteArray();
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
    const std::optional<qsizetype> sectionAt = m_sections.find(folded(section));
    if (!sectionAt) {
        appendSection(section, key, value);
        return;
    }
    OpenSegment &block = opened(*sectionAt);
    const QByteArray foldedKey = folded(key);
    if (const std::optional<qsizetype> keyAt = block.keys.find(foldedKey)) {
        QByteArray &line = block.lines[*keyAt];
        line = lineOf(iniline::parse(line).name, value);
        return;
    }
    // Every key line of the block is at or before lastKeyLine, so the lines that move
    // down hold no key and the index stays true.
    iniline::terminate(block.lines[block.lastKeyLine]);
    ++block.lastKeyLine;
    block.lines.insert(block.lastKeyLine, lineOf(cp1251::encode(key), value));
    block.keys.insertCopy(foldedKey, block.lastKeyLine);
}

void IniFile::appendSection(const QString &section, const QString &key, const QByteArray &value)
{
    // Only the first segment can be empty, and only while it is the only one.
    QList<QByteArray> &lastLines = opened(m_segmentCount - 1).lines;
    if (!lastLines.isEmpty()) {
        iniline::terminate(lastLines.back());
        if (!lastLines.back().trimmed().isEmpty())
            lastLines.append(kLineEnd);
    }
    const qsizetype segment = m_segmentCount++;
    OpenSegment &added = m_openSegments[segment];
    added.lines = {'[' + cp1251::encode(section) + ']' + kLineEnd, lineOf(cp1251::encode(key), value)};
    added.keys.seal();
    added.keys.insertCopy(folded(key), 1);
    added.lastKeyLine = 1;
    m_sections.insertCopy(folded(section), segment);
}

QByteArray IniFile::content() const
{
    QByteArray bytes;
    bytes.reserve(m_content.size());
    const QByteArrayView text(m_content);
    qsizetype copied = 0; // m_content before it is in `bytes` or replaced by open segments
    const auto appendLines = [&bytes](const OpenSegment &open) {
        for (const QByteArray &line : open.lines)
            bytes += line;
    };
    const QMap<qsizetype, OpenSegment>::const_iterator added = m_openSegments.lowerBound(qsizetype(m_segmentStarts.size()));
    for (auto open = m_openSegments.cbegin(); open != added; ++open) {
        bytes += text.sliced(copied, m_segmentStarts[size_t(open.key())] - copied);
        appendLines(*open);
        copied = fileSegmentEnd(open.key());
    }
    bytes += text.sliced(copied);
    for (auto open = added; open != m_openSegments.cend(); ++open)
        appendLines(*open);
    return bytes;
}

bool IniFile::save(const QString &path, QString *error) const
{
    return WriteFileSafely(path, content(), error);
}

} // namespace tavrin
