#pragma once

#include "settings/settingsstore.h"

#include <QByteArray>
#include <QString>

// The INI folder of a program installed in a temporary folder, for the store's tests.
namespace tavrin::testsupport {

QByteArray readBytes(const QString &path);
// Fails the running test when the file cannot be written.
void writeBytes(const QString &path, const QByteArray &bytes);

// A store loaded from `exeDir` with the given files in INI/; a null array leaves its
// file absent.
SettingsStore loaded(const QString &exeDir, const QByteArray &bluetooth, const QByteArray &abonents);

} // namespace tavrin::testsupport
