// tenvix-cli portfolio and suggest, run as a user would run them, against the
// sample database.

#include "clirun.h"

#include "../model/testbonds.h"

#include "model/bondfile.h"
#include "portfolio/core/portfoliofile.h"

#include <limits>

namespace tenvix {
namespace {

class CliPortfolio : public test::CliTest {
protected:
    static constexpr const char* kDates = " --stand 2025-06-30 --horizon 2032-06-30";

    test::CliRun Portfolio(const std::vector<PortfolioEntry>& rows)
    {
        return Run("portfolio " + kSample + " " + WritePortfolio("p.bdp", rows) + kDates);
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
    EXPECT_EQ(Portfolio({{"GOV-2034-A", 1}, {"NOPE", 1}, {"GOV-2019-A", 1}}),
              (test::CliRun{1,
                            "id,units,status,ytm,duration,square_m\r\nGOV-2034-A,1,ready,0.03501497,7.30035053,"
                            "8.28277389\r\nNOPE,1,not found,,,\r\nGOV-2019-A,1,incompatible,,,\r\n",
                            "Bond ID=NOPE ,in row 2 , can't be included !\n"}));

    // A stored 0.4 is the 0 the window shows; negative units are the
    // composite's own refusal (CBondPortf.ValidateReportsUnitsAndMembersInOrder).
    const test::CliRun none = Portfolio({{"GOV-2034-A", 0.4}});
    EXPECT_EQ(std::pair(none.status, none.err), std::pair(1, std::string("No units filled in !\n")));
    EXPECT_EQ(Portfolio({}), (test::CliRun{0, "id,units,status,ytm,duration,square_m\r\n", ""}));

    // A file that is no portfolio: Cli.FilesWithoutASizeAreReadToTheirEnd.
    EXPECT_EQ(PortfolioFile(Write("t.bdp", std::string("Tenvix2F\0\1\0\0\0\5AB", 16))).err,
              "Failed reading the file !\n");
    EXPECT_EQ(PortfolioFile(Path("absent.bdp")), test::Refused("Failed to open the file !\n"));
    ExpectUsage("portfolio " + kSample);
}

TEST_F(CliPortfolio, APriceBelowWhatTheFormsStoreHasNoExplanation)
{
    // A file made by hand: a denormal price, which the forms would refuse and
    // whose search would answer a yield of 1e14. The rule is the bond's own
    // (Validate.UnusableTermsFromAHandMadeFile); analyse and portfolio show
    // such a bond as any other they cannot value (Cli.AnalyseWritesOneRowABond,
    // RefusalsCarryTheWindowsMessages).
    CBondList list;
    list.m_list.push_back(test::StdBond("DENORMAL", 12, 5, 100, std::numeric_limits<float>::denorm_min(),
                                        test::Day(2020, 1, 1), test::Day(2030, 1, 1)));
    const std::string db = Write("tiny.bnd", StoreBondDatabase(list));
    EXPECT_EQ(Run("explain " + db + " DENORMAL --stand 2024-01-01 --horizon 2027-01-01"), test::Refused("Bad YTM .\n"));
}

TEST_F(CliPortfolio, SuggestOffersWhatTheWindowWouldAppend)
{
    // The groups, their order and their words over many bonds are
    // CliStream.ManyBondsOnAnyThreadsGiveTheListsOutput's; here the best
    // shorter bond of the sample comes first.
    EXPECT_EQ(Lines(Output("suggest " + kSample + kDates)).at(1),
              "ZERO-2032,Treasury strip May 2032,0.02729087,6.87557077,0.01548263,short");

    // How many rows leave room for how many is PresentSuggestions'; here
    // --rows reaches it.
    EXPECT_EQ(Output("suggest " + kSample + kDates + " --rows 19"), "");
    EXPECT_EQ(Run("suggest " + kSample + " --stand 2025-06-30 --horizon 2025-06-30").out, "Nothing suggested .\n");
    for (const char* bad : {" --rows 21", " --rows -1", " --rows 2.5", " --rows ''"})
        ExpectUsage("suggest " + kSample + kDates + bad);
}

} // namespace
} // namespace tenvix
