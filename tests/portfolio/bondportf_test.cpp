// The composite bond: a portfolio must value exactly like the pooled cashflow
// stream it stands for, and refuse what cannot be valued.

#include "../model/testbonds.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliomessages.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::ScriptedBond;
using test::StdBond;

const double kStand = Day(2021, 3, 10);
const double kHorizon = Day(2026, 3, 10);

PortfolioFigures Portfolio(std::vector<CBond*> bonds, std::vector<double> units)
{
    return CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
}

// Duration and Square-M of one bond at a yield, weighted by a value.
std::pair<double, double> Weights(CBond& b, double ytm, double value)
{
    double d = 0, m2 = 0;
    b.GetDurationM2(ytm, value, d, m2);
    return {d, m2};
}

std::unique_ptr<CBondStd> Bond2030() { return StdBond("A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)); }

// Two payment streams held in whole units are one stream: the composite must
// give the figures of a single bond that pays and costs the sums.
TEST(CBondPortf, FiguresAreThoseOfThePooledStream)
{
    auto x = FreeBond("X", 90.0f, {{Day(2022, 3, 10), 10.0f}, {Day(2024, 9, 10), 110.0f}});
    auto y = FreeBond("Y", 75.5f, {{Day(2023, 3, 10), 4.0f}, {Day(2028, 3, 10), 104.0f}});
    auto pooled = FreeBond(
        "P", 3 * 90.0f + 2 * 75.5f,
        {{Day(2022, 3, 10), 30.0f}, {Day(2024, 9, 10), 330.0f}, {Day(2023, 3, 10), 8.0f}, {Day(2028, 3, 10), 208.0f}});
    const PortfolioFigures p = Portfolio({x.get(), y.get()}, {3.0, 2.0});
    ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
    EXPECT_NEAR(p.ytm, AnalyseRow(*pooled, kStand, kHorizon, SystemClock()).ytm, 1e-8);
    const auto [d, m2] = Weights(*pooled, p.ytm, pooled->m_fPrice);
    EXPECT_NEAR(p.duration, d, 1e-12);
    EXPECT_NEAR(p.squareM, m2, 1e-11);

    // The same bond in two rows is one row with the sum.
    const PortfolioFigures split = Portfolio({x.get(), y.get(), x.get()}, {1.0, 2.0, 2.0});
    for (const auto& [got, want] :
         {std::pair{split.ytm, p.ytm}, {split.duration, p.duration}, {split.squareM, p.squareM}})
        EXPECT_NEAR(got, want, 1e-10);
}

TEST(CBondPortf, NegligibleUnitsStayOutOfTheGapButCountInTheValue)
{
    auto a = Bond2030();
    auto b = StdBond("B", 12, 9.0f, 100.0f, 120.0f, Day(2015, 7, 1), Day(2024, 7, 1));
    // One member alone solves to the bond's own yield.
    const PortfolioFigures alone = Portfolio({a.get()}, {10.0});
    EXPECT_NEAR(alone.ytm, AnalyseRow(*a, kStand, kHorizon, SystemClock()).ytm, 1e-6);
    for (double tiny : {0.0001, 0.0}) {
        const PortfolioFigures p = Portfolio({a.get(), b.get()}, {10.0, tiny});
        ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
        EXPECT_EQ(p.ytm, alone.ytm) << tiny; // the very same search
        const double value = 10.0 * a->m_fPrice + tiny * b->m_fPrice;
        const auto [da, ma] = Weights(*a, p.ytm, value);
        const auto [db, mb] = Weights(*b, p.ytm, value);
        EXPECT_NEAR(p.duration, 10.0 * da + tiny * db, 1e-14);
        EXPECT_NEAR(p.squareM, 10.0 * ma + tiny * mb, 1e-12);
    }
    // Just above the threshold the member takes part.
    EXPECT_NE(Portfolio({a.get(), b.get()}, {10.0, 0.00011}).ytm, alone.ytm);

    // A refusing member with negligible units is never asked.
    ScriptedBond refusing;
    refusing.m_fPrice = 50.0f;
    EXPECT_EQ(Portfolio({a.get(), &refusing}, {10.0, 0.0001}).outcome, PortfolioOutcome::Ready);
    EXPECT_EQ(refusing.calls, 0);
    EXPECT_EQ(Portfolio({a.get(), &refusing}, {10.0, 0.001}).outcome, PortfolioOutcome::BadYtm);
}

TEST(CBondPortf, ValidateReportsUnitsAndMembersInOrder)
{
    ScriptedBond a, b, c;
    CBond* bonds[] = {&a, &b, &c};
    CBondPortf p(SystemClock());
    p.m_ppBonds = bonds;
    p.m_nCount = 3;
    auto validate = [&](std::vector<double> units) {
        p.m_pUnits = units.data();
        return p.Validate();
    };
    EXPECT_EQ(validate({1, 0, 0}), 0);
    EXPECT_EQ(validate({0, 0, 0}), -1);
    EXPECT_EQ(validate({5, -1, 5}), -1);      // negative, though the sum is positive
    EXPECT_EQ(validate({5e-9, 4e-9, 0}), -1); // a sum below 1e-8 is no units
    EXPECT_EQ(validate({5e-9, 6e-9, 0}), 0);
    b.code = BOND_STAND_AFTER_HORIZON;
    EXPECT_EQ(validate({1, 1, 1}), 2);   // code 11 refuses a member too
    EXPECT_EQ(validate({1, -1, 1}), 2);  // its check comes before its units
    EXPECT_EQ(validate({-1, 1, 1}), -1); // an earlier negative comes first
    b.code = BOND_OK;
    c.code = BOND_PRICE_TOO_HIGH;
    EXPECT_EQ(validate({0, 0, 0}), 3);

    auto live = Bond2030();
    auto old = StdBond("OLD", 12, 4.0f, 100.0f, 95.0f, Day(2005, 7, 1), Day(2020, 7, 1));
    EXPECT_EQ(Portfolio({}, {}).outcome, PortfolioOutcome::NoUnits);
    const PortfolioFigures refused = Portfolio({live.get(), old.get()}, {1.0, 1.0});
    EXPECT_EQ(refused.outcome, PortfolioOutcome::MemberIncompatible);
    EXPECT_EQ(refused.member, 2);
}

TEST(CBondPortf, SolverBudgetIsThePortfolios)
{
    // A gap that never closes, and a clock that jumps a second on every read:
    // a bond's 1900 ms are gone at the first look, a portfolio's 7000 ms are
    // not. Started at 1000, it gives up at the first look past 7000 ms.
    ScriptedBond flat([](double y) { return y < 0.3 ? 1.0 : -1.0; });
    CBond* bonds[] = {&flat};
    const double units[] = {1.0};
    test::ScriptedClock clock([](int n) { return 1000 * (n + 1); });
    EXPECT_EQ(CalculatePortfolio(bonds, units, kStand, kHorizon, clock).outcome, PortfolioOutcome::BadYtm);
    EXPECT_EQ(clock.reads, 9);
}

TEST(RowAnalysis, Statuses)
{
    auto live = Bond2030();
    const RowFigures ready = AnalyseRow(*live, kStand, kHorizon, SystemClock());
    ASSERT_EQ(ready.status, RowStatus::Ready);
    EXPECT_EQ(std::pair(ready.duration, ready.squareM), Weights(*live, ready.ytm, live->m_fPrice));

    // Stand date on the horizon: the yield would exist, the row is refused.
    EXPECT_EQ(AnalyseRow(*live, kStand, kStand + 0.9, SystemClock()).status, RowStatus::Incompatible);
    ScriptedBond refusing;
    const RowFigures bad = AnalyseRow(refusing, kStand, kHorizon, SystemClock());
    EXPECT_EQ(std::pair(bad.status, bad.ytm), std::pair(RowStatus::BadYtm, 0.0));
    EXPECT_STREQ(StatusText(bad.status), "bad YTM");

    // Update re-analyses with the dates the row was added with.
    AnalyseRow(*live, kStand, kHorizon, SystemClock());
    live->m_fPrice = 80.0f;
    const RowFigures again = ReanalyseRow(*live, SystemClock());
    EXPECT_EQ(again.status, RowStatus::Ready);
    EXPECT_GT(again.ytm, ready.ytm);
    EXPECT_EQ(live->m_nStandDate, DaySerial(kStand));
}

TEST(RowAnalysis, LookupIgnoresCaseAndTakesTheFirst)
{
    CBondList list;
    for (const char* id : {"gov-2030", "GOV-2030", "\xc3\x89MIS"})
        list.m_list.push_back(StdBond(id, 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)));
    EXPECT_EQ(FindBondByID(list.m_list, "Gov-2030"), list.m_list.front().get());
    EXPECT_EQ(FindBondByID(list.m_list, "\xc3\xa9mis"), list.m_list.back().get());
    EXPECT_EQ(FindBondByID(list.m_list, "GOV-2030 "), nullptr);
    EXPECT_EQ(FindBondByID(list.m_list, ""), nullptr);
}

} // namespace
} // namespace tenvix
