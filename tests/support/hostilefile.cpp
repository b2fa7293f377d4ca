#include "support/hostilefile.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace tavrin::testsupport {

bool MakeHostileFile(const QString &kind, const QString &path)
{
    if (kind.startsWith(QLatin1String("link:")))
        return QFile::link(kind.mid(5), path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkpath(path);
    if (kind == QLatin1String("11MB")) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(11 * 1024 * 1024);
    }
    return false;
}

} // namespace tavrin::testsupport
