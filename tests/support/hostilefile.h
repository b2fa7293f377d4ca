#pragma once

#include <QString>

namespace tavrin::testsupport {

// Puts at path something that is not a plain file to read, or one too large:
// "link:TARGET" a symbolic link (to a device, say), "fifo" a FIFO nobody writes to,
// "folder" a folder, "11MB" a regular file of 11 MB. False when it could not be made.
bool MakeHostileFile(const QString &kind, const QString &path);

} // namespace tavrin::testsupport
