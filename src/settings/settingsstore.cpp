#include "settings/settingsstore.h"

#include "settings/inifile.h"
#include "settings/settingstexts.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

namespace tavrin {

SettingsWriteError::SettingsWriteError(const QString &filePath, const QString &reason)
    : std::runtime_error(
          settingstexts::kWriteFailed.arg(QDir::toNativeSeparators(filePath)).toStdString())
    , m_filePath(filePath)
    , m_reason(reason)
{
}

namespace {

const QString kCurrentSection = QStringLiteral("CURR_PAR");
const QString kAddressSection = QStringLiteral("Val_Adr");
const QString kDirectSection = QStringLiteral("DIR_CONN_PAR");
// In bluetooth.ini it holds the phone line parameters, in abonents.ini the
// directory's count, selection and sort key.
const QString kPhoneSection = QStringLiteral("FON_CONN_PAR");

QString addressKey(int i)
{
    return QStringLiteral("Adr_%1").arg(i);
}

QString abonentSection(int entry)
{
    return QStringLiteral("FON_ABONENT_%1").arg(entry + 1);
}

// The same key lists drive reading and writing, so the order, the names and the
// defaults are written down once.
struct Reader {
    const IniFile &ini;
    void byte(const QString &s, const QString &k, quint8 &v, quint8 def) { v = ini.readByte(s, k, def); }
    void integer(const QString &s, const QString &k, qint32 &v, qint32 def) { v = ini.readInteger(s, k, def); }
    void boolean(const QString &s, const QString &k, bool &v, bool def) { v = ini.readBool(s, k, def); }
    // One CP1251 byte is one character, so cutting the text cuts the store.
    void text(const QString &s, const QString &k, QString &v, int maxChars) { v = ini.readString(s, k).left(maxChars); }
};

struct Writer {
    IniFile &ini;
    void byte(const QString &s, const QString &k, quint8 v, quint8) { ini.writeInteger(s, k, v); }
    void integer(const QString &s, const QString &k, qint32 v, qint32) { ini.writeInteger(s, k, v); }
    void boolean(const QString &s, const QString &k, bool v, bool) { ini.writeBool(s, k, v); }
    void text(const QString &s, const QString &k, const QString &v, int) { ini.writeString(s, k, v); }
};

template <class Io, class S>
void visitCurrentGroup(Io &io, S &s)
{
    io.byte(kCurrentSection, QStringLiteral("Conn_Prz"), s.Conn_Prz, Direct);
    io.byte(kCurrentSection, QStringLiteral("Last_Command"), s.Last_Command, 0);
    for (int i = 0; i < 6; ++i)
        io.byte(kAddressSection, addressKey(i), s.StoredPeerAddress[i], 0);
}

template <class Io, class P>
void visitLineParameters(Io &io, const QString &section, P &p, qint32 defaultWaitTime)
{
    io.byte(section, QStringLiteral("COMPort"), p.COMPort, 1);
    io.boolean(section, QStringLiteral("First_Zero_Need"), p.First_Zero_Need, false);
    io.integer(section, QStringLiteral("Rate"), p.Rate, 38400);
    io.byte(section, QStringLiteral("Repeat"), p.Repeat, 1);
    io.integer(section, QStringLiteral("WaitTime"), p.WaitTime, defaultWaitTime);
    io.integer(section, QStringLiteral("TimeOut"), p.TimeOut, 300);
}

template <class Io, class S>
void visitDirectGroup(Io &io, S &s)
{
    visitLineParameters(io, kDirectSection, s.direct, 3);
}

template <class Io, class S>
void visitPhoneGroup(Io &io, S &s)
{
    visitLineParameters(io, kPhoneSection, s.phone, 6);
    io.boolean(kPhoneSection, QStringLiteral("Default_Command"), s.Default_Command, false);
    io.text(kPhoneSection, QStringLiteral("Command"), s.Command, kCommandChars);
    io.integer(kPhoneSection, QStringLiteral("ConnectWaitTime"), s.ConnectWaitTime, 50);
    io.boolean(kPhoneSection, QStringLiteral("AutoRepeat"), s.AutoRepeat, false);
    io.integer(kPhoneSection, QStringLiteral("Conn_Repeat"), s.Conn_Repeat, 1);
}

template <class Io, class D>
void visitDirectory(Io &io, D &d)
{
    io.byte(kPhoneSection, QStringLiteral("users_num"), d.users_num, 0);
    io.byte(kPhoneSection, QStringLiteral("user_index"), d.user_index, 0);
    io.byte(kPhoneSection, QStringLiteral("sort_prz"), d.sort_prz, ByName);
    for (int i = 0; i < kMaxAbonents; ++i) {
        const QString section = abonentSection(i);
        auto &e = d.entries[i];
        io.text(section, QStringLiteral("user_name"), e.user_name, kUserNameChars);
        io.byte(section, QStringLiteral("contr_adr"), e.contr_adr, 1);
        io.byte(section, QStringLiteral("adr_modbus"), e.adr_modbus, 1);
        io.text(section, QStringLiteral("phone_code"), e.phone_code, kPhoneCodeChars);
    }
}

// The fields of the two groups that are written only when they changed, as one
// value each for comparing and copying.
template <class S>
auto currentGroup(S &s)
{
    return std::tie(s.Conn_Prz, s.Last_Command, s.StoredPeerAddress);
}

template <class S>
auto phoneGroup(S &s)
{
    return std::tie(s.phone, s.Default_Command, s.Command, s.ConnectWaitTime, s.AutoRepeat,
                    s.Conn_Repeat);
}

// The file as it is now, to be edited; one that exists but cannot be read is not
// overwritten, since its other lines would be lost.
IniFile loadForEdit(const QString &path)
{
    std::optional<IniFile> ini = IniFile::load(path);
    if (!ini)
        throw SettingsWriteError(path, QStringLiteral("the existing file cannot be read"));
    return *std::move(ini);
}

void save(const IniFile &ini, const QString &path)
{
    QString error;
    if (!ini.save(path, &error))
        throw SettingsWriteError(path, error);
}

} // namespace

void SettingsStore::LoadSettings(const QString &executableDir)
{
    IniDirectory = QDir::cleanPath(executableDir + QStringLiteral("/INI"));
    // A folder that cannot be created shows later: reads give defaults, writes fail.
    if (!QFileInfo(IniDirectory).isDir())
        QDir().mkdir(IniDirectory);
    BluetoothIniPath = IniDirectory + QStringLiteral("/bluetooth.ini");
    AbonentsIniPath = IniDirectory + QStringLiteral("/abonents.ini");

    ReadBluetoothIni();
    ReadAbonentsIni();
    SortAbonents(CurrentSettings.directory, CurrentSettings.directory.sort_prz);
    SavedSettings = CurrentSettings;
}

void SettingsStore::ReadBluetoothIni()
{
    const IniFile ini = IniFile::load(BluetoothIniPath).value_or(IniFile());
    Reader reader{ini};
    visitCurrentGroup(reader, CurrentSettings);
    visitDirectGroup(reader, CurrentSettings);
    visitPhoneGroup(reader, CurrentSettings);
}

void SettingsStore::ReadAbonentsIni()
{
    const IniFile ini = IniFile::load(AbonentsIniPath).value_or(IniFile());
    Reader reader{ini};
    AbonentDirectory &d = CurrentSettings.directory;
    visitDirectory(reader, d);
    // Counts the dialogs never write would address entries outside the directory.
    d.users_num = std::min<quint8>(d.users_num, kMaxAbonents);
    if (d.user_index >= d.users_num)
        d.user_index = 0;
}

void SettingsStore::WriteBluetoothIni()
{
    if (CurrentSettings == SavedSettings)
        return;
    const Settings &now = CurrentSettings;
    const bool current = currentGroup(now) != currentGroup(SavedSettings);
    const bool direct = now.direct != SavedSettings.direct;
    const bool phone = phoneGroup(now) != phoneGroup(SavedSettings);
    if (!current && !direct && !phone)
        return;

    IniFile ini = loadForEdit(BluetoothIniPath);
    Writer writer{ini};
    if (current)
        visitCurrentGroup(writer, now);
    if (direct)
        visitDirectGroup(writer, now);
    if (phone)
        visitPhoneGroup(writer, now);
    save(ini, BluetoothIniPath);

    // Only now, so a failed write is tried again by the next call.
    if (current)
        currentGroup(SavedSettings) = currentGroup(now);
    if (direct)
        SavedSettings.direct = now.direct;
    if (phone)
        phoneGroup(SavedSettings) = phoneGroup(now);
}

void SettingsStore::WriteAbonentsIni()
{
    if (CurrentSettings.directory == SavedSettings.directory)
        return;
    IniFile ini = loadForEdit(AbonentsIniPath);
    Writer writer{ini};
    visitDirectory(writer, std::as_const(CurrentSettings.directory));
    save(ini, AbonentsIniPath);
    SavedSettings.directory = CurrentSettings.directory;
}

} // namespace tavrin
