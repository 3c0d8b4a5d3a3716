// tenvix-cli explain and the --table outputs of cashflows and portfolio: the
// tables reconcile with the figures the other commands print, and failures
// carry the record form's words.

#include "clirun.h"

#include "../model/testbonds.h"

#include "model/analysiscalc.h"
#include "model/bondfile.h"
#include "model/date.h"
#include "model/format.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfexplain.h"

#include <map>

namespace tenvix {
namespace {

// A shortest text as analyse prints its figures: eight decimals.
std::string AtEight(const std::string& shortest) { return FormatFixed(std::stod(shortest), 8); }

// The line of the totals; a Type I bond's two lines of its quote follow it.
std::string TotalLine(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (line.starts_with("total,"))
            return line;
    return {};
}

class CliExplain : public test::CliTest {
protected:
    test::CliRun Explain(const std::string& db, const std::string& id, const std::string& dates)
    {
        return Run("explain " + db + " '" + id + "'" + dates);
    }
};

TEST_F(CliExplain, TotalsAreWhatAnalysePrintsForEveryBondOfTheSample)
{
    // The second pair puts the stand date after the horizon (code 11), which
    // analyse still answers.
    for (const std::string dates :
         {" --stand 2025-06-30 --horizon 2032-06-30", " --stand 2030-01-15 --horizon 2027-03-01"}) {
        const std::string analysed = Output("analyse " + kSample + dates);
        const std::map<int, std::string> messages = {{10, "Stand date should be before Maturity !\n"},
                                                     {12, "Stand date can't be before release date !\n"},
                                                     {-3, "Bad YTM !\n"}};
        int explained = 0;
        const std::vector<std::string> rows = Lines(analysed);
        for (std::size_t i = 1; i < rows.size(); ++i) {
            // id,name,type,status,code,ytm,duration,square_m,horizon_years; the
            // sample's names that hold a comma are quoted, so count from the end.
            const std::vector<std::string> f = Fields(rows[i]);
            const std::string& id = f[0];
            const std::string& status = f[f.size() - 6];
            const test::CliRun x = Explain(kSample, id, dates);
            if (status != "ok") {
                EXPECT_EQ(x, test::Refused(messages.at(std::stoi(f[f.size() - 5])))) << id;
                continue;
            }
            ASSERT_EQ(x.status, 0) << id << x.err;
            const std::vector<std::string> table = Lines(x.out);
            // The rows' numbers, members and layout are ExplainBond's and
            // ExplanationCsv's to pin; here the totals meet analyse's figures.
            ASSERT_GE(table.size(), 3u) << id;
            const std::vector<std::string> total = Fields(TotalLine(table));
            ASSERT_EQ(total.size(), 11u) << id;
            EXPECT_EQ(AtEight(total[9]), f[f.size() - 3]) << id << " duration";
            EXPECT_EQ(AtEight(total[10]), f[f.size() - 2]) << id << " square_m";
            ++explained;
        }
        EXPECT_GE(explained, 10) << dates;
    }
}

TEST_F(CliExplain, TheSameTextFirstThenAnyCase)
{
    CBondList list;
    for (const auto& [id, price] : {std::pair{"abc", 90.0f}, {"ABC", 110.0f}, {"Abc", 100.0f}})
        list.m_list.push_back(test::StdBond(id, 12, 5, 100, price, test::Day(2020, 1, 1), test::Day(2030, 1, 1)));
    const std::string db = Write("three.bnd", StoreBondDatabase(list));
    const std::string dates = " --stand 2024-01-01 --horizon 2027-01-01";
    // Weighted by the stored price, which the present values sum to.
    const auto price = [&](const std::string& id) {
        const std::vector<std::string> lines = Lines(Output("explain " + db + " '" + id + "'" + dates));
        return lines.empty() ? -1L : std::lround(std::stod(Fields(TotalLine(lines)).at(7)));
    };
    // The lookup's rule is BondLookup.ExactFirstThenAnyCase's; explain uses it.
    EXPECT_EQ(price("ABC"), 110);
    EXPECT_EQ(price("aBC"), 90); // no same text: the first without regard to case

    EXPECT_EQ(Explain(db, "abd", dates), test::Refused("Bond ID=abd not found !\n"));
    ExpectUsage("explain " + db + dates); // a date missing: RequiredDate's, Cli's usage cases
}

// A Type I bond's accrued interest and clean price per 100 of face follow
// the total, laid out as it is; a Type II bond has neither.
TEST_F(CliExplain, TypeIShowsItsAccruedInterestAndCleanPrice)
{
    CBondList list;
    // Half-yearly, 2.5 a half year on a face of 1000, to 30 June 2030.
    list.m_list.push_back(test::StdBond("H", 6, 2.5f, 1000.0f, 1010.0f, test::Day(2020, 1, 1), test::Day(2030, 6, 30)));
    list.m_list.push_back(test::StdBond("NOFACE", 12, 5.0f, 0.0f, 20.0f, test::Day(2020, 1, 1), test::Day(2030, 6, 30)));
    list.m_list.push_back(test::FreeBond("F", 99.0f, {{test::Day(2026, 1, 1), 5.0f}, {test::Day(2027, 1, 1), 105.0f}}));
    const std::string db = Write("db.bnd", StoreBondDatabase(list));
    const auto tail = [&](const std::string& id, const std::string& stand) {
        const std::vector<std::string> lines =
            Lines(Output("explain " + db + " " + id + " --stand " + stand + " --horizon 2029-01-01"));
        const auto total = std::find(lines.begin(), lines.end(), TotalLine(lines));
        return std::vector<std::string>(total == lines.end() ? lines.end() : total + 1, lines.end());
    };
    // 20 April 2025: 2/12 + 10/365 of the half year to the next coupon, so
    // 134/219 of it run: 2.5 * 134 / 219 accrued, and (1010 - that) / 10 clean.
    EXPECT_EQ(tail("H", "2025-04-20"), (std::vector<std::string>{"accrued,,,,,1.529680,,,,,",
                                                                 "clean_per_100,,,,,100.847032,,,,,"}));
    // On a coupon date nothing has accrued.
    EXPECT_EQ(tail("H", "2025-06-30"), (std::vector<std::string>{"accrued,,,,,0.000000,,,,,",
                                                                 "clean_per_100,,,,,101.000000,,,,,"}));
    // No face value, no price per 100 of it.
    EXPECT_EQ(tail("NOFACE", "2025-12-30"),
              (std::vector<std::string>{"accrued,,,,,2.500000,,,,,", "clean_per_100,,,,,,,,,,"}));
    EXPECT_EQ(tail("F", "2025-06-30"), std::vector<std::string>{});
}

TEST_F(CliExplain, CashflowsTableIsTheCalculationsExplanation)
{
    // That the rows add up to the figures the plain command prints, under
    // either method, is ExplainAnalysis.RowsAddUpToTheWindowsFiguresUnderBothYearMethods's.
    const std::string dates = " --stand 2003-03-01 --horizon 2005-03-01";
    const std::string out =
        Output("cashflows --table --price 97.5 --method 365d" + dates + " 5@2003-03-01 5@2004-03-01 105@2005-09-01");
    const std::vector<GridRow> rows = {{"5", "2003-03-01"}, {"5", "2004-03-01"}, {"105", "2005-09-01"}};
    const AnalysisExplanation x = ExplainAnalysis(
        {"97.5", rows, *MakeDate(2003, 3, 1), *MakeDate(2005, 3, 1), YearMethod::DayCount}, test::kIso, SystemClock());
    EXPECT_EQ(out, ExplanationCsv(x.explanation));
    // No table without a yield; refused entries fail as without --table
    // (CliCashflows.FailuresGoToStandardErrorWithTheirRow).
    EXPECT_EQ(Run("cashflows --table --price 100" + dates + " 60@2004-03-01 39@2005-03-01"),
              test::Refused("Bad YTM .\n"));
}

TEST_F(CliExplain, PortfolioTablePoolsTheMembersToTheCompositeFigures)
{
    const std::string dates = " --stand 2025-06-30 --horizon 2032-06-30";
    const std::string bdp = WritePortfolio("p.bdp", {{"gov-2034-a", 10.0}, {"ZERO-2032", 2.0}, {"SINK-2033", 3.0}});
    const std::string table = Output("portfolio --table " + kSample + " " + bdp + dates);

    // The rows are the pooled explanation, whose order, amounts and totals
    // (the composite figures) ExplainPortfolio.PooledRowsAddUpToTheCompositesFigures
    // checks; each names its member as the database spells it.
    CBondList sample;
    ASSERT_TRUE(test::Load(test::SampleFile(), sample));
    std::vector<CBond*> bonds;
    for (const char* id : {"GOV-2034-A", "ZERO-2032", "SINK-2033"})
        bonds.push_back(FindBondByID(sample.m_list, id));
    const std::vector<double> units{10.0, 2.0, 3.0};
    EXPECT_EQ(
        table,
        ExplanationCsv(
            ExplainPortfolio(bonds, units, test::Day(2025, 6, 30), test::Day(2032, 6, 30), SystemClock()).explanation));

    // A refusal leaves no table, only the window's words.
    EXPECT_EQ(Run("portfolio --table " + kSample + " " + WritePortfolio("q.bdp", {{"NOPE", 1.0}}) + dates),
              test::Refused("Bond ID=NOPE ,in row 1 , can't be included !\n"));
    // No row: no units, as without the table (CliPortfolio.RefusalsCarryTheWindowsMessages).
    EXPECT_EQ(Run("portfolio --table " + kSample + " " + WritePortfolio("e.bdp", {}) + dates),
              test::Refused("No units filled in !\n"));
}

} // namespace
} // namespace tenvix
