#pragma once

#include <QString>

#include <functional>

// Folder permissions that refuse writes, made real for root too (root ignores the
// permission bits). The tests run as root here and in CI.
namespace tavrin::testsupport {

// Makes `folder` read-only and runs `body` where that is enforced: in this process
// for an ordinary user; as root, in a child process that has dropped to the user
// "nobody", with `folder` and its files handed to that user (so `body` can make it writable again
// with makeWritable) and the folders above it opened for traversal. Returns what
// `body` returns, or a negative number when it could not be run.
int runWithReadOnlyFolder(const QString &folder, const std::function<int()> &body);

// Gives the owner write permission on `folder` again.
bool makeWritable(const QString &folder);

} // namespace tavrin::testsupport
