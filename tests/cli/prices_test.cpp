// tenvix-cli prices as a script sees it: a verdict a row, the database
// written only with --apply and only whole, and files it cannot read.

#include "clirun.h"

#include "../model/testbonds.h"

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/savefile.h"
#include "model/bondfile.h"
#include "model/clock.h"
#include "model/date.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <iostream>

using namespace tenvix;

namespace {

using Cli = test::CliTest;
using test::CliRun;

class CliHere : public test::CliTest {
protected:
    // The command run inside this process, its standard output and error in
    // the test's files "out" and "err", so that a test seam can reach it.
    CliRun RunHere(const std::vector<std::string>& args) const
    {
        std::fflush(nullptr);
        std::cerr.flush();
        const int savedOut = ::dup(STDOUT_FILENO), savedErr = ::dup(STDERR_FILENO);
        const int out = ::open((m_dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int err = ::open((m_dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        int status = -1;
        try {
            status = cli::RunPrices(args);
        } catch (const cli::UsageError&) {
            status = cli::kExitUsage;
        }
        std::cerr.flush();
        std::fflush(nullptr);
        ::dup2(savedOut, STDOUT_FILENO);
        ::dup2(savedErr, STDERR_FILENO);
        for (const int fd : {out, err, savedOut, savedErr})
            ::close(fd);
        return {status, Slurp("out"), Slurp("err")};
    }
};

void Add(CBondList& list, const char* id, float price, double maturity = test::Day(2030, 1, 1))
{
    list.m_list.push_back(test::StdBond(id, 12, 4.0f, 100.0f, price, test::Day(2020, 1, 1), maturity));
}

// Seven bonds, one of them matured by the end of 2026, two sharing an
// identifier, one without a price yet: the file, with the prices given.
std::string Database(std::vector<float> prices = {100.0f, 99.25f, 100.0f, 100.0f, 100.0f, 50.0f, 0.0f})
{
    CBondList list;
    const char* ids[] = {"DE0001", "DE0002", "OLD", "DUP", "DUP", "A,B", "NEW"};
    for (std::size_t k = 0; k < std::size(ids); ++k)
        Add(list, ids[k], prices[k], k == 2 ? test::Day(2026, 12, 31) : test::Day(2030, 1, 1));
    return StoreBondDatabase(list);
}

// A bank's download: names in the first column, semicolons, decimal commas,
// a blank line, Windows line ends.
const std::string kPrices = "\"Name\";\"ISIN\";\"Kurs\"\r\n"
                            "x;DE0001;101,5\r\n"
                            "x;de0002;99,25\r\n"
                            "\r\n"
                            "x;ZZ9;5\r\n"
                            "x;OLD;99\r\n"
                            "x;DUP;1\r\n"
                            "x;DE0001;1.234,5\r\n"
                            "x;\"A,B\";80\r\n"
                            "x;;5\r\n"
                            "x;NEW;1\r\n";

// Runs the command as a user without root's right to write anywhere; the
// shell that opens the output files stays root.
const std::string kAsNobody = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";

std::vector<std::string> FilesIn(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(Cli, PricesJudgesEveryRow)
{
    const std::string db = Write("db.bnd", Database());
    const std::string prices = Write("prices.csv", kPrices);
    const CliRun r = Run("prices " + db + " " + prices + " --stand 2026-12-31");
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(0, std::string()));
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "line,id,verdict,old_price,new_price,change_percent,reason,flag",
                                "2,DE0001,update,100.00,101.50,1.50,,",
                                "3,de0002,unchanged,99.25,99.25,0.00,,",
                                "5,ZZ9,unknown,,5.00,,,",
                                "6,OLD,not_alive,100.00,99.00,,,",
                                "7,DUP,refused,,1.00,,ID matches 2 bonds !,",
                                "8,DE0001,refused,,,,Thousands separators not accepted !,",
                                "9,\"A,B\",update,50.00,80.00,60.00,,large",
                                "10,,refused,,,,No ID !,",
                                "11,NEW,update,0.00,1.00,inf,,large",
                            }));
    // Without --stand the day is today's.
    CBondList aroundToday;
    const std::int32_t today = DaySerial(SystemClock().Now());
    Add(aroundToday, "TODAY", 10.0f, today);
    Add(aroundToday, "TOMORROW", 10.0f, today + 1);
    const std::vector<std::string> lines = Lines(Output("prices " + Write("today.bnd", StoreBondDatabase(aroundToday)) +
                                                        " " + Write("today.csv", "TODAY,11\nTOMORROW,11\n")));
    EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()),
              (std::vector<std::string>{"1,TODAY,not_alive,10.00,11.00,,,", "2,TOMORROW,update,10.00,11.00,10.00,,"}));
    // Judging alone changes nothing.
    EXPECT_EQ(Slurp("db.bnd"), Database());
}

