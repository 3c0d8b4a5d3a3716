// Export, analyse and suggest check a database in pieces and then read it
// again unit by unit, holding neither pass whole. A file that another program
// changes between the two reads must never make a command succeed quietly
// with rows of a file that is not the one checked; a unit that no longer
// holds what the check found must be refused, whatever its bytes.

#include "../model/testbonds.h"

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "examples/generated.h"
#include "model/bondcsv.h"
#include "model/bondfile.h"
#include "model/filemessages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tenvix {
namespace {

using cli::DatabaseFile;

class UnitRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir =
            std::filesystem::temp_directory_path() / ("tenvix-unitread-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "db.bnd").string();
        m_bytes = GenerateDatabase(5000, 11, GeneratedMix::Everything);
        Write(m_bytes);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary | std::ios::trunc) << bytes; }
    // Moves the file's modification time a second on, as a later write would.
    void Touch() const
    {
        struct stat st {};
        ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
        timespec times[2] = {st.st_atim, st.st_mtim};
        ++times[1].tv_sec;
        ASSERT_EQ(::utimensat(AT_FDCWD, m_path.c_str(), times, 0), 0);
    }

    struct Ran {
        int status;
        std::string out;
        std::string err;
    };
    // Export's pass over `db` on `threads` threads as the command finishes
    // it: its status, what reached the output file and standard error.
    Ran Export(const DatabaseFile& db, int threads) const
    {
        const std::string outPath = (m_dir / "out.csv").string();
        const int fd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::ostringstream err;
        std::streambuf* const saved = std::cerr.rdbuf(err.rdbuf());
        int status = -1;
        {
            cli::Output out(fd);
            status = cli::FinishDatabasePass(db, out, [&] { cli::ExportDatabase(db, out, threads); });
        }
        std::cerr.rdbuf(saved);
        ::close(fd);
        std::ostringstream text;
        text << std::ifstream(outPath, std::ios::binary).rdbuf();
        return {status, text.str(), err.str()};
    }

    std::string Exported(std::string_view bytes) const
    {
        CBondList list;
        EXPECT_TRUE(test::Load(bytes, list));
        std::string out;
        AppendBondCsvHeader(out);
        for (const auto& bond : list.m_list)
            AppendBondCsvRow(out, *bond);
        return out;
    }

    std::filesystem::path m_dir;
    std::string m_path;
    std::string m_bytes;
};

const std::string kChanged = ChangedWhileReadMessage(true) + "\n";

// Read unit by unit, a file gives the rows of the loaded list on any number
// of threads, holding only its index: no byte of the file is kept.
TEST_F(UnitRead, AnUnchangedFileGivesTheListsRows)
{
    const auto db = cli::OpenDatabaseUnits(m_path);
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->bytes.empty());
    EXPECT_EQ(db->index.end, m_bytes.size());
    for (const int threads : {1, 2, 5}) {
        const Ran r = Export(*db, threads);
        EXPECT_EQ(r.status, cli::kExitOk) << r.err;
        EXPECT_TRUE(r.out == Exported(m_bytes)) << threads << " threads";
        EXPECT_EQ(r.err, "");
    }
}

// Rewritten in place with other records of the very same size (prices
// changed, say), the file reads without a fault: only its identity tells.
// Grown, shrunk or replaced by other bytes: each is told in the program's
// words, never a success.
TEST_F(UnitRead, AFileChangedBetweenTheCheckAndThePassFails)
{
    {
        const auto db = cli::OpenDatabaseUnits(m_path);
        ASSERT_TRUE(db);
        std::string other = m_bytes;
        for (std::size_t k = 400; k < other.size(); k += 997)
            other[k] = static_cast<char>(other[k] ^ 0x01);
        Write(other);
        Touch();
        const Ran r = Export(*db, 2);
        EXPECT_EQ(r.status, cli::kExitFailure);
        EXPECT_EQ(r.err, kChanged);
    }
    {
        Write(m_bytes);
        const auto db = cli::OpenDatabaseUnits(m_path);
        ASSERT_TRUE(db);
        Write(m_bytes + std::string(100, 'x')); // grown: the units still read as checked
        const Ran r = Export(*db, 1);
        EXPECT_EQ(r.status, cli::kExitFailure);
        EXPECT_EQ(r.err, kChanged);
    }
    {
        Write(m_bytes);
        const auto db = cli::OpenDatabaseUnits(m_path);
        ASSERT_TRUE(db);
        // Another database of the same size: the units no longer hold records
        // where the check found them.
        std::string other = GenerateDatabase(5000, 12, GeneratedMix::Everything);
        other.resize(m_bytes.size(), '\0');
        Write(other);
        for (const int threads : {1, 3}) {
            const Ran r = Export(*db, threads);
            EXPECT_EQ(r.status, cli::kExitFailure);
            EXPECT_EQ(r.err, kChanged);
        }
    }
}

