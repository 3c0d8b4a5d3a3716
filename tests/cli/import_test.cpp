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

namespace {

// The shipped bank's list against the sample on 30 June 2025: the columns
// guessed from its German heading, the prices clean quotes.
TEST_F(Cli, ImportOfABanksList)
{
    const std::string list = "'" TENVIX_SOURCE_DIR "/examples/bonds-de.csv'";
    const std::string verdicts = "line,id,verdict,reason\r\n2,QZ0001000011,add,\r\n3,QZ0001000029,add,\r\n"
                                 "4,QZ0001000037,add,\r\n5,QZ0001000045,add,\r\n"
                                 "6,QZ0001000052,refused,F\xC3\xA4lligkeit: Ambiguous date !\r\n";
    Write("db.bnd", tenvix::test::SampleFile());
    const std::string dates = " --stand 2025-06-30";
    EXPECT_EQ(Run("import " + Path("db.bnd") + " " + list + dates), (tenvix::test::CliRun{0, verdicts, ""}));
    EXPECT_TRUE(Slurp("db.bnd") == tenvix::test::SampleFile());
    EXPECT_EQ(Run("import " + Path("db.bnd") + " " + list + dates + " --apply").out, verdicts);

    // The records as export writes them: the coupon a year's rate on the face
    // value, the release the last coupon date by the stand date, the price
    // the clean quote of the face value and what has accrued since then.
    const std::vector<std::string> lines = Lines(Output("export " + Path("db.bnd")));
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(std::vector(lines.begin() + 29, lines.end()),
              (std::vector<std::string>{
                  "I,QZ0001000011,\"Bund 2,50 % 2035\",2025-02-15,2035-02-15,99.6860733,2.5,12,100,",
                  "I,QZ0001000029,\"Land 3,00 % 2031\",2024-09-01,2031-09-01,1036.88354,30,12,1000,",
                  "I,QZ0001000037,\"Kommune 1,25 % 2029\",2025-03-20,2029-03-20,96.7467499,1.25,12,100,",
                  "I,QZ0001000045,\"Industrie 4,875 % 2033\",2024-11-30,2033-11-30,105.943748,4.875,12,100,",
              }));
    // Round trip: the export read back changes nothing, nor does the list
    // on the same day; paid prices replace what the clean ones made.
    ASSERT_EQ(Run("export " + Path("db.bnd"), Path("all.csv")).status, 0);
    const std::string before = Slurp("db.bnd");
    const std::vector<std::string> again = Lines(Output("import " + Path("db.bnd") + " " + Path("all.csv") + " --apply"));
    EXPECT_EQ(std::count_if(again.begin(), again.end(), [](const std::string& l) { return l.ends_with(",unchanged,"); }),
              32);
    EXPECT_TRUE(Slurp("db.bnd") == before);
    EXPECT_EQ(Lines(Output("import " + Path("db.bnd") + " " + list + dates)).at(1), "2,QZ0001000011,unchanged,");
    EXPECT_EQ(Lines(Output("import " + Path("db.bnd") + " " + list + dates + " --quotes paid")).at(1),
              "2,QZ0001000011,replace,");
}

// English headings in any case, commas and decimal points, paid prices; a
// column chosen by --columns over the guess; a list without a heading read
// by column numbers.
TEST_F(Cli, ImportOfABanksListByItsColumns)
{
    Write("en.csv", "isin,NAME,Coupon Rate,Maturity Date,Price,Close,Face Value,Pay Period,Issue Date\r\n"
                    "QZ1,\"Note, 2030\",5,2030-06-30,99.5,101.25,1000,6,2020-06-30\r\n");
    const std::string db = Path("en.bnd");
    const std::string paid = " --stand 2025-06-30 --quotes paid --apply";
    ASSERT_EQ(Run("import " + db + " " + Path("en.csv") + paid).status, 0);
    EXPECT_EQ(Lines(Output("export " + db)).at(1), "I,QZ1,\"Note, 2030\",2020-06-30,2030-06-30,995,25,6,1000,");
    ASSERT_EQ(Run("import " + db + " " + Path("en.csv") + paid + " --columns price=close,name=").status, 0);
    EXPECT_EQ(Lines(Output("export " + db)).at(1), "I,QZ1,,2020-06-30,2030-06-30,1012.5,25,6,1000,");

    Write("bare.csv", "QZ2;Bare;4;31.12.2030;100\r\n");
    EXPECT_EQ(Run("import " + db + " " + Path("bare.csv")).err,
              "This is not a file of bonds: its first line must be "
              "type,id,name,release,maturity,price,coupon,period_months,face,payments .\n");
    ASSERT_EQ(Run("import " + db + " " + Path("bare.csv") + paid + " --columns id=1,rate=3,maturity=4,price=5").status,
              0);
    EXPECT_EQ(Lines(Output("export " + db)).at(2), "I,QZ2,,2024-12-31,2030-12-31,100,4,12,100,");
    EXPECT_EQ(Run("import " + db + " " + Path("bare.csv") + " --columns id=1,rate=3"),
              tenvix::test::Refused("No column of maturities found .\n"));

    for (const char* bad : {" --columns price", " --columns price=Ask", " --quotes dirty", " --stand 30.06.2025"})
        ExpectUsage("import " + db + " " + Path("en.csv") + std::string(bad));
    // Those options are a bank's list's only.
    ASSERT_EQ(Run("export " + db, Path("own.csv")).status, 0);
    ExpectUsage("import " + db + " " + Path("own.csv") + " --quotes paid");
}

} // namespace
