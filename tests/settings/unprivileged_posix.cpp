#include "unprivileged.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrin::testsupport {

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

bool makeWritable(const QString &folder)
{
    return setMode(folder, 0755);
}

int runWithReadOnlyFolder(const QString &folder, const std::function<int()> &body)
{
    if (::geteuid() != 0) {
        if (!setMode(folder, 0555))
            return -1;
        const int result = body();
        makeWritable(folder);
        return result;
    }

    // The child must reach the folder: open every folder above it for traversal.
    QDir up(folder);
    while (up.cdUp() && !up.isRoot())
        setMode(up.path(), 0755);
    // Its files too: writing over a file its user cannot write fails for that reason
    // alone, and the folder's own refusal would go untested.
    QStringList owned{folder};
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        owned << QDir(folder).filePath(name);
    for (const QString &path : owned) {
        if (::chown(QFile::encodeName(path).constData(), kNobody, kNoGroup) != 0)
            return -2;
    }
    if (!setMode(folder, 0555))
        return -2;

    const pid_t child = ::fork();
    if (child < 0)
        return -3;
    if (child == 0) {
        if (::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)
            ::_exit(200);
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -4;
    // Back to root, who made it; the outcome does not matter to the test.
    [[maybe_unused]] const int owner = ::chown(QFile::encodeName(folder).constData(), 0, 0);
    makeWritable(folder);
    return WEXITSTATUS(status);
}

} // namespace tavrin::testsupport
