#pragma once

#include <QString>

// Texts of the settings library shown to the user.
namespace tavrin::settingstexts {

// %1: the file's path.
inline const QString kWriteFailed = QStringLiteral("Не удалось записать файл %1");

} // namespace tavrin::settingstexts
