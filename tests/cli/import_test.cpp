// tenvix-cli import as a script sees it: export then import --apply makes
// the database again byte for byte, a verdict a row, and files it cannot read.

#include "clirun.h"

#include "../model/testbonds.h"

#include <filesystem>

namespace {

using Cli = tenvix::test::CliTest;

TEST_F(Cli, ImportOfTheExportMakesTheSampleAgain)
{
    ASSERT_EQ(Run("export " + kSample, Path("sample.csv")).status, 0);
    // No database yet: --apply makes one of the imported records alone.
    // The verdicts' lines are checked whole below.
    Output("import " + Path("new.bnd") + " " + Path("sample.csv") + " --apply");
    const std::string sample = tenvix::test::SampleFile();
    EXPECT_TRUE(Slurp("new.bnd") == sample);

    // A changed row is replaced in its place, a new one added at the end;
    // nothing is written without --apply.
    Write("changed.csv", "type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n"
                         "I,GOV-2027-A,Government 4.00% 2027,2017-07-04,2027-07-04,101,4,12,100,\r\n"
                         "I,NEW,,2001-01-01,2031-01-01,1,1,1,1,\r\n"
                         "I,BAD,,2017-07-04,2027-07-04,1,4,12,x,\r\n");
    const std::string verdicts = "line,id,verdict,reason\r\n2,GOV-2027-A,replace,\r\n3,NEW,add,\r\n"
                                 "4,BAD,refused,Invalid Face Value !\r\n";
    EXPECT_EQ(Run("import " + Path("new.bnd") + " " + Path("changed.csv")).out, verdicts);
    EXPECT_TRUE(Slurp("new.bnd") == sample);
    EXPECT_EQ(Run("import " + Path("new.bnd") + " " + Path("changed.csv") + " --apply").out, verdicts);
    const std::vector<std::string> lines = Lines(Run("export " + Path("new.bnd")).out);
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[1], "I,GOV-2027-A,Government 4.00% 2027,2017-07-04,2027-07-04,101,4,12,100,");
    EXPECT_EQ(lines[29], "I,NEW,,2001-01-01,2031-01-01,1,1,1,1,");
}

TEST_F(Cli, ImportRefusesWhatItCannotRead)
{
    Write("bad.csv", "type,id\r\nI,A\r\n");
    EXPECT_EQ(Run("import " + Path("new.bnd") + " " + Path("bad.csv") + " --apply"),
              tenvix::test::Refused("This is not a file of bonds: its first line must be "
                                    "type,id,name,release,maturity,price,coupon,period_months,face,payments .\n"));
    // A missing file of bonds, a database that is none.
    for (const std::string& args :
         {"import " + kSample + " " + Path("none.csv"), "import " + Path("bad.csv") + " " + Path("bad.csv")}) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err, "") << args;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "new.bnd"));
}

} // namespace
