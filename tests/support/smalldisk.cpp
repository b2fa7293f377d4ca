#include "support/smalldisk.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tavrin::testsupport {

namespace {

const char kFillerName[] = "/filler";

} // namespace

SmallDisk::SmallDisk(int kilobytes)
{
    if (::geteuid() != 0) {
        m_skipReason = QStringLiteral("a full disk needs a tmpfs mounted, which needs root");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_skipReason = QStringLiteral("tmpfs not mounted: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    // Detached, so that a file a failed test left open does not keep the mount.
    if (m_mounted)
        ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

bool SmallDisk::fill()
{
    const int fd = ::open(QFile::encodeName(path() + kFillerName).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        return false;
    // Page by page, then byte by byte into the last page.
    static const QByteArray page(4096, 'x');
    bool full = false;
    for (qsizetype chunk : {page.size(), qsizetype(1)}) {
        while (::write(fd, page.constData(), size_t(chunk)) == chunk) {
        }
        full = errno == ENOSPC;
    }
    ::close(fd);
    return full;
}

bool SmallDisk::release()
{
    return QFile::remove(path() + kFillerName);
}

bool SmallDisk::makeReadOnly()
{
    return ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace tavrin::testsupport
