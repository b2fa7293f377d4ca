// The settings files as the program reads and writes them. The input picks a file,
// one setting to change and its new value, and then holds the file's text. The store
// reads it; writing with nothing changed must leave both files as they were; after the
// change is written, a second store must read exactly the changed settings (as the
// start-up read takes them: unworkable values replaced, the count covering the named
// entries), and every line of the old text (in CP1251, had it a UTF-8 mark) but those
// of the keys the changed group owns must still be there, in its order.
#include "fuzzing.h"
#include "inimodel.h"

#include "settings/cp1251.h"
#include "settings/inifile.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace tavrin;
using tavrin::fuzz::check;
using tavrin::fuzz::FuzzInput;
using namespace tavrin::fuzz::inimodel;

namespace {

struct Group {
    QByteArray section;
    QList<QByteArray> keys;
};

const QList<Group> kCurrentGroup = {{"CURR_PAR", {"Conn_Prz", "Last_Command"}},
                                    {"Val_Adr", {"Adr_0", "Adr_1", "Adr_2", "Adr_3", "Adr_4", "Adr_5"}}};
const QList<QByteArray> kLineKeys = {"COMPort", "First_Zero_Need", "Rate", "Repeat", "WaitTime", "TimeOut"};
const QList<Group> kDirectGroup = {{"DIR_CONN_PAR", kLineKeys}};
const QList<Group> kPhoneGroup = {{"FON_CONN_PAR", kLineKeys + QList<QByteArray>{"Default_Command", "Command",
                                                                                "ConnectWaitTime", "AutoRepeat",
                                                                                "Conn_Repeat"}}};

QList<Group> directoryGroup()
{
    QList<Group> groups = {{"FON_CONN_PAR", {"users_num", "user_index", "sort_prz"}}};
    for (int i = 1; i <= 100; ++i)
        groups.append({"FON_ABONENT_" + QByteArray::number(i),
                       {"user_name", "contr_adr", "adr_modbus", "phone_code", "net_address", "net_protocol"}});
    return groups;
}

// A text as a dialog would give it: no line breaks, at most maxChars characters.
QString textValue(const QByteArray &bytes, int maxChars)
{
    return cp1251::decode(QByteArray(bytes).replace('\r', ' ').replace('\n', ' ')).left(maxChars);
}

struct Change {
    bool abonentsFile; // the file the changed setting lives in
    QList<Group> owned; // the keys its group writes
};

// Changes one setting of s; says which keys may be written for it.
Change change(Settings &s, uint8_t field, const QByteArray &value)
{
    FuzzInput in(reinterpret_cast<const uint8_t *>(value.constData()), size_t(value.size()));
    const quint8 byte = in.byte();
    const quint8 second = in.byte();
    const auto integer = qint32(byte | (quint32(second) << 8) | (quint32(in.word()) << 16));
    ConnectionParameters &line = field % 32 < 14 ? s.direct : s.phone;
    AbonentDirectory &directory = s.directory;
    AbonentRecord &entry = directory.entries[byte % kMaxAbonents];
    switch (field % 32) {
    case 0: s.connectionKind = ConnectionKind(byte); return {false, kCurrentGroup};
    case 1: s.lastCommand = byte; return {false, kCurrentGroup};
    case 2: case 3: case 4: case 5: case 6: case 7:
        s.storedPeerAddress[field % 32 - 2] = byte;
        return {false, kCurrentGroup};
    case 8: case 14: line.portNumber = byte; break;
    case 9: case 15: line.wakeUpByte = byte & 1; break;
    case 10: case 16: line.bitRate = integer; break;
    case 11: case 17: line.exchangeAttempts = byte; break;
    case 12: case 18: line.replyWaitSeconds = integer; break;
    case 13: case 19: line.byteWaitMs = integer; break;
    case 20: s.defaultCommand = byte & 1; return {false, kPhoneGroup};
    case 21: s.modemCommands = textValue(value, kCommandChars); return {false, kPhoneGroup};
    case 22: s.connectWaitSeconds = integer; return {false, kPhoneGroup};
    case 23: s.autoRepeat = byte & 1; return {false, kPhoneGroup};
    case 24: s.dialRounds = integer; return {false, kPhoneGroup};
    case 25: directory.count = byte % (kMaxAbonents + 1); break;
    case 26: directory.selectedIndex = directory.count ? byte % directory.count : 0; break;
    case 27: directory.sortKey = AbonentSortKey(byte); break;
    case 28: entry.name = textValue(value.mid(1), kUserNameChars); break;
    case 29: entry.phoneNumber = textValue(value.mid(1), kPhoneCodeChars); break;
    case 30: entry.controllerAddress = quint8(integer >> 8); break;
    default: entry.modbusAddress = quint8(integer >> 8); break;
    }
    if (field % 32 >= 25)
        return {true, directoryGroup()};
    return {false, field % 32 < 14 ? kDirectGroup : kPhoneGroup};
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

// Every line of the old text, but the first line of a key the group owns, is in the new
// text in its order (a line that lacked its end may have got one).
void checkKeptLines(const QByteArray &before, const QByteArray &after, const QList<Group> &owned)
{
    const ModelFile old(before);
    QList<qsizetype> replaceable;
    for (const Group &group : owned) {
        for (const QByteArray &key : group.keys)
            replaceable.append(old.keyLine(group.section, key));
    }
    const Lines now = splitLines(after);
    qsizetype at = 0;
    for (qsizetype i = 0; i < old.lines.size(); ++i) {
        if (replaceable.contains(i))
            continue;
        while (at < now.size() && now[at] != old.lines[i] && now[at] != terminated(old.lines[i]))
            ++at;
        check(at < now.size(), "a line no changed key owns stays, in its order", old.lines[i].toHex(' '));
        ++at;
    }
}

// What the start-up read makes of values written: a port of 0 and a rate, wait or
// dialling attempt count of 0 or below become their defaults; a count that leaves out a
// named entry of the run from the first one becomes that run's length, and entries
// after a gap are taken in after the count.
void takeAsRead(Settings &s)
{
    const Settings defaults;
    for (auto [line, fallback] : {std::pair{&s.direct, defaults.direct}, std::pair{&s.phone, defaults.phone}}) {
        if (line->portNumber == 0)
            line->portNumber = fallback.portNumber;
        for (auto [field, value] : {std::pair{&line->bitRate, fallback.bitRate}, std::pair{&line->replyWaitSeconds, fallback.replyWaitSeconds},
                                    std::pair{&line->byteWaitMs, fallback.byteWaitMs}}) {
            if (*field <= 0)
                *field = value;
        }
    }
    if (s.connectWaitSeconds <= 0)
        s.connectWaitSeconds = defaults.connectWaitSeconds;
    if (s.dialRounds <= 0)
        s.dialRounds = defaults.dialRounds;
    AbonentDirectory &directory = s.directory;
    int named = 0;
    while (named < kMaxAbonents && !directory.entries[named].name.isEmpty())
        ++named;
    if (directory.count < named)
        directory.count = quint8(named);
    // Entries past the count that hold a name or a phone number join it, in order.
    for (int index = directory.count; index < kMaxAbonents; ++index) {
        AbonentRecord &entry = directory.entries[size_t(index)];
        if (entry.name.isEmpty() && entry.phoneNumber.isEmpty() && entry.networkAddress.isEmpty())
            continue;
        if (index != directory.count) {
            directory.entries[directory.count] = entry;
            entry = AbonentRecord{};
        }
        ++directory.count;
    }
    if (directory.selectedIndex >= directory.count)
        directory.selectedIndex = 0;
    SortAbonents(directory, directory.sortKey);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tavrin-fuzz-XXXXXX")
                                                          : QDir::tempPath() + QStringLiteral("/tavrin-fuzz-XXXXXX"));
    FuzzInput input(data, size);
    const bool abonentsText = input.byte() & 1;
    const uint8_t field = input.byte();
    const QByteArray value = input.bytes(input.byte() % 64);
    const QByteArray text = input.rest();

    const QString ini = folder.path() + QStringLiteral("/INI");
    QDir(ini).removeRecursively();
    QDir().mkpath(ini);
    const QString textPath = ini + (abonentsText ? QStringLiteral("/abonents.ini") : QStringLiteral("/bluetooth.ini"));
    const QString otherPath = ini + (abonentsText ? QStringLiteral("/bluetooth.ini") : QStringLiteral("/abonents.ini"));
    QFile file(textPath);
    check(file.open(QIODevice::WriteOnly) && file.write(text) == text.size(), "the test file is written");
    file.close();

    SettingsStore store;
    store.LoadSettings(folder.path());
    const QString replacedIn = QStringLiteral("В файле ") + QDir::toNativeSeparators(textPath) + QStringLiteral(" есть");
    for (const QString &problem : store.loadProblems())
        check(problem.startsWith(replacedIn), "a small file is read; only values of it are replaced");
    const AbonentDirectory &directory = store.CurrentSettings.directory;
    check(directory.count <= kMaxAbonents && (directory.count == 0 || directory.selectedIndex < directory.count)
              && directory.selectedIndex <= kMaxAbonents,
          "the count and the selection address the directory");
    check(store.CurrentSettings.modemCommands.size() <= kCommandChars, "the modem command fits its store");
    for (const AbonentRecord &entry : directory.entries)
        check(entry.name.size() <= kUserNameChars && entry.phoneNumber.size() <= kPhoneCodeChars,
              "a subscriber's texts fit their stores");

    store.WriteBluetoothIni();
    store.WriteAbonentsIni();
    check(contentOf(textPath) == text && contentOf(otherPath) == "(absent)", "nothing changed: nothing is written");

    const Change changed = change(store.CurrentSettings, field, value);
    Settings expected = store.CurrentSettings;
    store.WriteBluetoothIni();
    store.WriteAbonentsIni();
    check(store.SavedSettings == store.CurrentSettings, "what was written is what was saved");
    const QString changedPath = changed.abonentsFile == abonentsText ? textPath : otherPath;
    const QByteArray before = changedPath == textPath ? IniFile::fileText(text) : QByteArray();
    // A change that changes nothing writes nothing, so a marked file may still hold its
    // mark: both sides are compared as the program reads them.
    const QByteArray after = contentOf(changedPath) == "(absent)" ? QByteArray() : IniFile::fileText(contentOf(changedPath));
    checkKeptLines(before, after, changed.owned);
    if (changedPath != textPath)
        check(contentOf(textPath) == text, "the other file is not touched");

    SettingsStore reread;
    reread.LoadSettings(folder.path());
    takeAsRead(expected);
    check(reread.CurrentSettings == expected, "the changed settings read back as they were written",
          QByteArray::number(field % 32) + " " + value.toHex(' '));
    return 0;
}
