#include "inimodel.h"

#include "settings/cp1251.h"

#include <algorithm>

namespace tavrin::fuzz::inimodel {

Lines splitLines(const QByteArray &content)
{
    Lines lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const bool crAlone = content[i] == '\r' && (i + 1 == content.size() || content[i + 1] != '\n');
        if (content[i] == '\n' || crAlone) {
            lines.append(content.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < content.size())
        lines.append(content.mid(start));
    return lines;
}

namespace {

QByteArray trimBlanks(QByteArray text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

} // namespace

QByteArray fold(const QByteArray &name)
{
    QByteArray upper = name;
    for (char &c : upper)
        c = char(cp1251::toUpper(static_cast<unsigned char>(c)));
    return upper;
}

ModelLine modelLine(QByteArray text)
{
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    text = trimBlanks(text);
    ModelLine line;
    if (text.startsWith('[')) {
        line.kind = ModelLine::Header;
        line.name = trimBlanks(text.mid(1, text.contains(']') ? text.indexOf(']') - 1 : -1));
        return line;
    }
    const qsizetype equals = text.indexOf('=');
    if (text.startsWith(';') || equals < 0 || trimBlanks(text.left(equals)).isEmpty())
        return line;
    line.kind = ModelLine::Key;
    line.name = trimBlanks(text.left(equals));
    line.value = trimBlanks(text.mid(equals + 1));
    const bool quoted = line.value.size() >= 2 && (line.value.front() == '"' || line.value.front() == '\'')
        && line.value.back() == line.value.front();
    if (quoted)
        line.value = line.value.mid(1, line.value.size() - 2);
    return line;
}

ModelFile::ModelFile(const QByteArray &content)
    : lines(splitLines(content))
{
    std::optional<QByteArray> section; // none after a repeated header
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ModelLine &line = parsed.emplace_back(modelLine(lines[i]));
        if (line.kind == ModelLine::Header) {
            const bool first = !headers.contains(fold(line.name));
            section = first ? std::optional(line.name) : std::nullopt;
            if (first)
                headers.insert(fold(line.name), i);
            names.append({line.name, QByteArray()});
        } else if (line.kind == ModelLine::Key && section) {
            const QByteArray at = fold(*section) + '\n' + fold(line.name);
            if (!keys.contains(at))
                keys.insert(at, i);
            names.append({*section, line.name});
        }
    }
}

qsizetype ModelFile::keyLine(const QByteArray &section, const QByteArray &key) const
{
    return keys.value(fold(section) + '\n' + fold(key), -1);
}

std::optional<QByteArray> ModelFile::value(const QByteArray &section, const QByteArray &key) const
{
    const qsizetype at = keyLine(section, key);
    return at < 0 ? std::nullopt : std::optional(parsed[at].value);
}

qsizetype ModelFile::lastKeyLine(qsizetype header) const
{
    qsizetype last = header;
    for (qsizetype i = header + 1; i < lines.size() && parsed[i].kind != ModelLine::Header; ++i)
        last = parsed[i].kind == ModelLine::Key ? i : last;
    return last;
}

std::optional<qint32> modelInteger(QByteArray text)
{
    bool negative = false;
    if (text.startsWith('+') || text.startsWith('-')) {
        negative = text.front() == '-';
        text.remove(0, 1);
    }
    const bool hex = text.size() > 2 && (text.startsWith("0x") || text.startsWith("0X"))
        && QByteArray("0123456789abcdefABCDEF").contains(text[2]);
    if (hex)
        text.remove(0, 2);
    const QByteArray digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [&](char c) { return digits.contains(c); }))
        return std::nullopt;
    while (text.size() > 1 && text.front() == '0')
        text.remove(0, 1);
    bool fits = false;
    const qulonglong magnitude = text.size() <= 16 ? text.toULongLong(&fits, hex ? 16 : 10) : 0;
    if (!fits || magnitude > 0xFFFFFFFFull)
        return std::nullopt;
    return qint32(quint32(negative ? 0 - magnitude : magnitude));
}


QByteArray terminated(QByteArray line)
{
    if (!line.endsWith('\n'))
        line += line.endsWith('\r') ? "\n" : "\r\n";
    return line;
}

} // namespace tavrin::fuzz::inimodel
