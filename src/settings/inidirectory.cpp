#include "settings/inidirectory.h"

#include "settings/settingslog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace tavrin {

namespace {

bool isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

bool isSameFolder(const QString &one, const QString &other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

} // namespace

QString ChooseIniDirectory(const QString &executableDir, const QStringList &installedBinDirs)
{
    const QString beside = QDir::cleanPath(executableDir + QStringLiteral("/INI"));
    const bool installed = std::any_of(installedBinDirs.begin(), installedBinDirs.end(),
                                       [&executableDir](const QString &dir) { return isSameFolder(executableDir, dir); });
    const bool writable = QFileInfo::exists(beside) ? isWritableFolder(beside)
                                                    : isWritableFolder(executableDir);
    if (!installed && writable) {
        qCInfo(settingsLog) << "INI folder" << beside << "beside the executable";
        return beside;
    }
    // Named here, not after the running program: tavrin-survey reads tavrin's folder.
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString config = generic.isEmpty() ? QString() : generic + QStringLiteral("/tavrin");
    if (config.isEmpty()) {
        // No home folder to keep it in: the place beside the executable is all there is.
        qCWarning(settingsLog) << "no per-user configuration folder; INI folder" << beside;
        return beside;
    }
    const QString perUser = QDir::cleanPath(config + QStringLiteral("/INI"));
    qCInfo(settingsLog) << "INI folder" << perUser << "in the user's configuration folder:"
                        << (installed ? "the program is installed in" : "cannot write in")
                        << QDir::cleanPath(executableDir);
    return perUser;
}

QStringList InstalledBinDirectories()
{
    QStringList dirs{QStringLiteral(TAVRIN_INSTALLED_BINDIR), QStringLiteral("/usr/bin")};
    dirs.removeDuplicates();
    return dirs;
}

} // namespace tavrin