TEST_F(Cli, PricesApplyWritesTheAcceptedPrices)
{
    const std::string db = Write("db.bnd", Database());
    ASSERT_EQ(::chmod((m_dir / "db.bnd").c_str(), 0640), 0);
    const std::string prices = Write("prices.csv", kPrices);
    // The prices it writes are in the file the link below leads to; that no
    // temporary file stays is PricesApplyWritesNothingOverAnotherWriter's.
    const CliRun r = Run("prices " + db + " " + prices + " --stand 2026-12-31 --apply --accept-large");
    EXPECT_EQ(std::tuple(r.status, r.err, Lines(r.out).size()), std::tuple(0, std::string(), 10u));
    struct stat st {};
    ASSERT_EQ(::stat((m_dir / "db.bnd").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // Through a link the file it names is replaced, and the link stays.
    std::filesystem::create_symlink("db.bnd", m_dir / "link.bnd");
    ASSERT_EQ(Run("prices " + Path("link.bnd") + " " + Write("more.csv", "DE0002;98\n") + " --apply").status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.bnd"));
    EXPECT_EQ(Slurp("db.bnd"), Database({101.5f, 98.0f, 100.0f, 100.0f, 100.0f, 80.0f, 1.0f}));
}

// A change beyond the threshold is flagged as the window flags it, and
// --apply writes it only when told to; the exit status says some were left.
TEST_F(Cli, PricesApplyKeepsLargeChangesBack)
{
    const std::string before = Database();
    const std::string db = Write("db.bnd", before);
    const std::string prices = Write("prices.csv", kPrices);
    // Which rows are flagged is PricesJudgesEveryRow's; the threshold itself
    // is PriceImport.UnchangedMeansTheSameFloat's.
    CliRun r = Run("prices " + db + " " + prices + " --stand 2026-12-31 --apply");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "2 large changes not written ; give --accept-large to write them .\n");
    EXPECT_EQ(Slurp("db.bnd"), Database({101.5f, 99.25f, 100.0f, 100.0f, 100.0f, 50.0f, 0.0f}));

    Write("db.bnd", before);
    r = Run("prices " + db + " " + prices + " --stand 2026-12-31 --apply --max-change 70");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "1 large change not written ; give --accept-large to write it .\n");
    EXPECT_EQ(Slurp("db.bnd"), Database({101.5f, 99.25f, 100.0f, 100.0f, 100.0f, 80.0f, 0.0f}));

    // Nothing else to write: the file stays as it was, the status says why.
    Write("db.bnd", before);
    const std::string large = Write("large.csv", "DE0001;200\n");
    r = Run("prices " + db + " " + large + " --apply");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(Slurp("db.bnd"), before);
    EXPECT_EQ(Run("prices " + db + " " + large + " --apply --max-change 100").status, 0);
    EXPECT_EQ(Slurp("db.bnd"), Database({200.0f, 99.25f, 100.0f, 100.0f, 100.0f, 50.0f, 0.0f}));

    for (const char* bad : {"--max-change", "--max-change x", "--max-change -1", "--max-change 1e9",
                            "--decimal-mark dot", "--decimal-mark"})
        ExpectUsage("prices " + db + " " + prices + " " + bad);
}

// "1.012" from a bank that writes thousands with a full stop is read as the
// user says. Refused while the file leaves the mark open is
// PriceImport.AmbiguousPricesWaitForTheFilesDecimalMark's, and the window's.
TEST_F(Cli, PricesTakeTheUsersDecimalMark)
{
    CBondList list;
    Add(list, "DE0001", 1012.5f);
    const std::string db = Write("db.bnd", StoreBondDatabase(list));
    const std::string prices = Write("prices.csv", "DE0001;1.012\nDE0002;1\n");
    for (const auto& [mark, verdict] : {std::pair{"comma", "refused,,,,Thousands separators not accepted !,"},
                                        {"point", "update,1012.50,1.01,-99.90,,large"}})
        EXPECT_EQ(Lines(Output("prices " + db + " " + prices + " --stand 2026-12-31 --decimal-mark " + mark)).at(1),
                  std::string("1,DE0001,") + verdict)
            << mark;
}

// A save that cannot be made leaves the database as it was, and no
// temporary file beside it; the verdicts are still printed.
TEST_F(Cli, PricesApplyUnderAReadOnlyFolderChangesNothing)
{
    std::filesystem::create_directory(m_dir / "ro");
    const std::string before = Database();
    Write("ro/db.bnd", before);
    ASSERT_EQ(::chmod((m_dir / "ro/db.bnd").c_str(), 0666), 0);
    ASSERT_EQ(::chmod((m_dir / "ro").c_str(), 0555), 0);
    const std::string prices = Write("prices.csv", kPrices);
    const CliRun r = Run("prices " + Path("ro/db.bnd") + " " + prices + " --apply", {}, kAsNobody);
    ::chmod((m_dir / "ro").c_str(), 0755);
    EXPECT_EQ(std::tuple(r.status, r.err, Lines(r.out).size()),
              std::tuple(1,
                         "Unable to write to " + (m_dir / "ro/db.bnd").string() +
                             ", it is read-only or opened by someone else.\n",
                         10u));
    EXPECT_EQ(Slurp("ro/db.bnd"), before);
    EXPECT_EQ(FilesIn(m_dir / "ro"), std::vector<std::string>{"db.bnd"});
}

// Another program writes the database while the prices are judged: the
// save finds it changed just before its rename and writes nothing. The test
// runs the command in this process, its output in files, so that the
// change comes exactly there.
TEST_F(CliHere, PricesApplyWritesNothingOverAnotherWriter)
{
    const std::string before = Database();
    Write("prices.csv", kPrices);
    const std::filesystem::path db = m_dir / "db.bnd";
    const std::string theirs = StoreBondDatabase(CBondList{});
    const std::string sameSize(before.size(), 'x');
    const std::string changed =
        "The file was changed by another program while the prices were judged. Nothing was written .\n";
    const struct {
        std::function<void()> write;
        int status;
        std::string err, after;
    } cases[] = {
        {[&] { std::ofstream(db, std::ios::binary | std::ios::trunc) << theirs; }, 1, changed, theirs},
        // A program that saves safely too: a new file of the same size.
        {[&] {
             std::ofstream(m_dir / "theirs.tmp", std::ios::binary) << sameSize;
             std::filesystem::rename(m_dir / "theirs.tmp", db);
         },
         1, changed, sameSize},
        // Left alone, the same run writes.
        {[] {}, 0, "", Database({101.5f, 99.25f, 100.0f, 100.0f, 100.0f, 80.0f, 1.0f})},
    };
    for (const auto& c : cases) {
        Write("db.bnd", before);
        int calls = 0;
        cli::SetBeforeReplaceForTesting([&] {
            ++calls;
            c.write();
        });
        const CliRun r = RunHere(
            {db.string(), (m_dir / "prices.csv").string(), "--stand", "2026-12-31", "--apply", "--accept-large"});
        cli::SetBeforeReplaceForTesting({});
        EXPECT_EQ(calls, 1);
        // The verdicts are printed before the save, as the read-only folder's test shows.
        EXPECT_EQ(std::pair(r.status, r.err), std::pair(c.status, c.err));
        EXPECT_EQ(Slurp("db.bnd"), c.after);
        EXPECT_EQ(FilesIn(m_dir), (std::vector<std::string>{"db.bnd", "err", "out", "prices.csv"}));
    }
}

// Files that can't be read at all end the command with their reason and no
// output; the database is never touched.
TEST_F(Cli, PricesRefusesWhatItCannotRead)
{
    const std::string before = Database();
    const std::string db = Write("db.bnd", before);
    Write("huge.csv", "DE0001;1\n");
    std::filesystem::resize_file(m_dir / "huge.csv", std::uintmax_t{2} << 30); // sparse: nothing to read

    // What the reader refuses, it says why (each reason is the reader's own
    // test's); what the command refuses before reading, it names itself.
    const std::pair<std::string, std::string> cases[] = {
        {Write("empty.csv", "\r\n \r\n"), "The file holds no prices .\n"},
        {Path("huge.csv"), "The file is larger than 256 MB .\n"},
        {Path("missing.csv"), (m_dir / "missing.csv").string() +
                                  "\nCannot find this file.\nPlease verify that the correct path and file name "
                                  "are given.\n"},
    };
    for (const auto& [file, message] : cases)
        EXPECT_EQ(Run("prices " + db + " " + file + " --apply"), test::Refused(message)) << file;
    EXPECT_EQ(Run("prices " + Write("bad.bnd", "junk") + " " + Write("ok.csv", "DE0001;1\n")).err,
              "Unexpected file format.\n");
    EXPECT_EQ(Slurp("db.bnd"), before);

    // A --stand that is no date is Cli.FailuresAndUsage's, the same reader.
    for (const std::string& args : {"prices " + db, "prices " + db + " a.csv b.csv"})
        ExpectUsage(args);
}

// A bank's clean quotes per 100 of face: the price stored is the quote of the
// face value plus the accrued interest, and the verdicts are about that price.
// On 1 July 2026 an annual coupon paid on 1 January has run half its year.
TEST_F(Cli, PricesTakeCleanQuotes)
{
    const auto database = [](float de, float big) {
        CBondList list;
        Add(list, "DE0001", de);
        list.m_list.push_back(
            test::StdBond("BIG", 12, 40.0f, 1000.0f, big, test::Day(2020, 1, 1), test::Day(2030, 1, 1)));
        list.m_list.push_back(test::FreeBond("FREE", 99.0f, {{test::Day(2028, 1, 1), 105.0f}}));
        Add(list, "OLD", 100.0f, test::Day(2026, 6, 30));
        list.m_list.push_back(
            test::StdBond("TINY", 12, 0.0f, 0.001f, 0.5f, test::Day(2020, 1, 1), test::Day(2030, 1, 1)));
        return StoreBondDatabase(list);
    };
    const std::string db = Write("db.bnd", database(100.0f, 1000.0f));
    const std::string quotes = Write("quotes.csv", "ISIN;Kurs\n"
                                                   "DE0001;98,5\n"
                                                   "BIG;101\n"
                                                   "FREE;99\n"
                                                   "ZZ9;5\n"
                                                   "OLD;99\n"
                                                   "DE0001;1.234,5\n"
                                                   "BIG;0\n"
                                                   "TINY;1\n");
    const std::vector<std::string> judged{
        "line,id,verdict,old_price,new_price,change_percent,reason,flag,quote,accrued",
        "2,DE0001,update,100.00,100.50,0.50,,,98.50,2.000000",
        "3,BIG,update,1000.00,1030.00,3.00,,,101.00,20.000000",
        "4,FREE,refused,99.00,,,Clean quotes need a Type I bond !,,99.00,",
        "5,ZZ9,unknown,,,,,,5.00,",
        "6,OLD,not_alive,100.00,99.00,,,,99.00,0.000000",
        "7,DE0001,refused,,,,Thousands separators not accepted !,,,",
        "8,BIG,refused,,,,New Price out of range !,,0.00,",
        "9,TINY,refused,0.50,0.00,,New Price out of range !,,1.00,0.000000",
    };
    CliRun r = Run("prices " + db + " " + quotes + " --stand 2026-07-01 --quotes clean");
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(0, std::string()));
    EXPECT_EQ(Lines(r.out), judged);
    EXPECT_EQ(Slurp("db.bnd"), database(100.0f, 1000.0f));

    r = Run("prices " + db + " " + quotes + " --stand 2026-07-01 --quotes clean --apply");
    EXPECT_EQ(std::tuple(r.status, r.err, Lines(r.out)), std::tuple(0, std::string(), judged));
    EXPECT_EQ(Slurp("db.bnd"), database(100.5f, 1030.0f));

    // Paid, said or not, is the file's number as it stands.
    for (const std::string paid : {"", " --quotes paid"})
        EXPECT_EQ(Lines(Output("prices " + db + " " + quotes + " --stand 2026-07-01" + paid)).at(2),
                  "3,BIG,update,1030.00,101.00,-90.19,,large");
    for (const char* bad : {"--quotes", "--quotes dirty", "--quotes Clean"})
        ExpectUsage("prices " + db + " " + quotes + " " + bad);
}
