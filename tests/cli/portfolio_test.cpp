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

    // A stored 0.4 is the 0 the window shows, and said so.
    const test::CliRun none = Portfolio({{"GOV-2034-A", 0.4}});
    EXPECT_EQ(std::pair(none.status, none.err),
              std::pair(1, std::string("Row 1 : 0.4 units are read as 0 .\nNo units filled in !\n")));
    // No row at all is no units either, as shifts says.
    EXPECT_EQ(Portfolio({}), (test::CliRun{1, "id,units,status,ytm,duration,square_m\r\n", "No units filled in !\n"}));

    // A file that is no portfolio: Cli.FilesWithoutASizeAreReadToTheirEnd.
    EXPECT_EQ(PortfolioFile(Write("t.bdp", std::string("Tenvix2F\0\1\0\0\0\5AB", 16))).err,
              "Failed reading the file !\n");
    EXPECT_EQ(PortfolioFile(Path("absent.bdp")), test::Refused("Failed to open the file !\n"));
    ExpectUsage("portfolio " + kSample);
}

// Units the window would show otherwise are said: those it cannot show at all
// (NaN, infinite, negative) refuse the row, with the reason as its status, and
// fractional ones are read as the whole number it shows.
TEST_F(CliPortfolio, UnitsAreReadAsTheWindowShowsThemAndSaidSo)
{
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<PortfolioEntry> rows = {
        {"GOV-2034-A", 1}, {"ZERO-2032", kNan}, {"gov-2034-a", 2.5}, {"NOPE", -3}};
    const std::string figures = "0.03501497,7.30035053,8.28277389";
    const std::string err = "Row 2 : nan units cannot be read .\nRow 3 : 2.5 units are read as 2 .\n"
                            "Row 4 : -3 units cannot be read .\n";
    EXPECT_EQ(Portfolio(rows), (test::CliRun{1,
                                             "id,units,status,ytm,duration,square_m\r\nGOV-2034-A,1,ready," + figures +
                                                 "\r\nZERO-2032,nan,bad units,,,\r\ngov-2034-a,2,ready," + figures +
                                                 "\r\nNOPE,-3,bad units,,,\r\n",
                                             err + "Bond ID=ZERO-2032 ,in row 2 , can't be included !\n"}));
    const std::string bdp = WritePortfolio("b.bdp", rows);
    EXPECT_EQ(Run("shifts " + kSample + " --portfolio " + bdp + kDates),
              test::Refused(err + "Bond ID=ZERO-2032 ,in row 2 , can't be included !\n"));
    // No row left at all.
    const std::string inf = WritePortfolio("i.bdp", {{"GOV-2034-A", std::numeric_limits<double>::infinity()}});
    for (const std::string& command : {"portfolio " + kSample + " " + inf, "shifts " + kSample + " --portfolio " + inf})
        EXPECT_EQ(Run(command + kDates).status, 1) << command;

    // Rounded rows are said on success too.
    const test::CliRun shifts =
        Run("shifts " + kSample + " --portfolio " + WritePortfolio("r.bdp", {{"GOV-2034-A", 0.6}}) + kDates);
    EXPECT_EQ(std::pair(shifts.status, shifts.err), std::pair(0, std::string("Row 1 : 0.6 units are read as 1 .\n")));

    // More rows than a portfolio holds: the limit, not a bare "wrong format".
    const std::vector<PortfolioEntry> many(25, PortfolioEntry{"GOV-2034-A", 1});
    for (const std::string& command : {"portfolio " + kSample + " " + WritePortfolio("m.bdp", many),
                                      "shifts " + kSample + " --portfolio " + Path("m.bdp")})
        EXPECT_EQ(Run(command + kDates), test::Refused("A portfolio holds at most 20 bonds .\n")) << command;
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
