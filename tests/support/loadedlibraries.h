#pragma once

#include <QFile>

namespace tavrin::test {

// Whether a shared library whose file name contains `name` is mapped into this process,
// as Linux lists them in /proc/self/maps: for libraries loaded on first use only.
inline bool LibraryLoaded(const char *name)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

} // namespace tavrin::test
