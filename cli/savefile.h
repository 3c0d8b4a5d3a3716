#pragma once

// Replacing a file the way a save must: the new bytes go to a temporary file
// beside the old one, reach the disk, and only then take its name, so that a
// failure anywhere on the way leaves the old file exactly as it was.

#include "model/filemessages.h"

#include <string>
#include <string_view>

namespace tenvix::cli {

struct SaveOutcome {
    FileCause cause = FileCause::None;
    int sysError = 0; // the errno of the step that failed
    bool ok() const { return cause == FileCause::None; }
};

// Puts `bytes` in the place of the regular file at `path` (or of the file a
// symbolic link there points to), keeping its permissions. No temporary file
// is left behind, whatever happens.
SaveOutcome ReplaceFileSafely(const std::string& path, std::string_view bytes);

} // namespace tenvix::cli
