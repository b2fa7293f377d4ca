#include "settings/settingsstore.h"

#include "settings/cp1251.h"
#include "settings/inidirectory.h"
#include "settings/inifile.h"
#include "settings/iniline.h"
#include "settings/settingslog.h"
#include "settings/settingstexts.h"
#include "settings/writeleftovers.h"

#include <QDir>
#include <QFileInfo>

#include <optional>
#include <tuple>
#include <utility>

namespace tavrin {

namespace {

// The existing file's refusal was told at start, in its own words: the message only
// names the file then.
QString writeFailure(const QString &filePath, const QString &reason, SettingsWriteError::Cause cause)
{
    const QString shownPath = QDir::toNativeSeparators(filePath);
    return cause == SettingsWriteError::Cause::SystemRefused
        ? settingstexts::kWriteFailedBecause.arg(shownPath, reason)
        : settingstexts::kWriteFailed.arg(shownPath);
}

} // namespace

SettingsWriteError::SettingsWriteError(const QString &filePath, const QString &reason, Cause cause)
    : std::runtime_error(writeFailure(filePath, reason, cause).toStdString())
    , m_filePath(filePath)
    , m_reason(reason)
{
}

namespace {

const QString kBluetoothIniName = QStringLiteral("bluetooth.ini");
const QString kAbonentsIniName = QStringLiteral("abonents.ini");

const QString kCurrentSection = QStringLiteral("CURR_PAR");
const QString kAddressSection = QStringLiteral("Val_Adr");
const QString kDirectSection = QStringLiteral("DIR_CONN_PAR");
// In bluetooth.ini it holds the phone line parameters, in abonents.ini the
// directory's count, selection and sort key.
const QString kPhoneSection = QStringLiteral("FON_CONN_PAR");
const QString kAbonentCountKey = QStringLiteral("users_num");
// The network kind's parameters, in a section of their own.
const QString kNetworkSection = QStringLiteral("NET_CONN_PAR");
// A subscriber's network address and protocol: keys of its own section, written only
// for a subscriber that has an address, so that a directory without any stays as it
// was and a program that knows only the other keys reads it as before.
const QString kNetworkAddressKey = QStringLiteral("net_address");
const QString kNetworkProtocolKey = QStringLiteral("net_protocol");

QString addressKey(int byteIndex)
{
    return QStringLiteral("Adr_%1").arg(byteIndex);
}

QString abonentSection(int entry)
{
    return QStringLiteral("FON_ABONENT_%1").arg(entry + 1);
}

// The same key lists drive reading and writing, so the order, the names and the
// defaults are written down once.
struct Reader {
    const IniFile &ini;
    QStringList replaced; // one line per value replaced by its default
    // Byte: quint8, or an enum stored as one (the connection kind, the sort key).
    template <class Byte>
    void byte(const QString &section, const QString &key, Byte &field, quint8 fallback)
    {
        field = Byte(ini.readByte(section, key, fallback));
    }
    void integer(const QString &section, const QString &key, qint32 &field, qint32 fallback)
    {
        field = ini.readInteger(section, key, fallback);
    }
    void boolean(const QString &section, const QString &key, bool &field, bool fallback)
    {
        field = ini.readBool(section, key, fallback);
    }
    // A port number of 0, or a rate, a wait or a count of attempts of 0 or below: no
    // dialog gives one and no link works with it, so the default takes its place.
    void positiveByte(const QString &section, const QString &key, quint8 &field, quint8 fallback)
    {
        byte(section, key, field, fallback);
        if (field == 0)
            replace(section, key, field, fallback);
    }
    void positiveInteger(const QString &section, const QString &key, qint32 &field, qint32 fallback)
    {
        integer(section, key, field, fallback);
        if (field <= 0)
            replace(section, key, field, fallback);
    }
    template <class T>
    void replace(const QString &section, const QString &key, T &field, T fallback)
    {
        replaced << settingstexts::kValueReplaced.arg(section, key, ini.readString(section, key),
                                                      QString::number(fallback));
        field = fallback;
    }
    // One CP1251 byte is one character, so cutting the text cuts the store.
    void text(const QString &section, const QString &key, QString &field, int maxChars)
    {
        field = ini.readString(section, key).left(maxChars);
    }
    void networkSite(const QString &section, AbonentRecord &entry)
    {
        entry.networkAddress = ini.readString(section, kNetworkAddressKey).trimmed().left(kNetworkAddressChars);
        const quint8 protocol = ini.readByte(section, kNetworkProtocolKey, RawTcp);
        entry.networkProtocol = protocol == Rfc2217 ? Rfc2217 : RawTcp;
    }
};

struct Writer {
    IniFile &ini;
    template <class Byte>
    void byte(const QString &section, const QString &key, Byte field, quint8)
    {
        ini.writeInteger(section, key, quint8(field));
    }
    void integer(const QString &section, const QString &key, qint32 field, qint32)
    {
        ini.writeInteger(section, key, field);
    }
    void positiveByte(const QString &section, const QString &key, quint8 field, quint8)
    {
        ini.writeInteger(section, key, field);
    }
    void positiveInteger(const QString &section, const QString &key, qint32 field, qint32)
    {
        ini.writeInteger(section, key, field);
    }
    void boolean(const QString &section, const QString &key, bool field, bool)
    {
        ini.writeBool(section, key, field);
    }
    void text(const QString &section, const QString &key, const QString &field, int)
    {
        ini.writeString(section, key, field);
    }
    // A subscriber without an address writes neither key; one that had an address in
    // the file gets it emptied, so the address removed is not read back.
    void networkSite(const QString &section, const AbonentRecord &entry)
    {
        if (!entry.networkAddress.isEmpty()) {
            ini.writeString(section, kNetworkAddressKey, entry.networkAddress);
            ini.writeInteger(section, kNetworkProtocolKey, entry.networkProtocol);
        } else if (!ini.readString(section, kNetworkAddressKey).isEmpty()) {
            ini.writeString(section, kNetworkAddressKey, QString());
        }
    }
};

template <class Io, class S>
void visitCurrentGroup(Io &io, S &settings)
{
    io.byte(kCurrentSection, QStringLiteral("Conn_Prz"), settings.connectionKind, Direct);
    io.byte(kCurrentSection, QStringLiteral("Last_Command"), settings.lastCommand, 0);
    for (int i = 0; i < 6; ++i)
        io.byte(kAddressSection, addressKey(i), settings.storedPeerAddress[i], 0);
}

template <class Io, class P>
void visitLineParameters(Io &io, const QString &section, P &parameters, qint32 defaultWaitTime)
{
    io.positiveByte(section, QStringLiteral("COMPort"), parameters.portNumber, 1);
    io.boolean(section, QStringLiteral("First_Zero_Need"), parameters.wakeUpByte, false);
    io.positiveInteger(section, QStringLiteral("Rate"), parameters.bitRate, 38400);
    // The exchange takes 0 attempts as 1.
    io.byte(section, QStringLiteral("Repeat"), parameters.exchangeAttempts, 1);
    io.positiveInteger(section, QStringLiteral("WaitTime"), parameters.replyWaitSeconds, defaultWaitTime);
    io.positiveInteger(section, QStringLiteral("TimeOut"), parameters.byteWaitMs, 300);
}

template <class Io, class S>
void visitDirectGroup(Io &io, S &settings)
{
    visitLineParameters(io, kDirectSection, settings.direct, 3);
}

template <class Io, class S>
void visitPhoneGroup(Io &io, S &settings)
{
    visitLineParameters(io, kPhoneSection, settings.phone, 6);
    io.boolean(kPhoneSection, QStringLiteral("Default_Command"), settings.defaultCommand, false);
    io.text(kPhoneSection, QStringLiteral("Command"), settings.modemCommands, kCommandChars);
    io.positiveInteger(kPhoneSection, QStringLiteral("ConnectWaitTime"), settings.connectWaitSeconds, 50);
    io.boolean(kPhoneSection, QStringLiteral("AutoRepeat"), settings.autoRepeat, false);
    io.positiveInteger(kPhoneSection, QStringLiteral("Conn_Repeat"), settings.dialRounds, 1);
}

template <class Io, class S>
void visitNetworkGroup(Io &io, S &settings)
{
    io.boolean(kNetworkSection, QStringLiteral("First_Zero_Need"), settings.network.wakeUpByte, false);
    io.positiveInteger(kNetworkSection, QStringLiteral("Rate"), settings.network.bitRate, 38400);
    io.byte(kNetworkSection, QStringLiteral("Repeat"), settings.network.exchangeAttempts, 1);
    io.positiveInteger(kNetworkSection, QStringLiteral("WaitTime"), settings.network.replyWaitSeconds, 6);
    io.positiveInteger(kNetworkSection, QStringLiteral("TimeOut"), settings.network.byteWaitMs, 300);
    io.positiveInteger(kNetworkSection, QStringLiteral("ConnectTime"), settings.networkConnectSeconds, 10);
}

template <class Io, class D>
void visitDirectory(Io &io, D &directory)
{
    io.byte(kPhoneSection, kAbonentCountKey, directory.count, 0);
    io.byte(kPhoneSection, QStringLiteral("user_index"), directory.selectedIndex, 0);
    io.byte(kPhoneSection, QStringLiteral("sort_prz"), directory.sortKey, ByName);
    for (int i = 0; i < kMaxAbonents; ++i) {
        const QString section = abonentSection(i);
        auto &entry = directory.entries[i];
        io.text(section, QStringLiteral("user_name"), entry.name, kUserNameChars);
        io.byte(section, QStringLiteral("contr_adr"), entry.controllerAddress, 1);
        io.byte(section, QStringLiteral("adr_modbus"), entry.modbusAddress, 1);
        io.text(section, QStringLiteral("phone_code"), entry.phoneNumber, kPhoneCodeChars);
        io.networkSite(section, entry);
    }
}

// The count as the file states it, unless it is no integer from 0 to 100 or leaves out
// a named entry of the run from FON_ABONENT_1 on: then that run's length, noted. An add
// goes into the slot after the count, so a named entry there would be overwritten.
void takeAbonentCount(Reader &reader, AbonentDirectory &directory)
{
    const QString text = reader.ini.readString(kPhoneSection, kAbonentCountKey);
    // Absent or empty, it is the default 0.
    const std::optional<qint32> stated =
        text.isEmpty() ? 0 : iniline::parseProfileInteger(cp1251::encode(text));
    int named = 0;
    while (named < kMaxAbonents && !directory.entries[named].name.isEmpty())
        ++named;
    if (stated && *stated >= named && *stated <= kMaxAbonents)
        return;
    directory.count = quint8(named);
    reader.replaced << settingstexts::kAbonentCountReplaced.arg(kPhoneSection, kAbonentCountKey, text,
                                                                QString::number(named));
}

// Entries past the count that hold a name, a phone number or a network address (left so by deleting one
// by hand) join the directory after it, in their order: none is dropped, and none is
// overwritten by the next subscriber added. The next write numbers them without the
// gap. Returns the sections so read.
QStringList takeEntriesAfterGap(AbonentDirectory &directory)
{
    QStringList sections;
    for (int index = directory.count; index < kMaxAbonents; ++index) {
        AbonentRecord &entry = directory.entries[size_t(index)];
        if (entry.name.isEmpty() && entry.phoneNumber.isEmpty() && entry.networkAddress.isEmpty())
            continue;
        sections << abonentSection(index);
        if (index != directory.count) {
            directory.entries[directory.count] = entry;
            entry = AbonentRecord{};
        }
        ++directory.count;
    }
    return sections;
}

// The fields of the two groups that are written only when they changed, as one
// value each for comparing and copying.
template <class S>
auto currentGroup(S &settings)
{
    return std::tie(settings.connectionKind, settings.lastCommand, settings.storedPeerAddress);
}

template <class S>
auto networkGroup(S &settings)
{
    return std::tie(settings.network, settings.networkConnectSeconds);
}

template <class S>
auto phoneGroup(S &settings)
{
    return std::tie(settings.phone, settings.defaultCommand, settings.modemCommands,
                    settings.connectWaitSeconds, settings.autoRepeat, settings.dialRounds);
}

// The file as it is now, to be edited. One that exists but is not read (unreadable, or
// too large) is not overwritten, since its other lines would be lost.
IniFile loadForEdit(const QString &path)
{
    IniLoadFailure failure;
    std::optional<IniFile> ini = IniFile::load(path, &failure);
    if (!ini) {
        const QString reason = settingstexts::kExistingNotRead.arg(failure.reason);
        qCWarning(settingsLog) << "not writing" << path << ":" << reason;
        throw SettingsWriteError(path, reason, SettingsWriteError::Cause::ExistingNotRead);
    }
    return *std::move(ini);
}

void save(const IniFile &ini, const QString &path)
{
    QString error;
    if (!ini.save(path, &error)) {
        qCWarning(settingsLog) << "writing" << path << "failed:" << error;
        throw SettingsWriteError(path, error, SettingsWriteError::Cause::SystemRefused);
    }
}

QString loadRefusal(const QString &path, const IniLoadFailure &failure)
{
    const QString &text = failure.kind == IniLoadFailure::Kind::TooLarge
        ? settingstexts::kLoadRefusedTooLarge
        : settingstexts::kLoadRefusedUnreadable;
    return text.arg(QDir::toNativeSeparators(path));
}

} // namespace

void SettingsStore::LoadSettings(const QString &executableDir)
{
    LoadSettingsFrom(ChooseIniDirectory(executableDir, InstalledBinDirectories()));
}

void SettingsStore::LoadSettingsFrom(const QString &iniDirectory)
{
    IniDirectory = iniDirectory;
    // A folder that cannot be created shows later: reads give defaults, writes fail.
    if (!QFileInfo(IniDirectory).isDir() && !QDir().mkpath(IniDirectory))
        qCWarning(settingsLog) << "cannot create the INI folder" << IniDirectory;
    BluetoothIniPath = IniDirectory + QLatin1Char('/') + kBluetoothIniName;
    AbonentsIniPath = IniDirectory + QLatin1Char('/') + kAbonentsIniName;
    removeWriteLeftovers(IniDirectory, {kBluetoothIniName, kAbonentsIniName});

    m_loadProblems.clear();
    m_loadNotes.clear();
    ReadBluetoothIni();
    ReadAbonentsIni();
    SortAbonents(CurrentSettings.directory, CurrentSettings.directory.sortKey);
    SavedSettings = CurrentSettings;
}

IniFile SettingsStore::loadForReading(const QString &path)
{
    IniLoadFailure failure;
    std::optional<IniFile> ini = IniFile::load(path, &failure);
    if (ini)
        return *std::move(ini);
    qCWarning(settingsLog) << "not reading" << path << ":" << failure.reason;
    m_loadProblems << loadRefusal(path, failure);
    return IniFile();
}

void SettingsStore::ReadBluetoothIni()
{
    const IniFile ini = loadForReading(BluetoothIniPath);
    Reader reader{ini, {}};
    visitCurrentGroup(reader, CurrentSettings);
    visitDirectGroup(reader, CurrentSettings);
    visitPhoneGroup(reader, CurrentSettings);
    visitNetworkGroup(reader, CurrentSettings);
    noteReplacedValues(BluetoothIniPath, reader.replaced);
}

void SettingsStore::ReadAbonentsIni()
{
    const IniFile ini = loadForReading(AbonentsIniPath);
    Reader reader{ini, {}};
    AbonentDirectory &directory = CurrentSettings.directory;
    visitDirectory(reader, directory);
    takeAbonentCount(reader, directory);
    const QStringList afterGap = takeEntriesAfterGap(directory);
    if (!afterGap.isEmpty()) {
        qCInfo(settingsLog) << "entries after a gap read from" << AbonentsIniPath << ":" << afterGap;
        m_loadNotes << settingstexts::kEntriesAfterGap.arg(QDir::toNativeSeparators(AbonentsIniPath),
                                                           afterGap.join(QStringLiteral(", ")));
    }
    if (directory.selectedIndex >= directory.count)
        directory.selectedIndex = 0;
    noteReplacedValues(AbonentsIniPath, reader.replaced);
}

void SettingsStore::noteReplacedValues(const QString &path, const QStringList &replaced)
{
    if (replaced.isEmpty())
        return;
    qCInfo(settingsLog) << "values replaced in" << path << ":" << replaced;
    m_loadProblems << settingstexts::kValuesReplaced.arg(QDir::toNativeSeparators(path)) + QLatin1Char('\r')
            + replaced.join(QLatin1Char('\r'));
}

void SettingsStore::WriteBluetoothIni()
{
    if (CurrentSettings == SavedSettings)
        return;
    const Settings &now = CurrentSettings;
    const bool current = currentGroup(now) != currentGroup(SavedSettings);
    const bool direct = now.direct != SavedSettings.direct;
    const bool phone = phoneGroup(now) != phoneGroup(SavedSettings);
    const bool network = networkGroup(now) != networkGroup(SavedSettings);
    if (!current && !direct && !phone && !network)
        return;

    IniFile ini = loadForEdit(BluetoothIniPath);
    Writer writer{ini};
    if (current)
        visitCurrentGroup(writer, now);
    if (direct)
        visitDirectGroup(writer, now);
    if (phone)
        visitPhoneGroup(writer, now);
    if (network)
        visitNetworkGroup(writer, now);
    save(ini, BluetoothIniPath);

    // Only now, so a failed write is tried again by the next call.
    if (current)
        currentGroup(SavedSettings) = currentGroup(now);
    if (direct)
        SavedSettings.direct = now.direct;
    if (phone)
        phoneGroup(SavedSettings) = phoneGroup(now);
    if (network)
        networkGroup(SavedSettings) = networkGroup(now);
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
