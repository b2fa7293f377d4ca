// The INI reader and writer. The input is a count of edits, the length of their
// description, the description, and then a file. Every key the file holds is read and
// checked against a model of the profile rules written out here. Then each edit is
// made, and the file's text must differ from the text before by exactly that edit (the
// key's line replaced, one line inserted after the last key of its section, or the
// section appended); every key must read back as the bytes now say, and the edited key
// as it was written.
#include "fuzzing.h"
#include "inimodel.h"

#include "settings/cp1251.h"
#include "settings/inifile.h"

#include <optional>

using namespace tavrin;
using tavrin::fuzz::check;
using tavrin::fuzz::FuzzInput;
using namespace tavrin::fuzz::inimodel;

namespace {

// Reading every key (and a few the file lacks) gives what the model reads.
void checkReads(const IniFile &ini, const ModelFile &file, const QList<Name> &names)
{
    const QString fallback = QStringLiteral("\u0001none");
    for (const Name &name : names) {
        const QString section = cp1251::decode(name.section);
        const QString key = cp1251::decode(name.key);
        const std::optional<QByteArray> value = file.value(name.section, name.key);
        const QByteArray where = name.section + " / " + name.key;
        check(ini.readString(section, key, fallback) == (value ? cp1251::decode(*value) : fallback),
              "a key reads as the model reads it", where);
        const std::optional<qint32> number = modelInteger(value.value_or(QByteArray()));
        const QByteArray shownValue = where + " = " + value.value_or("(none)");
        check(ini.readInteger(section, key, -12345) == (number ? *number : -12345),
              "an integer reads as the model reads it", shownValue);
        check(ini.readByte(section, key, 0x5A) == (number ? quint8(*number & 0xFF) : 0x5A),
              "a byte is the integer's low 8 bits", shownValue);
        check(ini.readBool(section, key, true) == (number ? *number != 0 : true), "a boolean is an integer not 0",
              where);
    }
}

// The program's own names, some spelled in another case, and Cyrillic ones.
const QByteArray kNames[] = {"CURR_PAR", "Conn_Prz", "Val_Adr", "adr_0", "FON_CONN_PAR", "Command",
                             "fon_abonent_7", "user_name", "phone_code", "DIR_CONN_PAR", "COMPort",
                             "\xd0\xe0\xe7\xe4\xe5\xeb", "\xf0\xe0\xe7\xc4\xc5\xcb", "\xb8\xe6", "\xa8\xc6"};

QByteArray pickName(uint8_t selector, const QList<QByteArray> &fromFile)
{
    if (selector < 0x80 && !fromFile.isEmpty())
        return fromFile[selector % fromFile.size()];
    return kNames[selector % std::size(kNames)];
}

// The new line of the edited key: the name, '=', the value and CR LF.
void checkKeyLine(const QByteArray &line, const QByteArray &name, const QByteArray &value)
{
    const ModelLine parsed = modelLine(line);
    check(line.startsWith(name + '=') && line.endsWith("\r\n") && parsed.kind == ModelLine::Key
              && parsed.value == value,
          "the edited key's line is name=value CR LF and reads as the value", line.toHex(' '));
}

// The text after one edit is the text before with exactly that edit made.
void checkEdit(const ModelFile &before, const Lines &after, const Name &name, const QByteArray &value)
{
    const QByteArray shown = name.section + " / " + name.key;
    const qsizetype header = before.headers.value(fold(name.section), -1);
    if (header < 0) {
        Lines expected = before.lines;
        if (!expected.isEmpty()) {
            expected.last() = terminated(expected.last());
            if (!expected.last().trimmed().isEmpty())
                expected.append("\r\n");
        }
        expected.append('[' + name.section + "]\r\n");
        check(after.size() == expected.size() + 1 && after.first(expected.size()) == expected,
              "a new section is appended after the old text, which stays", shown);
        checkKeyLine(after.last(), name.key, value);
        return;
    }
    const Lines &lines = before.lines;
    const qsizetype keyLine = before.keyLine(name.section, name.key);
    if (keyLine >= 0) {
        check(after.size() == lines.size(), "an edited key keeps the line count", shown);
        for (qsizetype i = 0; i < lines.size(); ++i)
            check(i == keyLine || after[i] == lines[i], "only the edited key's line changes", shown);
        checkKeyLine(after[keyLine], before.parsed[keyLine].name, value);
        return;
    }
    const qsizetype last = before.lastKeyLine(header);
    check(after.size() == lines.size() + 1, "a new key adds one line", shown);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray expected = i == last ? terminated(lines[i]) : lines[i];
        check(after[i <= last ? i : i + 1] == expected,
              "a new key goes after the last key of its section; nothing else moves", shown);
    }
    checkKeyLine(after[last + 1], name.key, value);
}

// One edit: which key, how it is written, and the value the file must then hold.
void edit(IniFile &ini, FuzzInput &input)
{
    const ModelFile before(ini.content());
    QList<QByteArray> sections;
    for (const Name &name : before.names)
        sections.append(name.section);
    const QByteArray section = pickName(input.byte(), sections);
    QList<QByteArray> keys;
    for (const Name &name : before.names) {
        if (fold(name.section) == fold(section) && !name.key.isEmpty())
            keys.append(name.key);
    }
    const QByteArray key = pickName(input.byte(), keys);
    const QString sectionText = cp1251::decode(section);
    const QString keyText = cp1251::decode(key);

    const uint8_t kind = input.byte() % 3;
    QByteArray expected;
    if (kind == 0) {
        const QByteArray value = input.bytes(input.byte() % 48);
        ini.writeString(sectionText, keyText, cp1251::decode(value));
        expected = QByteArray(value).replace('\r', ' ').replace('\n', ' ');
        check(ini.readString(sectionText, keyText) == cp1251::decode(expected),
              "a text reads back as written, line breaks as blanks", value.toHex(' '));
    } else if (kind == 1) {
        const auto value = qint32(input.dword());
        ini.writeInteger(sectionText, keyText, value);
        expected = QByteArray::number(value);
        check(ini.readInteger(sectionText, keyText, value ^ 1) == value, "an integer reads back as written");
    } else {
        const bool value = input.byte() & 1;
        ini.writeBool(sectionText, keyText, value);
        expected = value ? "1" : "0";
        check(ini.readBool(sectionText, keyText, !value) == value, "a boolean reads back as written");
    }
    const ModelFile after(ini.content());
    checkEdit(before, after.lines, {section, key}, expected);
    QList<Name> names = after.names;
    names.append({section, key});
    checkReads(ini, after, names);
    checkReads(IniFile(ini.content()), after, names);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const int edits = input.byte() % 4;
    const QByteArray editBytes = input.bytes(input.byte());
    const QByteArray content = input.rest();

    IniFile ini(content);
    check(ini.content() == content, "reading a file changes none of its bytes", content.toHex(' '));
    const ModelFile file(content);
    QList<Name> names = file.names;
    for (const QByteArray &name : kNames)
        names.append({name, name});
    checkReads(ini, file, names);

    FuzzInput editInput(reinterpret_cast<const uint8_t *>(editBytes.constData()), size_t(editBytes.size()));
    for (int i = 0; i < edits; ++i)
        edit(ini, editInput);
    return 0;
}
