#pragma once

#include <QString>

namespace tavrin {

// Where the INI folder is. Beside the executable ("<executable folder>/INI") when that
// place can be written: a build tree, or a copy of the program carried to a machine or
// a stick with its settings. An installed program's folder (/usr/bin) belongs to the
// package manager, so there it is the user's configuration folder,
// QStandardPaths::AppConfigLocation + "/INI" (~/.config/tavrin/INI). The choice goes to
// the log category tavrin.settings. Nothing is created here.
//
// Beside the executable means: <executable folder>/INI is a writable folder, or it is
// absent and the executable folder is writable; and the executable folder is not
// `installedBinDir`, the folder the build installs its programs to, which root could
// write but which is still the package's.
QString ChooseIniDirectory(const QString &executableDir, const QString &installedBinDir);

// The folder this build installs tavrin to (CMAKE_INSTALL_FULL_BINDIR).
QString InstalledBinDirectory();

} // namespace tavrin
