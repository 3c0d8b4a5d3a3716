// tenvix-cli prices as a script sees it: a verdict a row, the database
// written only with --apply and only whole, and files it cannot read.

#include "clirun.h"

#include "model/bondfile.h"
#include "model/clock.h"
#include "model/date.h"

#include <sys/stat.h>

using namespace tenvix;

namespace {

using Cli = test::CliTest;
using test::CliRun;

std::int32_t Day(int y, int m, int d) { return DaySerial(*MakeDate(y, m, d)); }

void Add(CBondList& list, const char* id, float price, std::int32_t maturity)
{
    auto bond = std::make_unique<CBondStd>(0);
    bond->SetData(12, 4.0f, 100.0f, price, Day(2020, 1, 1), 0, id, "Bond");
    bond->m_nMaturity = maturity;
    list.m_list.push_back(std::move(bond));
}

// Seven bonds, one of them matured by the end of 2026, two sharing an
// identifier, one without a price yet.
CBondList Database()
{
    CBondList list;
    Add(list, "DE0001", 100.0f, Day(2030, 1, 1));
    Add(list, "DE0002", 99.25f, Day(2030, 1, 1));
    Add(list, "OLD", 100.0f, Day(2026, 12, 31));
    Add(list, "DUP", 100.0f, Day(2030, 1, 1));
    Add(list, "DUP", 100.0f, Day(2030, 1, 1));
    Add(list, "A,B", 50.0f, Day(2030, 1, 1));
    Add(list, "NEW", 0.0f, Day(2030, 1, 1));
    return list;
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
int RunAsNobody(const std::string& args, const std::string& out, const std::string& err)
{
    const std::string drop = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const int raw = std::system((drop + "'" TENVIX_CLI "' " + args + " >" + out + " 2>" + err).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

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
    const std::string db = Write("db.bnd", StoreBondDatabase(Database()));
    const std::string prices = Write("prices.csv", kPrices);
    CliRun r = Run("prices " + db + " " + prices + " --stand 2026-12-31");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "line,id,verdict,old_price,new_price,change_percent,reason",
                                "2,DE0001,update,100.00,101.50,1.50,",
                                "3,de0002,unchanged,99.25,99.25,0.00,",
                                "5,ZZ9,unknown,,5.00,,",
                                "6,OLD,not_alive,100.00,99.00,,",
                                "7,DUP,refused,,1.00,,ID matches 2 bonds !",
                                "8,DE0001,refused,,,,Thousands separators not accepted !",
                                "9,\"A,B\",update,50.00,80.00,60.00,",
                                "10,,refused,,,,No ID !",
                                "11,NEW,update,0.00,1.00,inf,",
                            }));
    // The day before it matures the bond is alive.
    r = Run("prices " + db + " " + prices + " --stand 2026-12-30");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).at(4), "6,OLD,update,100.00,99.00,-1.00,");
    // Without --stand the day is today's.
    CBondList aroundToday;
    const std::int32_t today = DaySerial(SystemClock().Now());
    Add(aroundToday, "TODAY", 10.0f, today);
    Add(aroundToday, "TOMORROW", 10.0f, today + 1);
    r = Run("prices " + Write("today.bnd", StoreBondDatabase(aroundToday)) + " " +
            Write("today.csv", "TODAY,11\nTOMORROW,11\n"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).at(1), "1,TODAY,not_alive,10.00,11.00,,");
    EXPECT_EQ(Lines(r.out).at(2), "2,TOMORROW,update,10.00,11.00,10.00,");
    // Judging alone changes nothing.
    EXPECT_EQ(Slurp("db.bnd"), StoreBondDatabase(Database()));
}

