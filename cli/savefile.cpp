#include "cli/savefile.h"

#include "cli/output.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvix::cli {

namespace {

std::function<void()>& BeforeReplace()
{
    static std::function<void()> hook;
    return hook;
}

SaveOutcome Failed(int err) { return {CauseFromErrno(err, true), err}; }

// The folder of `path`, for the temporary file and the sync of the rename.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

void SetBeforeReplaceForTesting(std::function<void()> hook) { BeforeReplace() = std::move(hook); }

namespace {

// ReplaceFileSafely, with `changedMeanwhile` telling whether the file `path`
// leads to is no longer the one the bytes were made from.
SaveOutcome Save(const std::string& path, std::string_view bytes, const std::function<bool()>& changedMeanwhile)
{
    // Through a link to the file it names, so that the link stays a link.
    char resolved[PATH_MAX];
    const std::string target = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return Failed(errno);
        st.st_mode = 0;
    } else if (!S_ISREG(st.st_mode)) {
        return Failed(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    } else if (::access(target.c_str(), W_OK) != 0) {
        // A read-only file stays read-only: a rename would replace it all the
        // same, since only the folder's permissions count for that.
        return Failed(errno);
    }

    const std::string folder = FolderOf(target);
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Failed(errno);
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return Failed(err);
    };
    // The permissions the old file had; a new one gets what the umask allows.
    mode_t mode = st.st_mode & 07777;
    if (st.st_mode == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temporary.c_str());
        return Failed(err);
    }
    if (BeforeReplace())
        BeforeReplace()();
    // As late as can be: another program may have saved the file while the
    // new bytes were made from the old ones. The path is looked up anew, so
    // that a link turned to another file counts too.
    if (changedMeanwhile && changedMeanwhile()) {
        ::unlink(temporary.c_str());
        SaveOutcome changed;
        changed.changedMeanwhile = true;
        return changed;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temporary.c_str());
        return Failed(err);
    }
    // The new name itself reaches the disk with its folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace

SaveOutcome ReplaceFileSafely(const std::string& path, std::string_view bytes, const FileIdentity* unchangedSince)
{
    if (!unchangedSince)
        return Save(path, bytes, {});
    return Save(path, bytes, [&] { return CurrentIdentity(path) != *unchangedSince; });
}

SaveOutcome CreateFileSafely(const std::string& path, std::string_view bytes)
{
    return Save(path, bytes, [&] { return CurrentIdentity(path).has_value(); });
}

} // namespace tenvix::cli
