// The words a failed open or save is told in, chosen by the system's error:
// the windows and the command line show them alike.

#include "model/filemessages.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace tenvix;

TEST(FileMessages, TheSystemsErrorChoosesTheWords)
{
    const std::string missing =
        "/d/x.bnd\nCannot find this file.\nPlease verify that the correct path and file name are given.";
    const std::string readOnly = "Unable to write to /d/x.bnd, it is read-only or opened by someone else.";
    const std::string full = "Destination disk drive is full.";
    const std::tuple<int, bool, std::string> cases[] = {
        {ENOENT, false, missing},
        {ENOTDIR, false, missing},
        {EACCES, false, "Unable to read from /d/x.bnd, it is opened by someone else."},
        {EACCES, true, readOnly},
        {EROFS, true, readOnly},
        {ENOSPC, true, full},
        {EDQUOT, true, full},
        {EIO, false, "An unexpected error occurred while reading /d/x.bnd."},
        {EIO, true, "An unexpected error occurred while writing /d/x.bnd."},
        {ENOMEM, false, "Failed to open document."},
        {ENOMEM, true, "Failed to save document."},
    };
    for (const auto& [err, saving, message] : cases)
        EXPECT_EQ(FileErrorMessage(CauseFromErrno(err, saving), "/d/x.bnd", saving), message) << err << ' ' << saving;
}
