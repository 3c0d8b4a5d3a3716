#include "model/filemessages.h"

namespace tenvix {

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

} // namespace tenvix
