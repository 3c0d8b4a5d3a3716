#pragma once

// Replacing a file the way a save must: the new bytes go to a temporary file
// beside the old one, reach the disk, and only then take its name, so that a
// failure anywhere on the way leaves the old file exactly as it was.

#include "cli/common.h"
#include "model/filemessages.h"

#include <functional>
#include <string>
#include <string_view>

namespace tenvix::cli {

struct SaveOutcome {
    FileCause cause = FileCause::None;
    int sysError = 0;              // the errno of the step that failed
    bool changedMeanwhile = false; // the file was no longer the one expected; nothing was written
    bool ok() const { return cause == FileCause::None && !changedMeanwhile; }
};

// Puts `bytes` in the place of the regular file at `path` (or of the file a
// symbolic link there points to), keeping its permissions. With
// `unchangedSince`, the file `path` leads to must still be that one just
// before it is replaced; if another program has written or replaced it, it
// is left as that program made it. No temporary file is left behind,
// whatever happens.
SaveOutcome ReplaceFileSafely(const std::string& path, std::string_view bytes,
                              const FileIdentity* unchangedSince = nullptr);

// The same for a file that did not exist when the bytes were made: if
// another program has made one at `path` since, it is left as that program
// made it.
SaveOutcome CreateFileSafely(const std::string& path, std::string_view bytes);

// A test seam: runs once the temporary file is written, just before the
// file is replaced, so that a test can change the file at that moment.
// Empty by default.
void SetBeforeReplaceForTesting(std::function<void()> hook);

} // namespace tenvix::cli
