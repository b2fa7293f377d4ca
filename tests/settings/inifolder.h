#pragma once

#include "settings/settingsstore.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

// The INI folder of a program installed in a temporary folder, and the settings log,
// for the store's tests.
namespace tavrin::testsupport {

QByteArray readBytes(const QString &path);
// Fails the running test when the file cannot be written.
void writeBytes(const QString &path, const QByteArray &bytes);

// A store loaded from `exeDir` with the given files in INI/; a null array leaves its
// file absent.
SettingsStore loaded(const QString &exeDir, const QByteArray &bluetooth, const QByteArray &abonents);

// Turns the settings log on for one test and off again after it.
struct SettingsLogOn {
    SettingsLogOn() { QLoggingCategory::setFilterRules(QStringLiteral("tavrin.settings=true")); }
    ~SettingsLogOn() { QLoggingCategory::setFilterRules(QString()); }
};

} // namespace tavrin::testsupport
