#include "uikit/fileio.h"

#include "portfolio/core/fileheaders.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvix::ui {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

FileResult Fail(FileCause cause, int err = 0) { return {cause, err}; }

FileStamp StampFrom(const struct stat& st)
{
    FileStamp s;
    s.state = FileStamp::State::Present;
    s.size = qint64(st.st_size);
    s.mtimeSec = qint64(st.st_mtim.tv_sec);
    s.mtimeNsec = qint64(st.st_mtim.tv_nsec);
    s.inode = quint64(st.st_ino);
    s.device = quint64(st.st_dev);
    return s;
}

FileResult FailErrno(bool saving)
{
    const int err = errno;
    return {CauseFromErrno(err, saving), err};
}

FileResult ReadRegularFile(const QString& path, QByteArray& out, qint64 maxBytes, bool cutLonger)
{
    out.clear();
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so that opening a pipe by mistake cannot hang the window.
    const Fd fd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return FailErrno(false);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return FailErrno(false);
    if (!S_ISREG(st.st_mode)) {
        FileResult refused = Fail(FileCause::ReadError, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        refused.notRegular = true;
        return refused;
    }
    if (st.st_size > maxBytes && !cutLonger)
        return Fail(FileCause::Generic, EFBIG);

    out.resize(qsizetype(std::min<qint64>(st.st_size, maxBytes)));
    qsizetype done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd.get(), out.data() + done, size_t(out.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FileResult r = FailErrno(false);
            r.opened = true;
            out.clear();
            return r;
        }
        if (n == 0)
            break; // shrank while we read: take what is there
        done += n;
    }
    out.truncate(done);
    // The stamp of what was read, not of whatever the path names by now.
    FileResult r;
    r.stamp = StampFrom(st);
    return r;
}

// Gives up a save after its file was opened: the temporary file goes, and
// the cause is that of the step that failed, `err` (its errno) or else the
// failure QSaveFile recorded.
FileResult Abandon(QSaveFile& file, int err)
{
    const QFileDevice::FileError qtError = file.error();
    file.cancelWriting();
    // Qt tells a full medium apart even where it has already moved past the
    // system call; other failures keep the errno of the call that failed.
    if (qtError == QFileDevice::ResourceError || err == ENOSPC || err == EDQUOT)
        return {FileCause::DiskFull, err ? err : ENOSPC, true};
    return {err ? CauseFromErrno(err, true) : FileCause::WriteError, err, true};
}

} // namespace

FileResult ReadWholeFile(const QString& path, QByteArray& out, qint64 maxBytes)
{
    return ReadRegularFile(path, out, maxBytes, false);
}

FileResult ReadFileStart(const QString& path, QByteArray& out, qint64 maxBytes)
{
    return ReadRegularFile(path, out, maxBytes, true);
}

FileResult ReplaceWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        return Fail(FileCause::AccessDenied, EISDIR);

    QSaveFile file(path);
    errno = 0;
    // Unbuffered, so that every write reaches the system here and its
    // failure is seen: a buffered QSaveFile flushes the rest inside commit(),
    // which ignores a failed flush and would put the cut-short file in the
    // target's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int err = errno;
        // QSaveFile refuses an existing read-only target before any system
        // call fails, so errno says nothing then.
        if (target.exists() && !target.isWritable())
            return Fail(FileCause::AccessDenied, EACCES);
        if (file.error() == QFileDevice::ResourceError)
            return Fail(FileCause::DiskFull, ENOSPC);
        if (!QFileInfo(target.absolutePath()).isDir())
            return Fail(FileCause::NotFound, ENOENT);
        return {err ? CauseFromErrno(err, true) : FileCause::AccessDenied, err};
    }
    // A write that stops short leaves no error in QSaveFile, only the
    // errno of the call that refused the rest.
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return Abandon(file, errno);
    // commit() syncs too, but ignores the outcome; a medium that fails only
    // now must not have its file put in place. EINVAL: no sync here at all.
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return Abandon(file, errno);
    // The written file keeps its inode, size and time when it takes the
    // target's name; stamped now, before it has the name, it cannot be
    // mistaken for a file another program puts there just after.
    struct stat st {};
    const bool stamped = ::fstat(file.handle(), &st) == 0;
    errno = 0;
    if (!file.commit())
        return Abandon(file, errno);
    FileResult r;
    r.stamp = stamped ? StampFrom(st) : StampOf(path);
    return r;
}

FileStamp StampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return StampFrom(st);
    FileStamp s;
    if (errno == ENOENT || errno == ENOTDIR)
        s.state = FileStamp::State::Missing;
    return s;
}

QString FileErrorMessage(FileCause cause, const QString& path, bool saving)
{
    return QString::fromStdString(
        tenvix::FileErrorMessage(cause, QDir::toNativeSeparators(path).toStdString(), saving));
}

QString ReadFailureMessage(const FileResult& result, const QString& path)
{
    if (result.notRegular)
        return QString::fromStdString(NotRegularFileMessage(QDir::toNativeSeparators(path).toStdString()));
    return FileErrorMessage(result.cause, path, false);
}

bool IsSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const FileStamp sa = StampOf(a);
    const FileStamp sb = StampOf(b);
    return sa.state == FileStamp::State::Present && sb.state == FileStamp::State::Present && sa.device == sb.device &&
           sa.inode == sb.inode;
}

bool IsDatabaseTarget(const QString& path, const QString& openDatabase)
{
    // By the file itself, not its name: a link or a roundabout spelling of
    // the open database is still the database. An empty database file has no
    // header, so only this tells it.
    if (IsSameFile(path, openDatabase))
        return true;
    QByteArray start;
    if (!ReadFileStart(path, start, qint64(kLongestFileMagic)).ok())
        return false; // not there, or no file to read: nothing of ours to lose
    return IsDatabaseOrPortfolioHeader(std::string_view(start.constData(), size_t(start.size())));
}

QString DatabaseTargetMessage() { return QString::fromStdString(OpenDatabaseTargetMessage()); }

QString ReplaceQuestion(const QString& path)
{
    return QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName());
}

QString ChooseExportPath(QWidget* parent, FileChoice choice, const QString& openDatabase)
{
    // The chooser's own question to replace a file would come before the
    // check, and ask about the open database before refusing it: the
    // program asks its own, once the file is known to be no database.
    choice.confirmOverwrite = false;
    for (;;) {
        const QString path = FileChooser().ChooseSave(parent, choice);
        if (path.isEmpty())
            return path;
        choice.startPath = path;
        if (IsDatabaseTarget(path, openDatabase)) {
            ShowError(parent, DatabaseTargetMessage());
            continue;
        }
        if (!QFileInfo::exists(path) || AskYesNo(parent, ReplaceQuestion(path),
                                                 choice.caption.isEmpty() ? QStringLiteral("Save As") : choice.caption))
            return path;
    }
}

} // namespace tenvix::ui
