// tenvix-cli fund and ladder, run as a user would run them.

#include "clirun.h"

#include "../model/testbonds.h"
#include "model/bondfile.h"

#include <filesystem>

namespace tenvix {
namespace {

class CliFund : public test::CliTest {
protected:
    inline static const std::string kSchedule = "'" TENVIX_SOURCE_DIR "/examples/schedule.csv'";
    inline static const std::string kStand = " --stand 2025-06-30";
    test::CliRun Fund(const std::string& options) { return Run("fund " + kSample + " " + kSchedule + kStand + options); }

    // Z1 and Z2 pay 100 on 15 January 2027 and 2028 for 98 and 95.
    std::string Zeros()
    {
        CBondList list;
        list.m_list.push_back(test::FreeBond("Z1", 98.0f, {{test::Day(2027, 1, 15), 100.0f}}));
        list.m_list.push_back(test::FreeBond("Z2", 95.0f, {{test::Day(2028, 1, 15), 100.0f}}));
        return Write("z.bnd", StoreBondDatabase(list));
    }
};

TEST_F(CliFund, WritesTheFundingThatTheLadderWalksWithoutAShortfall)
{
    const test::CliRun one = Fund(" --reinvest 2 --max-share 40 --threads 1 --out " + Path("f.bdp"));
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(Fund(" --reinvest 2 --max-share 40 --threads 2").out, one.out);
    const std::vector<std::string> lines = Lines(one.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "id,units,cost,share,ytm");
    const std::vector<std::string> cash = Fields(lines[lines.size() - 2]);
    ASSERT_EQ(cash.size(), 5u);
    EXPECT_EQ(cash[0], "cash");
    EXPECT_EQ(cash[1], "");
    EXPECT_EQ(cash[4], "");
    const std::string& last = lines.back();
    ASSERT_TRUE(last.starts_with("portfolio,cost=")) << last;
    EXPECT_NE(last.find(",lower_bound="), std::string::npos);
    EXPECT_NE(last.find(",gap_percent="), std::string::npos);
    // Every row's share is its cost over the whole cost, none above 40 %.
    const double cost = std::stod(last.substr(last.find("cost=") + 5));
    for (std::size_t k = 1; k + 2 < lines.size(); ++k) {
        const std::vector<std::string> f = Fields(lines[k]);
        ASSERT_EQ(f.size(), 5u) << lines[k];
        EXPECT_NEAR(std::stod(f[3]), std::stod(f[2]) / cost, 1e-8) << lines[k];
        EXPECT_LE(std::stod(f[3]), 0.4) << lines[k];
    }

    // The file holds the rows as portfolio counts them, and with the cash
    // printed the ladder is never short.
    const test::CliRun back = Run("portfolio " + kSample + " " + Path("f.bdp") + kStand + " --horizon 2035-06-30");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(Lines(back.out).size(), lines.size() - 1); // its header and composite line for the cash and the portfolio line
    const std::vector<std::string> ladder = Lines(
        Output("ladder " + kSample + " " + kSchedule + " --portfolio " + Path("f.bdp") + kStand + " --reinvest 2 --cash " + cash[2]));
    ASSERT_EQ(ladder.size(), 12u); // the header, ten dates, after
    EXPECT_EQ(ladder.front(), "date,liability,inflow,reinvestment,surplus,flag");
    for (std::size_t k = 1; k + 1 < ladder.size(); ++k) {
        EXPECT_TRUE(ladder[k].ends_with(",")) << ladder[k];
        EXPECT_GE(std::stod(Fields(ladder[k])[4]), 0.0) << ladder[k];
    }
    EXPECT_TRUE(ladder.back().starts_with("after,,")) << ladder.back();
}

TEST_F(CliFund, RefusesBadOptionsBeforeAnyWork)
{
    for (const char* bad : {" --reinvest -1", " --reinvest x", " --max-rows 0", " --max-rows 201", " --max-share 0",
                            " --max-share 100.5", " --min-ytm abc", " --decimal-mark dot", " --threads 0"})
        ExpectUsage("fund " + kSample + " " + kSchedule + kStand + bad);
    ExpectUsage("fund " + kSample + " " + kSchedule);
    ExpectUsage("fund " + kSample + kStand);
    // A portfolio file holds 20 rows: told before the database is read.
    const test::CliRun big = Run("fund missing.bnd " + kSchedule + kStand + " --max-rows 21 --out " + Path("x.bdp"));
    EXPECT_EQ(big.status, 2);
    EXPECT_TRUE(big.err.starts_with("tenvix-cli: A portfolio file holds at most 20 bonds .\n")) << big.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x.bdp"));
    EXPECT_EQ(Fund(" --max-rows 200").status, 0);
}

TEST_F(CliFund, RefusesABadScheduleByItsLine)
{
    EXPECT_EQ(Run("fund " + kSample + " " + Write("s.csv", "Date;Value\r\n2026-01-01;10\r\n\r\n31.02.2027;5\r\n") + kStand),
              test::Refused("Line 1 : Invalid date !\n"));
    EXPECT_EQ(Run("fund " + kSample + " " + Write("s.csv", "Datum;Betrag\r\n2026-01-01;10\r\n\r\n31.02.2027;5\r\n") + kStand),
              test::Refused("Line 4 : Invalid date !\n"));
    EXPECT_EQ(Run("fund " + kSample + " " + Write("s.csv", "2026-01-01;1.500\n") + kStand),
              test::Refused("Line 1 : Ambiguous number !\n"));
    EXPECT_EQ(Run("fund " + kSample + " " + Path("s.csv") + kStand + " --decimal-mark point").status, 0);
    EXPECT_EQ(Run("fund " + kSample + " " + Write("s.csv", "date,amount\n") + kStand), test::Refused("No liabilities !\n"));
    EXPECT_EQ(Run("ladder " + kSample + " " + Write("s.csv", "2025-06-30,5\n") + " --portfolio x.bdp" + kStand),
              test::Refused("Line 1 : Date should be after the stand date !\n"));
    EXPECT_EQ(Run("fund " + kSample + " " + Path("none.csv") + kStand).status, 1);
}

TEST_F(CliFund, OutNeverTakesADatabaseAndWritesNothingWhenNothingIsBought)
{
    const std::string sample = test::SampleFile();
    const std::string db = Write("db.bnd", sample);
    EXPECT_EQ(Run("fund " + db + " " + kSchedule + kStand + " --out " + db),
              test::Refused("This is the open database. Choose another name .\n"));
    EXPECT_TRUE(Slurp("db.bnd") == sample);
    // Owed before any bond pays: cash alone, and no file.
    const test::CliRun cash = Run("fund " + db + " " + Write("soon.csv", "2025-07-01,1000\n") + kStand + " --out " +
                                  Path("f.bdp"));
    EXPECT_EQ(cash.status, 0);
    EXPECT_EQ(cash.err, "No bond was bought : nothing to write .\n");
    EXPECT_EQ(cash.out, "id,units,cost,share,ytm\r\ncash,,1000.00,1.00000000,\r\n"
                        "portfolio,cost=1000.00,lower_bound=1000.00,gap_percent=0.0000\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "f.bdp"));
}

TEST_F(CliFund, CountsHeldUnitsAndRefusesARowPortfolioWouldNot)
{
    const std::string db = Zeros();
    const std::string schedule = Write("s.csv", "2027-01-15,1050\n2028-01-15,1000\n");
    const std::string stand = " --stand 2026-01-15";
    EXPECT_EQ(Output("fund " + db + " " + schedule + stand),
              "id,units,cost,share,ytm\r\n"
              "Z1,10,980.00,0.49494949,0.02040817\r\n"
              "Z2,10,950.00,0.47979798,0.02597835\r\n"
              "cash,,50.00,0.02525253,\r\n"
              "portfolio,cost=1980.00,lower_bound=1979.00,gap_percent=0.0505\r\n");
    // Four units of Z2 held (named in another case) leave six to buy.
    const std::vector<std::string> held =
        Lines(Output("fund " + db + " " + schedule + stand + " --hold " + WritePortfolio("h.bdp", {{"z2", 4}})));
    ASSERT_EQ(held.size(), 5u);
    EXPECT_EQ(held[1], "Z1,10,980.00,0.61250000,0.02040817");
    EXPECT_EQ(held[2], "Z2,6,570.00,0.35625000,0.02597835");
    EXPECT_EQ(Run("fund " + db + " " + schedule + stand + " --hold " + WritePortfolio("n.bdp", {{"Z1", 1}, {"NONE", 1}})),
              test::Refused("Bond ID=NONE ,in row 2 , can't be included !\n"));
    // Units no row can show are refused as portfolio refuses them.
    const test::CliRun negative =
        Run("fund " + db + " " + schedule + stand + " --hold " + WritePortfolio("m.bdp", {{"Z1", -3}}));
    EXPECT_EQ(negative.status, 1);
    EXPECT_EQ(negative.out, "");
    EXPECT_TRUE(negative.err.ends_with("Bond ID=Z1 ,in row 1 , can't be included !\n")) << negative.err;
}

TEST_F(CliFund, LadderWalksAnyPortfolioAgainstHandValues)
{
    const std::string db = Zeros();
    const std::string schedule = Write("s.csv", "date,amount\n2027-01-15,1000\n2028-01-15,1000\n2029-01-15,10\n");
    const std::string stand = " --stand 2026-01-15";
    // 50 in cash grow to 51 by 2027, where 19 units of Z1 pay 1900: 951 are
    // carried, 970.02 by 2028, which is 29.98 short; nothing pays 2028 or
    // 2029, and the shortfall grows at the same rate.
    EXPECT_EQ(Output("ladder " + db + " " + schedule + " --portfolio " + WritePortfolio("p.bdp", {{"Z1", 19}}) + stand +
                     " --cash 50 --reinvest 2"),
              "date,liability,inflow,reinvestment,surplus,flag\r\n"
              "2027-01-15,1000.00,1900.00,1.00,951.00,\r\n"
              "2028-01-15,1000.00,0.00,19.02,-29.98,short\r\n"
              "2029-01-15,10.00,0.00,-0.60,-40.58,short\r\n"
              "after,,0.00,,\r\n");
    // Held units add to the portfolio's; a payment after the last date is after.
    EXPECT_EQ(Output("ladder " + db + " " + Write("one.csv", "2027-01-15,100\n") + " --portfolio " +
                     WritePortfolio("q.bdp", {{"Z1", 1}}) + " --hold " + WritePortfolio("h.bdp", {{"Z2", 2}}) + stand),
              "date,liability,inflow,reinvestment,surplus,flag\r\n"
              "2027-01-15,100.00,100.00,0.00,0.00,\r\n"
              "after,,200.00,,\r\n");
    EXPECT_EQ(Run("ladder " + db + " " + schedule + " --portfolio " + WritePortfolio("m.bdp", {{"Z3", 1}}) + stand),
              test::Refused("Bond ID=Z3 ,in row 1 , can't be included !\n"));
    for (const char* bad : {" --cash -1", " --cash x", " --reinvest -0.5", ""})
        ExpectUsage("ladder " + db + " " + schedule + stand + (std::string(bad).empty() ? "" : " --portfolio p.bdp") + bad);
}

} // namespace
} // namespace tenvix