TEST_F(Cli, PricesApplyWritesTheAcceptedPrices)
{
    const std::string db = Write("db.bnd", StoreBondDatabase(Database()));
    ASSERT_EQ(::chmod((m_dir / "db.bnd").c_str(), 0640), 0);
    const std::string prices = Write("prices.csv", kPrices);
    const CliRun r = Run("prices " + db + " " + prices + " --stand 2026-12-31 --apply");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 10u);

    CBondList expected = Database();
    auto it = expected.m_list.begin();
    (*it)->m_fPrice = 101.5f;
    std::advance(it, 5);
    (*it)->m_fPrice = 80.0f;
    (*++it)->m_fPrice = 1.0f;
    EXPECT_EQ(Slurp("db.bnd"), StoreBondDatabase(expected));
    struct stat st {};
    ASSERT_EQ(::stat((m_dir / "db.bnd").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(m_dir), (std::vector<std::string>{"db.bnd", "err", "out", "prices.csv"}));

    // Through a link the file it names is replaced, and the link stays.
    std::filesystem::create_symlink("db.bnd", m_dir / "link.bnd");
    ASSERT_EQ(Run("prices " + Path("link.bnd") + " " + Write("more.csv", "DE0002;98\n") + " --apply").status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.bnd"));
    CBondList reread;
    const std::string bytes = Slurp("db.bnd");
    ASSERT_TRUE(LoadBondDatabase(std::as_bytes(std::span(bytes.data(), bytes.size())), reread));
    EXPECT_EQ((*std::next(reread.m_list.begin()))->m_fPrice, 98.0f);
}

// A save that cannot be made leaves the database as it was, and no
// temporary file beside it; the verdicts are still printed.
TEST_F(Cli, PricesApplyUnderAReadOnlyFolderChangesNothing)
{
    std::filesystem::create_directory(m_dir / "ro");
    const std::string before = StoreBondDatabase(Database());
    Write("ro/db.bnd", before);
    ASSERT_EQ(::chmod((m_dir / "ro/db.bnd").c_str(), 0666), 0);
    ASSERT_EQ(::chmod((m_dir / "ro").c_str(), 0555), 0);
    const std::string prices = Write("prices.csv", kPrices);
    const int status = RunAsNobody("prices " + Path("ro/db.bnd") + " " + prices + " --apply", Path("out"), Path("err"));
    ::chmod((m_dir / "ro").c_str(), 0755);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Slurp("err"), "Unable to write to " + (m_dir / "ro/db.bnd").string() +
                                ", it is read-only or opened by someone else.\n");
    EXPECT_EQ(Lines(Slurp("out")).size(), 10u);
    EXPECT_EQ(Slurp("ro/db.bnd"), before);
    EXPECT_EQ(FilesIn(m_dir / "ro"), std::vector<std::string>{"db.bnd"});
}

// Files that can't be read at all end the command with their reason and no
// output; the database is never touched.
TEST_F(Cli, PricesRefusesWhatItCannotRead)
{
    const std::string before = StoreBondDatabase(Database());
    const std::string db = Write("db.bnd", before);
    std::string junk(4096, '\x01');
    junk[100] = '\0';
    Write("huge.csv", "DE0001;1\n");
    std::filesystem::resize_file(m_dir / "huge.csv", std::uintmax_t{2} << 30); // sparse: nothing to read

    const std::pair<std::string, std::string> cases[] = {
        {Write("junk.csv", junk), "This is not a text file .\n"},
        {Write("wide.csv", "DE0001;1\n" + std::string(10'000, ';')), "Line 2 has more than 4096 columns .\n"},
        {Write("empty.csv", "\r\n \r\n"), "The file holds no prices .\n"},
        {Path("huge.csv"), "The file is larger than 256 MB .\n"},
        {Path("missing.csv"), (m_dir / "missing.csv").string() +
                                  "\nCannot find this file.\nPlease verify that the correct path and file name "
                                  "are given.\n"},
    };
    for (const auto& [file, message] : cases) {
        const CliRun r = Run("prices " + db + " " + file + " --apply");
        EXPECT_EQ(r.status, 1) << file;
        EXPECT_EQ(r.err, message) << file;
        EXPECT_EQ(r.out, "") << file;
    }
    EXPECT_EQ(Run("prices " + Write("bad.bnd", "junk") + " " + Write("ok.csv", "DE0001;1\n")).err,
              "Unexpected file format.\n");
    EXPECT_EQ(Slurp("db.bnd"), before);

    for (const std::string& args : {"prices " + db, "prices " + db + " a.csv b.csv",
                                    "prices " + db + " " + Path("ok.csv") + " --stand 2026-13-01"}) {
        const CliRun r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
}
