#pragma once

#include <QString>

// Texts of the settings library: those shown to the user, in Russian, and the causes
// it gives in its log and in SettingsWriteError::reason().
namespace tavrin::settingstexts {

// %1: the file's path.
inline const QString kWriteFailed = QStringLiteral("Не удалось записать файл %1");
// %1: the file's path. Shown after start for a settings file that exists but was not
// read; the program works with defaults for it and never writes over it.
inline const QString kLoadRefusedTooLarge = QStringLiteral(
    "Файл %1 больше 1 МБ и не прочитан. Настройки из него взяты по умолчанию, "
    "файл программа не изменит.");
inline const QString kLoadRefusedUnreadable = QStringLiteral(
    "Не удалось прочитать файл %1. Настройки из него взяты по умолчанию, "
    "файл программа не изменит.");

// %1: the file's size, %2: the largest size read, both in bytes.
inline const QString kTooLarge = QStringLiteral("%1 bytes, over the limit of %2");
inline const QString kNotAFile = QStringLiteral("not a regular file");
// %1: the cause of the failed read.
inline const QString kExistingNotRead = QStringLiteral("the existing file was not read (%1)");

} // namespace tavrin::settingstexts
