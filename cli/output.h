#pragma once

// Standard output for results of any size: commands format their rows straight
// into one buffer, which goes out in large blocks. A write that fails is
// remembered, so that a full disk ends the command with a failure instead of a
// short file and a success.

#include "model/format.h"

#include <string>
#include <string_view>

namespace tenvix::cli {

class Output {
public:
    // Writes to an open file descriptor, which stays open.
    explicit Output(int fd);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // The text not yet written: append to it, then call Pass.
    std::string& Text() { return m_text; }
    // Writes the text once a block has gathered.
    void Pass()
    {
        if (m_text.size() >= kBlock)
            Write();
    }
    void Append(std::string_view text)
    {
        m_text.append(text);
        Pass();
    }
    // Writes everything; false when any write failed (Error then says why).
    bool Finish();
    int Error() const { return m_nError; }

    static constexpr std::size_t kBlock = std::size_t(1) << 20;

private:
    void Write();

    int m_fd;
    int m_nError = 0;
    std::string m_text;
};

// Writes every byte to the open file descriptor, going on after signals;
// false when a write fails (errno then tells why).
bool WriteAll(int fd, std::string_view bytes);

// A text field of a report (identifiers, names, reasons: anything a file
// brought in) goes through AppendReportText of model/format.h, which no
// spreadsheet takes for a formula and no terminal acts on; numbers, and
// export's faithful copy, through AppendCsvField.

// Ends a CSV row.
inline void EndCsvRow(std::string& out) { out += "\r\n"; }

// Writes whatever is left and turns a failed write into the program's
// message on standard error; returns the exit status the command ends with.
int FinishOutput(Output& out);

} // namespace tenvix::cli
