#include "settings/inifile.h"

#include "settings/cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tavrin {

namespace {

const QByteArray kLineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QByteArray unquote(const QByteArray &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// A text value as it goes into the file. A line break would split the line and
// plant keys of its own, so it becomes a blank. Quotes keep blanks at either end,
// and a value that is itself in quotes, as they are, since reading strips one pair.
QByteArray valueBytes(const QString &value)
{
    QByteArray bytes = cp1251::encode(value);
    bytes.replace('\r', ' ').replace('\n', ' ');
    const bool needsQuotes = !bytes.isEmpty()
        && (isBlank(bytes.front()) || isBlank(bytes.back()) || unquote(bytes) != bytes);
    return needsQuotes ? '"' + bytes + '"' : bytes;
}

int digitValue(char c, int base)
{
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

} // namespace

std::optional<qint32> parseProfileInteger(QByteArrayView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && digitValue(text[i + 2], 16) >= 0) {
        base = 16;
        i += 2;
    }
    quint64 magnitude = 0;
    qsizetype digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            break;
        magnitude = magnitude * base + d;
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    // Digits followed by anything else ("12abc", "115200 bit/s") are no integer.
    if (digits == 0 || i != text.size())
        return std::nullopt;
    // Beyond the signed range the bits are taken as they are (0xFFFFFFFF is -1).
    const auto bits = static_cast<quint32>(magnitude);
    return static_cast<qint32>(negative ? 0u - bits : bits);
}

IniFile::IniFile(const QByteArray &content)
{
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        end = end < 0 ? content.size() : end + 1;
        m_lines.append(parseLine(content.mid(start, end - start)));
        start = end;
    }
}

std::optional<IniFile> IniFile::load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return IniFile();
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniFile(file.readAll());
}

IniFile::Line IniFile::parseLine(const QByteArray &bytes)
{
    Line line;
    line.bytes = bytes;
    QByteArray text = bytes;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    text = trimBlanks(text);
    if (text.startsWith('[')) {
        qsizetype close = text.indexOf(']');
        if (close < 0)
            close = text.size();
        line.kind = Kind::Section;
        line.name = cp1251::decode(trimBlanks(text.mid(1, close - 1)));
        return line;
    }
    if (text.startsWith(';'))
        return line;
    const qsizetype eq = text.indexOf('=');
    if (eq <= 0)
        return line;
    line.keyText = trimBlanks(text.left(eq));
    if (line.keyText.isEmpty())
        return line;
    line.kind = Kind::Key;
    line.name = cp1251::decode(line.keyText);
    line.value = unquote(trimBlanks(text.mid(eq + 1)));
    return line;
}

std::optional<qsizetype> IniFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section
            && m_lines[i].name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

std::optional<qsizetype> IniFile::findKey(qsizetype sectionLine, const QString &key,
                                          qsizetype *insertAfter) const
{
    qsizetype lastKey = sectionLine;
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Section)
            break;
        if (line.kind != Kind::Key)
            continue;
        if (line.name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
        lastKey = i;
    }
    if (insertAfter)
        *insertAfter = lastKey;
    return std::nullopt;
}

const QByteArray *IniFile::value(const QString &section, const QString &key) const
{
    const auto s = findSection(section);
    if (!s)
        return nullptr;
    const auto k = findKey(*s, key);
    return k ? &m_lines[*k].value : nullptr;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const QByteArray *v = value(section, key);
    return v ? cp1251::decode(*v) : defaultValue;
}

qint32 IniFile::readInteger(const QString &section, const QString &key,
                            qint32 defaultValue) const
{
    const QByteArray *v = value(section, key);
    if (!v)
        return defaultValue;
    return parseProfileInteger(*v).value_or(defaultValue);
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
    writeRaw(section, key, valueBytes(value));
}

void IniFile::writeInteger(const QString &section, const QString &key, qint32 value)
{
    writeRaw(section, key, QByteArray::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeRaw(section, key, value ? "1" : "0");
}

void IniFile::terminateLine(qsizetype index)
{
    if (index >= 0 && !m_lines[index].bytes.endsWith('\n'))
        m_lines[index].bytes += kLineEnd;
}

void IniFile::writeRaw(const QString &section, const QString &key, const QByteArray &value)
{
    const auto s = findSection(section);
    if (!s) {
        if (!m_lines.isEmpty()) {
            terminateLine(m_lines.size() - 1);
            if (!m_lines.back().bytes.trimmed().isEmpty())
                m_lines.append(parseLine(kLineEnd));
        }
        m_lines.append(parseLine('[' + cp1251::encode(section) + ']' + kLineEnd));
        m_lines.append(parseLine(cp1251::encode(key) + '=' + value + kLineEnd));
        return;
    }
    qsizetype insertAfter = *s;
    if (const auto k = findKey(*s, key, &insertAfter)) {
        Line &line = m_lines[*k];
        line = parseLine(line.keyText + '=' + value + kLineEnd);
        return;
    }
    terminateLine(insertAfter);
    m_lines.insert(insertAfter + 1, parseLine(cp1251::encode(key) + '=' + value + kLineEnd));
}

QByteArray IniFile::content() const
{
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.bytes;
    return bytes;
}

bool IniFile::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    const QByteArray bytes = content();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tavrin
