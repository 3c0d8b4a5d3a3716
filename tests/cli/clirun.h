#pragma once

// Runs tenvix-cli as a script would, in a fresh directory per test.

#include "portfolio/core/portfoliofile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tenvix::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
    bool operator==(const CliRun&) const = default;
};

inline void PrintTo(const CliRun& r, std::ostream* os)
{
    *os << "status " << r.status << "\nout: " << r.out << "\nerr: " << r.err;
}

// What a failed command leaves: status 1, no output, `err` on standard error.
inline CliRun Refused(std::string err) { return {1, "", std::move(err)}; }

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir =
            std::filesystem::temp_directory_path() / ("tenvix-cli-test-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // A file in the test's directory, quoted for the shell.
    std::string Path(const std::string& name) const { return "'" + (m_dir / name).string() + "'"; }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
        return Path(name);
    }
    std::string WritePortfolio(const std::string& name, const std::vector<PortfolioEntry>& rows) const
    {
        return Write(name, StorePortfolio(rows));
    }
    std::string Slurp(const std::string& name) const
    {
        std::ostringstream s;
        s << std::ifstream(m_dir / name, std::ios::binary).rdbuf();
        return s.str();
    }

    // `args` is shell text; so is `output`, where standard output goes, and
    // `runner`, a command that starts the program. A run that takes over a
    // minute is ended, and its status is then 124.
    CliRun Run(const std::string& args, const std::string& output = {}, const std::string& runner = {}) const
    {
        const int raw = std::system(("timeout -k 5 60 " + runner + "'" TENVIX_CLI "' " + args + " >" +
                                     (output.empty() ? Path("out") : output) + " 2>" + Path("err"))
                                        .c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp("out"), Slurp("err")};
    }

    // The standard output of a command that must succeed.
    std::string Output(const std::string& args) const
    {
        const CliRun r = Run(args);
        EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
        return r.out;
    }

    // A command line refused: status 2 and the usage on standard error.
    void ExpectUsage(const std::string& args) const
    {
        const CliRun r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args << "\n" << r.err;
    }

    // The fields of a line, split at every comma, quoted or not.
    static std::vector<std::string> Fields(const std::string& line)
    {
        std::vector<std::string> out;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            out.push_back(line.substr(start, comma - start));
        out.push_back(line.substr(start));
        return out;
    }

    // The lines of CSV output, without their CR LF.
    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
            end = std::min(text.find("\r\n", start), text.size());
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

    inline static const std::string kDates = " --stand 2026-12-06 --horizon 2031-12-06";
    inline static const std::string kSample = "'" TENVIX_SOURCE_DIR "/examples/sample.bnd'";
    std::filesystem::path m_dir;
};

} // namespace tenvix::test
