#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// Where the INI folder is. Beside the executable ("<executable folder>/INI") when that
// place can be written: a build tree, or a copy of the program carried to a machine or
// a stick with its settings. An installed program's folder (/usr/bin) belongs to the
// package manager, so there it is the user's configuration folder,
// QStandardPaths::GenericConfigLocation + "/tavrin/INI" (~/.config/tavrin/INI), the same
// for every program of the package whatever its own name. The choice goes to
// the log category tavrin.settings. Nothing is created here.
//
// Beside the executable means: <executable folder>/INI is a writable folder, or it is
// absent and the executable folder is writable; and the executable folder is none of
// `installedBinDirs`, the folders programs are installed to, which root could write
// but which are still the package's.
QString ChooseIniDirectory(const QString &executableDir, const QStringList &installedBinDirs);

// The folders an installed tavrin runs from: the one this build installs to
// (CMAKE_INSTALL_FULL_BINDIR) and the Debian package's /usr/bin, which a package made
// from any build uses.
QStringList InstalledBinDirectories();

} // namespace tavrin
