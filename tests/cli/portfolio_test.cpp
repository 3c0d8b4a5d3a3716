// tenvix-cli portfolio and suggest, run as a user would run them, against the
// sample database.

#include "clirun.h"

#include "portfolio/core/portfoliofile.h"

namespace tenvix {
namespace {

class CliPortfolio : public test::CliTest {
protected:
    static constexpr const char* kDates = " --stand 2025-06-30 --horizon 2032-06-30";

    test::CliRun Portfolio(const std::vector<PortfolioEntry>& rows)
    {
        return Run("portfolio " + kSample + " " + Write("p.bdp", StorePortfolio(rows)) + kDates);
    }
    test::CliRun PortfolioFile(const std::string& path) { return Run("portfolio " + kSample + " " + path + kDates); }
};

TEST_F(CliPortfolio, RowsAndTheCompositeFigures)
{
    // A stored 2.5 counts as the 2 the window shows (3 would give 0.03372256).
    const test::CliRun r = Portfolio({{"gov-2034-a", 10.0}, {"ZERO-2032", 2.5}, {"SINK-2033", 0.0}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out),
              (std::vector<std::string>{"id,units,status,ytm,duration,square_m",
                                        "gov-2034-a,10,ready,0.03501497,7.30035053,8.28277389",
                                        "ZERO-2032,2,ready,0.02729087,6.87557077,0.01548263",
                                        "SINK-2033,0,ready,0.02574519,5.42455365,6.40357970",
                                        "portfolio,ytm=0.03410223,duration=7.25512075,square_m=7.25726183"}));
}

TEST_F(CliPortfolio, RefusalsCarryTheWindowsMessages)
{
    const test::CliRun missing = Portfolio({{"GOV-2034-A", 1}, {"NOPE", 1}, {"GOV-2019-A", 1}});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("NOPE,1,not found,,,\r\n"), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find("GOV-2019-A,1,incompatible,,,\r\n"), std::string::npos) << missing.out;
    EXPECT_EQ(missing.err, "Bond ID=NOPE ,in row 2 , can't be included !\n");

    const test::CliRun zero = Portfolio({{"GOV-2034-A", 0.4}});
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.err, "No units filled in !\n");
    EXPECT_EQ(Portfolio({{"GOV-2034-A", 5}, {"ZERO-2032", -1}}).err, "No units filled in !\n");
    const test::CliRun empty = Portfolio({});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "id,units,status,ytm,duration,square_m\r\n");

    EXPECT_EQ(PortfolioFile(Write("w.bdp", "Tenvix2F")).err, "Wrong file format !\n");
    EXPECT_EQ(PortfolioFile(Write("t.bdp", std::string("Tenvix2F\0\1\0\0\0\5AB", 16))).err,
              "Failed reading the file !\n");
    const test::CliRun absent = PortfolioFile(Path("absent.bdp"));
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "Failed to open the file !\n");
    EXPECT_EQ(Run("portfolio " + kSample).status, 2);
}

TEST_F(CliPortfolio, SuggestOffersWhatTheWindowWouldAppend)
{
    const test::CliRun all = Run("suggest " + kSample + kDates);
    ASSERT_EQ(all.status, 0) << all.err;
    // No exact match in the sample: the shorter halves of the pairs, best
    // first, then the longer halves.
    std::vector<std::string> groups;
    for (const std::string& line : Lines(all.out))
        groups.push_back(line.substr(line.rfind(',') + 1));
    EXPECT_EQ(groups, (std::vector<std::string>{"group", "short", "short", "short", "long", "long", "long"}));
    EXPECT_EQ(Lines(all.out).at(1), "ZERO-2032,Treasury strip May 2032,0.02729087,6.87557077,0.01548263,short");

    EXPECT_EQ(Lines(Run("suggest " + kSample + kDates + " --rows 18").out).size(), 3u);
    const test::CliRun full = Run("suggest " + kSample + kDates + " --rows 19");
    EXPECT_EQ(full.status, 0);
    EXPECT_EQ(full.out, "");
    EXPECT_EQ(Run("suggest " + kSample + " --stand 2025-06-30 --horizon 2025-06-30").out, "Nothing suggested .\n");
    for (const char* bad : {" --rows 21", " --rows -1", " --rows 2.5", " --rows ''"})
        EXPECT_EQ(Run("suggest " + kSample + kDates + bad).status, 2) << bad;
}

} // namespace
} // namespace tenvix
