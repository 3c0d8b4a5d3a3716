#pragma once

// A disk of a few pages for the tests of what a full medium does to a save: a
// tmpfs mounted over a folder inside a mount namespace of the test's own, so
// it shows nowhere else and vanishes with the test process even if it dies.

#include <QString>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace tenvix::test {

class SmallDisk {
public:
    // Mounts a tmpfs of `kib` KiB over the existing folder `where`.
    explicit SmallDisk(const QString& where, int kib = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_why.isEmpty(); }
    // Why it is not mounted.
    const QString& Why() const { return m_why; }
    // Takes every free byte with a filler file, so that the next write of a
    // single new byte fails with ENOSPC. False if it could not.
    bool Fill();

    // Whether a failure to mount is the test's failure. CI demands it (by
    // TENVIX_REQUIRE_MOUNTS=1); a newcomer's container or chroot, where no
    // private mount namespace can be had, skips those cases and says why.
    static bool MustMount();

private:
    QByteArray m_where;
    QString m_why;
};

// While it lives, this process may write files of at most `bytes`: a write
// past that fails with EFBIG (the signal it would raise is ignored). Needs no
// privileges, so the case runs everywhere.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Set() const { return m_set; }

private:
    struct rlimit m_was {};
    void (*m_handler)(int) = SIG_DFL;
    bool m_set = false;
};

} // namespace tenvix::test

// Skips or fails the calling test function when `disk` is not mounted.
#define TENVIX_REQUIRE_MOUNTED(disk)                                                                                   \
    do {                                                                                                               \
        if (!(disk).Mounted()) {                                                                                       \
            if (tenvix::test::SmallDisk::MustMount())                                                                  \
                QFAIL(qPrintable((disk).Why()));                                                                       \
            QSKIP(qPrintable((disk).Why()));                                                                           \
        }                                                                                                              \
    } while (false)
