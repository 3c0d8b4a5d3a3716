#include "cli/output.h"

#include "cli/common.h"
#include "model/filemessages.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

Output::Output(int fd) : m_fd(fd) { m_text.reserve(kBlock + kBlock / 4); }

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void Output::Write()
{
    if (m_nError == 0 && !WriteAll(m_fd, m_text))
        m_nError = errno;
    // After a failure the rest is dropped: nothing more can reach the file.
    m_text.clear();
}

bool Output::Finish()
{
    Write();
    return m_nError == 0;
}

int FinishOutput(Output& out)
{
    if (out.Finish())
        return kExitOk;
    const int err = out.Error();
    const bool full = err == ENOSPC || err == EDQUOT || err == EFBIG;
    std::cerr << FileErrorMessage(full ? FileCause::DiskFull : FileCause::WriteError, "standard output", true) << "\n";
    return kExitFailure;
}

} // namespace tenvix::cli
