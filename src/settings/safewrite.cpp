#include "settings/safewrite.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tavrin {

namespace {

// Empty when the file's data reached the disk, otherwise the system's reason.
QString SyncToDisk(int handle)
{
#ifdef Q_OS_WIN
    const bool synced = ::_commit(handle) == 0;
#else
    const bool synced = ::fsync(handle) == 0;
#endif
    return synced ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool WriteFileSafely(const QString &path, const QByteArray &bytes, QString *reason,
                     QIODevice::OpenMode extraMode)
{
    QSaveFile file(path);
    const auto fail = [&file, reason](const QString &why) {
        file.cancelWriting();
        if (reason)
            *reason = why;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | extraMode))
        return fail(file.errorString());
    // A small write stays in the buffer until flush(): a full disk shows only there.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (const QString why = SyncToDisk(file.handle()); !why.isEmpty())
        return fail(why);
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace tavrin
