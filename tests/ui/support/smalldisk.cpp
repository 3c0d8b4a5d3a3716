#include "support/smalldisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tenvix::test {

namespace {

QString SystemError(const char* what) { return QStringLiteral("%1: %2").arg(what, strerror(errno)); }

// A mount namespace for this thread alone, detached from the host's so that
// nothing mounted in it propagates out. Done once; the tests all run on the
// main thread, which is the one that saves.
QString PrivateNamespace()
{
    static const QString why = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return SystemError("unshare(CLONE_NEWNS)");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return SystemError("making / private");
        return QString();
    }();
    return why;
}

} // namespace

bool SmallDisk::MustMount() { return qEnvironmentVariableIntValue("TENVIX_REQUIRE_MOUNTS") != 0; }

SmallDisk::SmallDisk(const QString& where, int kib) : m_where(QFile::encodeName(where))
{
    m_why = PrivateNamespace();
    if (!m_why.isEmpty()) {
        // A chroot's root is no mount point, and a container may forbid
        // unshare: either way no tmpfs can be mounted without leaking out.
        m_why = QStringLiteral("No private mount namespace for a small disk here (%1)").arg(m_why);
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0777";
    if (::mount("tmpfs", m_where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
        m_why = SystemError("mounting a tmpfs");
}

SmallDisk::~SmallDisk()
{
    if (Mounted())
        ::umount2(m_where.constData(), MNT_DETACH);
}

bool SmallDisk::Fill()
{
    const QByteArray path = m_where + "/.filler";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Whole pages first, then single bytes into what is left of the last one.
    static const char page[4096] = {};
    for (std::size_t chunk : {sizeof page, std::size_t(1)}) {
        while (::write(fd, page, chunk) > 0) {
        }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    struct statvfs st {};
    return full && ::statvfs(m_where.constData(), &st) == 0 && st.f_bavail == 0;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &m_was) != 0)
        return;
    m_handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = m_was;
    small.rlim_cur = bytes;
    m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_set)
        ::setrlimit(RLIMIT_FSIZE, &m_was);
    ::signal(SIGXFSZ, m_handler);
}

} // namespace tenvix::test
