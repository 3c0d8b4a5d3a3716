// The portfolio window's rows: the texts they show are what Calculate and Save
// read, so a row must show exactly what it was given and read back only that.

#include "../model/testbonds.h"
#include "model/format.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliorows.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <tuple>

namespace tenvix {
namespace {

using test::Day;
using test::StdBond;

const double kStand = Day(2021, 3, 10);
const double kHorizon = Day(2026, 3, 10);

// A row's texts: units, duration, Square-M, ID, YTM, price, name, status, value.
using Texts = std::array<std::string, kRowColumns>;
// What a row shows and takes part with: its picture, the bond found, the bond ready.
using State = std::tuple<RowPicture, CBond*, CBond*>;
State Of(const PortfolioRow& row) { return {row.picture, row.found, row.ready}; }

class PortfolioRowsTest : public ::testing::Test {
protected:
    PortfolioRowsTest()
    {
        bonds.push_back(StdBond("GOV-A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)));
        bonds.push_back(StdBond("GOV-B", 12, 3.0f, 100.0f, 99.0f, Day(2016, 1, 1), Day(2028, 1, 1)));
        // Matured before the stand date: found, but no figures.
        bonds.push_back(StdBond("OLD", 12, 3.0f, 100.0f, 99.0f, Day(2000, 1, 1), Day(2010, 1, 1)));
    }

    PortfolioRow Lookup(const std::string& id, double units = 1)
    {
        return PortfolioRows::Lookup(id, units, bonds, kStand, kHorizon, SystemClock());
    }

    void Add(const std::string& id, double units = 1) { ASSERT_TRUE(rows.Append(Lookup(id, units))); }

    CBond& Bond(int i) { return **std::next(bonds.begin(), i); }

    CBondList::List bonds;
    PortfolioRows rows;
};

TEST_F(PortfolioRowsTest, ALookedUpRowShowsItsBondOrWhyNot)
{
    // The identifier as typed, found without regard to case; units as whole numbers.
    const PortfolioRow found = Lookup("gov-a", 12.6);
    const RowFigures f = AnalyseRow(Bond(0), kStand, kHorizon, SystemClock());
    EXPECT_EQ(found.texts, (Texts{"13", FormatFixed(f.duration, 8), FormatFixed(f.squareM, 8), "gov-a",
                                  FormatFixed(f.ytm, 8), "95.00", "GOV-A name", "", "1235.00"}));
    EXPECT_EQ(Of(found), State(RowPicture::Ready, &Bond(0), &Bond(0)));
    EXPECT_EQ(Lookup("NOPE", 3).texts, (Texts{"3", "", "", "NOPE", "", "", "", "not found", ""}));
    EXPECT_EQ(Of(Lookup("NOPE", 3)), State(RowPicture::NotFound, nullptr, nullptr));
    EXPECT_EQ(Lookup("OLD").texts, (Texts{"1", "", "", "OLD", "", "99.00", "OLD name", "incompatible", "99.00"}));
    EXPECT_EQ(Of(Lookup("OLD")), State(RowPicture::Problem, &Bond(2), nullptr));
}

// Units a file holds that no row can show (NaN, infinite, negative) leave
// the row out with the reason as its status, and Save writes them back as
// they were; the bond's other rows and a new price keep it out, whole units
// typed in bring it in.
TEST_F(PortfolioRowsTest, UnitsNoRowCanShowLeaveTheRowOut)
{
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    Add("GOV-A", 10);
    Add("GOV-A", kNan);
    Add("NOPE", -0.5);
    Add("GOV-B", -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ShownUnits(kNan), std::nullopt);
    EXPECT_EQ(ShownUnits(-0.5), std::nullopt);
    EXPECT_EQ(ShownUnits(-0.0), "0");
    EXPECT_EQ(ShownUnits(2.5), "2");
    const RowFigures a = AnalyseRow(Bond(0), kStand, kHorizon, SystemClock());
    EXPECT_EQ(rows.Row(1).texts, (Texts{"nan", FormatFixed(a.duration, 8), FormatFixed(a.squareM, 8), "GOV-A",
                                        FormatFixed(a.ytm, 8), "95.00", "GOV-A name", "bad units"}));
    EXPECT_EQ(Of(rows.Row(1)), State(RowPicture::Problem, &Bond(0), nullptr));
    EXPECT_EQ(rows.Text(2, RowColumn::Units) + "|" + rows.Text(2, RowColumn::Status), "-0|bad units");
    EXPECT_EQ(Of(rows.Row(2)), State(RowPicture::Problem, nullptr, nullptr));
    EXPECT_EQ(rows.Text(3, RowColumn::Units) + "|" + rows.Text(3, RowColumn::Status), "-inf|bad units");
    EXPECT_EQ(rows.FirstExcluded(), 1);
    const std::vector<PortfolioEntry> saved = rows.Entries();
    EXPECT_TRUE(std::isnan(saved[1].units));
    EXPECT_EQ(saved[2], (PortfolioEntry{"NOPE", -0.5}));

    // A new price through the good row reaches the bad one's figures, not its status.
    rows.Update(0, "10", "96", 96.0, SystemClock());
    EXPECT_EQ(rows.Text(1, RowColumn::YTM), rows.Text(0, RowColumn::YTM));
    EXPECT_EQ(rows.Text(1, RowColumn::Status), "bad units");
    EXPECT_EQ(Of(rows.Row(1)), State(RowPicture::Problem, &Bond(0), nullptr));

    // Whole units typed in: the row takes part, or shows why not.
    rows.Update(1, "4", "96", 96.0, SystemClock());
    Texts same = rows.Row(0).texts;
    same[0] = "4";
    same[static_cast<std::size_t>(RowColumn::Value)] = "384.00";
    EXPECT_EQ(rows.Row(1).texts, same);
    EXPECT_EQ(Of(rows.Row(1)), State(RowPicture::Ready, &Bond(0), &Bond(0)));
    EXPECT_EQ(rows.Entries()[1], (PortfolioEntry{"GOV-A", 4}));
    rows.Update(2, "1", "", 0.0, SystemClock());
    EXPECT_EQ(rows.Text(2, RowColumn::Status), "not found");
    EXPECT_EQ(Of(rows.Row(2)), State(RowPicture::NotFound, nullptr, nullptr));
    EXPECT_EQ(rows.FirstExcluded(), 2);
}

// What Calculate and Save use is read from the units text as it stands.
TEST_F(PortfolioRowsTest, ValuesAreReadFromTheTexts)
{
    const std::pair<std::string, double> cases[] = {{"15", 15},    {"", 0},    {" 12.5", 12.5}, {"7 units", 7},
                                                    {"1e3", 1000}, {"-2", -2}, {"abc", 0},      {"12,5", 12}};
    for (const auto& [text, value] : cases) {
        Add("GOV-A");
        rows.Update(rows.Count() - 1, text, "95.00", 95.0, SystemClock());
    }
    ASSERT_EQ(rows.Count(), int(std::size(cases)));
    for (int r = 0; r < rows.Count(); ++r) {
        const auto& [text, value] = cases[r];
        EXPECT_EQ(std::tuple(rows.Text(r, RowColumn::Units), rows.Units(r), rows.AllUnits()[std::size_t(r)],
                             rows.Entries()[std::size_t(r)]),
                  std::tuple(text, value, value, PortfolioEntry{"GOV-A", value}));
    }
    EXPECT_EQ(rows.Text(rows.Count(), RowColumn::Units), "");
}

TEST_F(PortfolioRowsTest, UpdateKeepsTheTextsAsTypedAndSharesANewPrice)
{
    Add("GOV-A", 10);
    Add("GOV-B", 5);
    Add("Gov-A", 20);
    rows.SetChanged(false);

    // The same price in other words, or one less than 1e-6 away, changes
    // nothing but the units.
    RowUpdate u = rows.Update(0, "15", "95.0000005", 95.0000005, SystemClock());
    EXPECT_EQ(std::tuple(u.unitsChanged, u.priceChanged, rows.Changed()), std::tuple(true, false, true));
    EXPECT_EQ(rows.Text(0, RowColumn::Price), "95.00");
    EXPECT_FLOAT_EQ(Bond(0).m_fPrice, 95.0f);

    rows.SetChanged(false);
    u = rows.Update(0, "15", "95.00", 95.0, SystemClock());
    EXPECT_FALSE(u.unitsChanged || u.priceChanged || rows.Changed());

    // A new price goes to the bond, and every row of it shows the new figures.
    const std::string ytmBefore = rows.Text(0, RowColumn::YTM);
    u = rows.Update(0, "", "97.5", 97.5, SystemClock());
    EXPECT_TRUE(u.unitsChanged && u.priceChanged && rows.Changed());
    EXPECT_FLOAT_EQ(Bond(0).m_fPrice, 97.5f);
    EXPECT_EQ(std::tuple(rows.Text(0, RowColumn::Units), rows.Text(0, RowColumn::Price)),
              std::tuple(std::string(), std::string("97.5")));
    EXPECT_NE(rows.Text(0, RowColumn::YTM), ytmBefore);
    for (RowColumn c : {RowColumn::YTM, RowColumn::Duration, RowColumn::SquareM, RowColumn::Price, RowColumn::Status})
        EXPECT_EQ(rows.Text(2, c), rows.Text(0, c));
    EXPECT_EQ(
        (std::vector{rows.Text(2, RowColumn::Units), rows.Text(2, RowColumn::ID), rows.Text(1, RowColumn::Price)}),
        (std::vector<std::string>{"20", "Gov-A", "99.00"}));

    // A price the payments cannot reach leaves both rows out of Calculate.
    rows.Update(2, "20", "100000", 100000.0, SystemClock());
    for (int r : {0, 2}) {
        EXPECT_EQ(std::tuple(rows.Text(r, RowColumn::Status), rows.Text(r, RowColumn::YTM)),
                  std::tuple(std::string("incompatible"), std::string()));
        EXPECT_EQ(Of(rows.Row(r)), State(RowPicture::Problem, &Bond(0), nullptr));
    }
    EXPECT_EQ(rows.FirstExcluded(), 0);
    EXPECT_EQ(rows.Row(1).picture, RowPicture::Ready);
}

// Each row with a bond is worth its units at the bond's stored price, which an
// update changes for every row of the bond; the rows are worth their sum.
TEST_F(PortfolioRowsTest, RowsShowTheirValueAndAddUpToTheTotal)
{
    Add("GOV-A", 3);
    Add("GOV-B", 2);
    Add("NOPE", 5);
    Add("OLD", 1);
    Add("gov-a", 4);
    const auto values = [this] {
        std::vector<std::string> shown;
        for (int r = 0; r < rows.Count(); ++r)
            shown.push_back(rows.Text(r, RowColumn::Value));
        return shown;
    };
    EXPECT_EQ(values(), (std::vector<std::string>{"285.00", "198.00", "", "99.00", "380.00"}));
    EXPECT_DOUBLE_EQ(rows.TotalValue(), 285.0 + 198.0 + 99.0 + 380.0);

    // Units as typed, a price shared with the other row of the bond.
    rows.Update(0, "2.5", "96.125", 96.125, SystemClock());
    EXPECT_EQ(values(), (std::vector<std::string>{"240.31", "198.00", "", "99.00", "384.50"}));
    EXPECT_DOUBLE_EQ(rows.TotalValue(), 2.5 * 96.125 + 198.0 + 99.0 + 4 * 96.125);
    rows.Update(1, "", "99.00", 99.0, SystemClock());
    EXPECT_EQ(rows.Text(1, RowColumn::Value), "0.00");
    // A value no number can hold shows nothing and adds nothing.
    rows.Update(3, "1e308", "99.00", 99.0, SystemClock());
    EXPECT_EQ(rows.Text(3, RowColumn::Value), "");
    EXPECT_DOUBLE_EQ(rows.TotalValue(), 2.5 * 96.125 + 4 * 96.125);

    SUGGESTION s;
    s.pBond = &Bond(1);
    ASSERT_TRUE(rows.Append(PortfolioRows::Suggested(s)));
    EXPECT_EQ(rows.Text(rows.Count() - 1, RowColumn::Value), "0.00");
    rows.Clear();
    EXPECT_EQ(rows.TotalValue(), 0.0);
}

TEST_F(PortfolioRowsTest, RowsComeAndGoInOrderUpToTwenty)
{
    EXPECT_FALSE(rows.Changed());
    Add("GOV-A");
    Add("NOPE");
    SUGGESTION s;
    s.pBond = &Bond(1);
    s.dYield = 0.03;
    ASSERT_TRUE(rows.Append(PortfolioRows::Suggested(s)));
    EXPECT_EQ(std::tuple(rows.Text(2, RowColumn::Units), rows.Text(2, RowColumn::YTM), rows.Text(2, RowColumn::Price)),
              std::tuple("0", "0.03000000", "99.00"));
    EXPECT_EQ(rows.Row(2).picture, RowPicture::Suggested);
    EXPECT_EQ(rows.ReadyBonds(), (std::vector<CBond*>{&Bond(0), nullptr, &Bond(1)}));
    EXPECT_EQ(rows.FirstExcluded(), 1);

    rows.SetChanged(false);
    rows.Remove(1);
    EXPECT_TRUE(rows.Changed());
    EXPECT_EQ(rows.Ids(), (std::vector<std::string>{"GOV-A", "GOV-B"}));
    EXPECT_EQ(rows.ReadyBonds(), (std::vector<CBond*>{&Bond(0), &Bond(1)}));
    EXPECT_EQ(rows.FirstExcluded(), std::nullopt);
    rows.Remove(5);
    EXPECT_EQ(rows.Count(), 2);

    while (!rows.Full())
        Add("GOV-B");
    EXPECT_EQ(rows.Count(), kPortfolioRows);
    EXPECT_FALSE(rows.Append(Lookup("GOV-A")));
    EXPECT_EQ(rows.Count(), kPortfolioRows);

    rows.SetChanged(false);
    rows.Clear();
    EXPECT_EQ(std::tuple(rows.Count(), rows.Changed()), std::tuple(0, true));
}

TEST_F(PortfolioRowsTest, DuplicatesAreFoundByTheIdentifiersShown)
{
    Add("GOV-A");
    Add("GOV-B");
    Add(" GOV-A ");
    Add("gov-b");
    EXPECT_EQ(rows.Duplicates(), (std::vector<std::pair<int, int>>{{0, 2}}));
}

} // namespace
} // namespace tenvix
