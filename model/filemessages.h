#pragma once

// Why reading or writing a whole file failed, and what the user is told: the
// windows and the command line say the same words for the same cause.

#include <string>
#include <string_view>

namespace tenvix {

enum class FileCause {
    None,
    NotFound,     // no such file or folder
    AccessDenied, // permission, read-only target or medium, file busy
    DiskFull,
    ReadError,  // the medium failed while reading, or not a file at all
    WriteError, // the medium failed while writing
    BadFormat,  // read fine, but not a file of the kind
    Generic,    // none of the above: too large, out of resources
};

// The errno of a failed open, read or write as a cause; 0 (no errno to go
// by) is Generic.
FileCause CauseFromErrno(int err, bool saving);

// The message for a failed open (`saving` false) or save of the database at
// `path`, the path as the user knows it; empty for None.
std::string FileErrorMessage(FileCause cause, std::string_view path, bool saving);

// What a reader says of a path that leads to a folder, a pipe or a device
// instead of a file, the path as the user gave it.
std::string NotRegularFileMessage(std::string_view path);

// What a save is told when the folder it was to write in is not there (or
// is no folder), `folder` as the user gave it.
std::string MissingFolderMessage(std::string_view folder);

// What an export or an --out is told when its target is the open database
// itself, and when it is another database, `path` as the user gave it: no
// report or portfolio ever takes a database's place.
std::string OpenDatabaseTargetMessage();
std::string NotAPortfolioMessage(std::string_view path);

} // namespace tenvix