// Cut short after the check, at the start, within a unit or just before its
// end: the pass stops at the first unit it cannot read whole.
TEST_F(UnitRead, AFileCutShortMidwayFails)
{
    for (const std::size_t keep : {std::size_t(0), m_bytes.size() / 3, m_bytes.size() - 1}) {
        Write(m_bytes);
        const auto db = cli::OpenDatabaseUnits(m_path);
        ASSERT_TRUE(db);
        ASSERT_EQ(::truncate(m_path.c_str(), static_cast<off_t>(keep)), 0);
        const Ran r = Export(*db, 2);
        EXPECT_EQ(r.status, cli::kExitFailure) << keep;
        EXPECT_EQ(r.err, kChanged) << keep;
        // The rows written are those of the units before the cut, at most.
        EXPECT_LE(r.out.size(), Exported(m_bytes).size());
    }
}

// An index that does not fit its bytes, whether held whole or read from the
// file: starts moved into a record, past the end, before the previous one,
// an end beyond the file. Every unit is refused or read as records whole;
// nothing is read outside the bytes.
TEST_F(UnitRead, AnIndexThatDoesNotFitItsBytesIsRefused)
{
    DatabaseFile whole;
    whole.bytes = m_bytes;
    whole.index = *IndexBondDatabase(whole.Bytes(), cli::kUnitRecords);
    const auto streamed = cli::OpenDatabaseUnits(m_path);
    ASSERT_TRUE(streamed);
    ASSERT_GE(whole.index.Units(), 4u);
    using Change = std::function<void(BondFileIndex&)>;
    const Change changes[] = {
        [](BondFileIndex& i) { i.unitStarts[1] += 3; },
        [](BondFileIndex& i) { i.unitStarts[2] -= 1; },
        [](BondFileIndex& i) { i.unitStarts[3] = i.unitStarts[1] - 7; },
        [](BondFileIndex& i) { i.unitStarts[2] = i.end + 100; },
        [](BondFileIndex& i) { i.end += 1; },
        [](BondFileIndex& i) { i.end = std::size_t(1) << 40; },
        [](BondFileIndex& i) { i.end = i.unitStarts.back() - 1; },
        [](BondFileIndex& i) { ++i.count; },
    };
    for (std::size_t c = 0; c < std::size(changes); ++c) {
        const DatabaseFile* const bases[] = {&whole, &*streamed};
        for (const DatabaseFile* base : bases) {
            DatabaseFile db = *base;
            changes[c](db.index);
            const Ran r = Export(db, 2);
            EXPECT_EQ(r.status, cli::kExitFailure) << "change " << c;
            EXPECT_EQ(r.err, kChanged) << "change " << c;
        }
    }
}

// The check refuses in the words of the reading it replaced: a malformed
// file, a missing one, a folder.
TEST_F(UnitRead, TheCheckRefusesInTheProgramsWords)
{
    std::ostringstream err;
    std::streambuf* const saved = std::cerr.rdbuf(err.rdbuf());
    Write(m_bytes.substr(0, m_bytes.size() - 1));
    EXPECT_FALSE(cli::OpenDatabaseUnits(m_path));
    EXPECT_FALSE(cli::OpenDatabaseUnits((m_dir / "none.bnd").string()));
    EXPECT_FALSE(cli::OpenDatabaseUnits(m_dir.string()));
    std::cerr.rdbuf(saved);
    EXPECT_EQ(err.str(), FileErrorMessage(FileCause::BadFormat, m_path, false) + "\n" +
                             FileErrorMessage(FileCause::NotFound, (m_dir / "none.bnd").string(), false) + "\n" +
                             NotRegularFileMessage(m_dir.string()) + "\n");
}

} // namespace
} // namespace tenvix
