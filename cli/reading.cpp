#include "cli/reading.h"

#include "cli/common.h"
#include "cli/output.h"

#include "model/filemessages.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvix::cli {

namespace {

FileIdentity IdentityOf(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

} // namespace

std::optional<FileIdentity> CurrentIdentity(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return IdentityOf(st);
}

namespace {

// A file whose size tells nothing (those of /proc say 0) read to its end in
// growing blocks, never holding more than one byte past the limit.
std::optional<std::string> ReadToEnd(int fd, std::size_t limit, Beyond beyond)
{
    constexpr std::size_t kFirstBlock = std::size_t(64) << 10;
    std::string bytes;
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit)
                break;
            bytes.resize(std::min(std::max(done * 2, kFirstBlock), limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done > limit) {
        if (beyond == Beyond::Refuse) {
            errno = EFBIG;
            return std::nullopt;
        }
        done = limit;
    }
    bytes.resize(done);
    return bytes;
}

// Closes a file descriptor when it goes, errno left as it was.
struct Closer {
    explicit Closer(int f) : fd(f) {}
    Closer(const Closer&) = delete;
    Closer& operator=(const Closer&) = delete;
    ~Closer()
    {
        if (fd < 0)
            return;
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
    const int fd;
};

// Opens a regular file for reading, `st` then its status; -1 with errno set
// when it cannot be opened or is no regular file. Looked at before it is
// opened, so that a device is not even opened (opening one can act on it);
// the open never blocks, and what it opened is looked at again, in case the
// path changed in between.
int OpenRegularFile(const std::string& path, struct stat& st)
{
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    if (!S_ISREG(st.st_mode)) {
        errno = kNotRegularFile;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISREG(st.st_mode) ? errno : kNotRegularFile;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

// Reads `into.size()` bytes from `offset` on, going on after signals and
// short reads; returns how many there were before the file ended, or -1 with
// errno set when a read failed.
ssize_t ReadAt(int fd, std::span<std::byte> into, std::size_t offset)
{
    std::size_t done = 0;
    while (done < into.size()) {
        const ssize_t n = ::pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit, Beyond beyond,
                                         FileIdentity* identity)
{
    struct stat st {};
    const Closer file{OpenRegularFile(path, st)};
    if (file.fd < 0)
        return std::nullopt;
    if (identity)
        *identity = IdentityOf(st);
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    if (size == 0)
        return ReadToEnd(file.fd, limit, beyond);
    if (size > limit && beyond == Beyond::Refuse) {
        errno = EFBIG;
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(size, limit)), '\0');
    const ssize_t done = ReadAt(file.fd, std::as_writable_bytes(std::span(bytes.data(), bytes.size())), 0);
    if (done < 0)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(done)); // shrank while we read: take what is there
    return bytes;
}

std::optional<std::string> ReadRowsFile(const std::string& path, std::size_t limit, const std::string& tooLarge)
{
    // A file over the limit is refused from its size, unread.
    errno = 0;
    auto bytes = ReadFileBytes(path, limit);
    if (!bytes)
        std::cerr << (errno == EFBIG             ? tooLarge
                      : errno == kNotRegularFile ? NotRegularFileMessage(path)
                                                 : FileErrorMessage(CauseFromErrno(errno, false), path, false))
                  << "\n";
    return bytes;
}

namespace {

// What a database reader says when the file at `path` could not be read,
// errno telling why.
void ReportUnreadableDatabase(const std::string& path)
{
    if (errno == kNotRegularFile) {
        std::cerr << NotRegularFileMessage(path) << "\n";
        return;
    }
    // Beyond the ceiling a file is no database.
    const FileCause cause = errno == EFBIG    ? FileCause::BadFormat
                            : errno == ENOENT ? FileCause::NotFound
                                              : FileCause::ReadError;
    std::cerr << FileErrorMessage(cause, path, false) << "\n";
}

} // namespace

std::optional<std::string> ReadDatabaseBytes(const std::string& path, FileIdentity* identity)
{
    errno = 0;
    auto bytes = ReadFileBytes(path, kDatabaseReadLimit, Beyond::Refuse, identity);
    if (!bytes)
        ReportUnreadableDatabase(path);
    return bytes;
}

std::optional<DatabaseFile> OpenDatabase(const std::string& path)
{
    auto bytes = ReadDatabaseBytes(path);
    if (!bytes)
        return std::nullopt;
    DatabaseFile db;
    db.bytes = std::move(*bytes);
    std::optional<BondFileIndex> index = IndexBondDatabase(db.Bytes(), kUnitRecords);
    if (!index) {
        std::cerr << FileErrorMessage(FileCause::BadFormat, path, false) << "\n";
        return std::nullopt;
    }
    db.index = std::move(*index);
    return db;
}

// The file a database read unit by unit stays open in, and who it was.
class OpenedDatabase {
public:
    OpenedDatabase(int fd, const FileIdentity& identity, std::string path)
        : m_file{fd}, m_identity(identity), m_path(std::move(path))
    {
    }
    int Fd() const { return m_file.fd; }
    // The file's size as it was checked.
    std::size_t Size() const { return static_cast<std::size_t>(m_identity.size); }
    const std::string& Path() const { return m_path; }
    bool Unchanged() const
    {
        struct stat st {};
        return ::fstat(m_file.fd, &st) == 0 && IdentityOf(st) == m_identity;
    }

private:
    Closer m_file;
    FileIdentity m_identity;
    std::string m_path;
};

namespace {

// Thrown by the check's reads when the file could not be read (errno kept).
struct PieceUnreadable {
    int error;
};

} // namespace

std::optional<DatabaseFile> OpenDatabaseUnits(const std::string& path)
{
    errno = 0;
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) {
        ReportUnreadableDatabase(path);
        return std::nullopt;
    }
    auto opened = std::make_shared<OpenedDatabase>(fd, IdentityOf(st), path);
    if (st.st_size == 0)
        return OpenDatabase(path); // a size that says nothing: read to the end, whole
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    if (size > kDatabaseReadLimit) {
        errno = EFBIG;
        ReportUnreadableDatabase(path);
        return std::nullopt;
    }
    const BytePieces pieces = [fd](std::size_t offset, std::span<std::byte> into) {
        const ssize_t n = ReadAt(fd, into, offset);
        if (n < 0)
            throw PieceUnreadable{errno};
        return static_cast<std::size_t>(n);
    };
    std::optional<BondFileIndex> index;
    try {
        index = IndexBondDatabase(static_cast<std::size_t>(size), pieces, kUnitRecords);
    } catch (const PieceUnreadable& failure) {
        errno = failure.error;
        ReportUnreadableDatabase(path);
        return std::nullopt;
    }
    if (!index) {
        // A file cut short or rewritten while it was checked is no malformed one.
        std::cerr << (opened->Unchanged() ? FileErrorMessage(FileCause::BadFormat, path, false)
                                          : ChangedWhileReadMessage(false))
                  << "\n";
        return std::nullopt;
    }
    DatabaseFile db;
    db.index = std::move(*index);
    db.file = std::move(opened);
    return db;
}

std::span<const std::byte> DatabaseFile::Unit(std::size_t unit, std::string& buffer) const
{
    // The index is the check's own, but it is not trusted further than the
    // bytes it points into.
    const std::size_t begin = index.unitStarts[unit];
    const std::size_t end = index.UnitEnd(unit);
    if (end < begin || end > (file ? file->Size() : bytes.size()))
        throw DatabaseLost{};
    const std::size_t size = end - begin;
    if (!file)
        return Bytes().subspan(begin, size);
    buffer.resize(size);
    const auto into = std::as_writable_bytes(std::span(buffer.data(), buffer.size()));
    const ssize_t n = ReadAt(file->Fd(), into, begin);
    if (n < 0)
        throw DatabaseLost{errno == 0 ? EIO : errno};
    if (static_cast<std::size_t>(n) < size)
        throw DatabaseLost{}; // cut short since the check
    return into;
}

bool DatabaseFile::Unchanged() const { return !file || file->Unchanged(); }

std::span<const std::byte> ForEachUnitRecord(const DatabaseFile& db, std::size_t unit, std::string& buffer,
                                             const std::function<void(CBond&, std::size_t)>& each)
{
    const std::span<const std::byte> bytes = db.Unit(unit, buffer);
    BondRecordReader records(bytes, 0);
    try {
        for (std::size_t k = db.index.UnitSize(unit); k > 0; --k) {
            const std::size_t offset = records.Offset();
            each(records.Next(), offset);
        }
    } catch (const FormatError&) {
        throw DatabaseLost{}; // the check read these bytes otherwise
    }
    // The records end where the check found them ending, or the file changed.
    if (records.Offset() != bytes.size())
        throw DatabaseLost{};
    return bytes;
}

int FinishDatabasePass(const DatabaseFile& db, Output& out, const std::function<void()>& pass)
{
    int error = 0;
    bool lost = false;
    try {
        pass();
        lost = !db.Unchanged();
    } catch (const DatabaseLost& failure) {
        lost = true;
        error = failure.error;
    }
    if (!lost)
        return FinishOutput(out);
    const std::string path = db.file ? db.file->Path() : std::string();
    std::cerr << (error != 0 ? FileErrorMessage(CauseFromErrno(error, false), path, false)
                             : ChangedWhileReadMessage(true))
              << "\n";
    return kExitFailure;
}

bool LoadWholeDatabase(const std::string& path, CBondList& list)
{
    const auto db = OpenDatabase(path);
    // Checked whole already, so the load cannot fail.
    return db && LoadBondDatabase(db->Bytes(), list);
}

} // namespace tenvix::cli
