#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tavrin::testsupport {

// A real file system of a few kilobytes (tmpfs), mounted on a temporary folder for one
// test, so that writers meet a disk that is really full. Mounting needs root, as the
// tests have here and in CI; elsewhere mounted() is false and skipReason() says why.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 256);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    QString path() const { return m_folder.path(); }

    // Fills the disk with a file of its own until not one byte more can be written.
    bool fill();
    // Removes that file again.
    bool release();
    // Mounts the disk again read-only: nothing can be written, not even by root.
    bool makeReadOnly();

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
    QString m_skipReason;
};

} // namespace tavrin::testsupport

// Skips the running test with the reason when there is no disk.
#define TAVRIN_REQUIRE_SMALL_DISK(disk)                                                          \
    do {                                                                                         \
        if (!(disk).mounted())                                                                   \
            QSKIP(qPrintable((disk).skipReason()));                                              \
    } while (false)
