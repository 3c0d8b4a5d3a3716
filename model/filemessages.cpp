#include "model/filemessages.h"

#include <cerrno>

namespace tenvix {

FileCause CauseFromErrno(int err, bool saving)
{
    switch (err) {
    case 0:
        return FileCause::Generic;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return FileCause::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EAGAIN:
        return FileCause::AccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return FileCause::DiskFull;
    case ENOMEM:
    case EMFILE:
    case ENFILE:
        return FileCause::Generic;
    default:
        return saving ? FileCause::WriteError : FileCause::ReadError;
    }
}

std::string FileErrorMessage(FileCause cause, std::string_view path, bool saving)
{
    const std::string name(path);
    switch (cause) {
    case FileCause::None:
        return {};
    case FileCause::BadFormat:
        return "Unexpected file format.";
    case FileCause::NotFound:
        return name + "\nCannot find this file.\nPlease verify that the correct path and file name are given.";
    case FileCause::AccessDenied:
        return saving ? "Unable to write to " + name + ", it is read-only or opened by someone else."
                      : "Unable to read from " + name + ", it is opened by someone else.";
    case FileCause::DiskFull:
        return "Destination disk drive is full.";
    case FileCause::ReadError:
        return "An unexpected error occurred while reading " + name + ".";
    case FileCause::WriteError:
        return "An unexpected error occurred while writing " + name + ".";
    case FileCause::Generic:
        break;
    }
    return saving ? "Failed to save document." : "Failed to open document.";
}

std::string NotRegularFileMessage(std::string_view path)
{
    std::string text(path);
    return text += " is not a regular file .";
}

std::string MissingFolderMessage(std::string_view folder)
{
    std::string text = "The folder ";
    text += folder;
    return text += " does not exist .";
}

std::string OpenDatabaseTargetMessage() { return "This is the open database. Choose another name ."; }

std::string NotAPortfolioMessage(std::string_view path)
{
    std::string text(path);
    return text += " is a database, not a portfolio .";
}

} // namespace tenvix
