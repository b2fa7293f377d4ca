#pragma once

#include <QString>

// Texts of the settings library: those shown to the user, in Russian, and the causes
// it gives in its log and in SettingsWriteError::reason().
namespace tavrin::settingstexts {

// %1: the file's path.
inline const QString kWriteFailed = QStringLiteral("Не удалось записать файл %1");
// %1: the file's path, %2: the system's reason ("No space left on device").
inline const QString kWriteFailedBecause = QStringLiteral("Не удалось записать файл %1: %2");
// %1: the file's path. Shown after start for a settings file that exists but was not
// read; the program works with defaults for it and never writes over it.
inline const QString kLoadRefusedTooLarge = QStringLiteral(
    "Файл %1 больше 1 МБ и не прочитан. Настройки из него взяты по умолчанию, "
    "файл программа не изменит.");
inline const QString kLoadRefusedUnreadable = QStringLiteral(
    "Не удалось прочитать файл %1. Настройки из него взяты по умолчанию, "
    "файл программа не изменит.");
// %1: the file's path. Shown after start above one line per value replaced, with a CR
// before each line.
inline const QString kValuesReplaced = QStringLiteral(
    "В файле %1 есть значения, с которыми программа работать не может. Вместо них взяты:");
// %1: the section, %2: the key, %3: the value in the file, %4: the key's default.
inline const QString kValueReplaced = QStringLiteral("[%1] %2=%3: взято %4 (по умолчанию)");
// %1: the section, %2: the key, %3: the value in the file, %4: the count taken.
inline const QString kAbonentCountReplaced = QStringLiteral(
    "[%1] %2=%3: взято %4, столько абонентов с именами записано подряд от раздела "
    "[FON_ABONENT_1]");

// %1: the file, %2: the sections read after the gap.
inline const QString kEntriesAfterGap = QStringLiteral(
    "Файл %1: абоненты из разделов %2 стоят после пропуска в нумерации; они прочитаны в "
    "справочник, и при следующей записи справочника разделы будут пронумерованы подряд");

// %1: the file's size, %2: the largest size read, both in bytes.
inline const QString kTooLarge = QStringLiteral("%1 bytes, over the limit of %2");
inline const QString kNotAFile = QStringLiteral("not a regular file");
// %1: the cause of the failed read.
inline const QString kExistingNotRead = QStringLiteral("the existing file was not read (%1)");

} // namespace tavrin::settingstexts
