// The horizon value drawn from an explanation alone is the one the bonds
// give: for every bond of the sample and for a portfolio of them.

#include "../model/testbonds.h"
#include "examples/sample_data.h"
#include "model/explain.h"
#include "portfolio/core/horizonvalue.h"
#include "portfolio/core/portfexplain.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;

const double kStand = Day(2025, 6, 30);
const double kHorizon = Day(2032, 6, 30);

void ExpectSamePoints(const std::vector<ShiftPoint>& bonds, const std::vector<ShiftPoint>& explained,
                      const std::string& what)
{
    ASSERT_EQ(explained.size(), bonds.size()) << what;
    for (std::size_t k = 0; k < bonds.size(); ++k) {
        EXPECT_EQ(std::tuple(explained[k].shiftBp, explained[k].yield), std::tuple(bonds[k].shiftBp, bonds[k].yield))
            << what;
        EXPECT_NEAR(explained[k].horizonValue, bonds[k].horizonValue, 1e-8) << what << " " << bonds[k].shiftBp;
        EXPECT_NEAR(explained[k].changePercent, bonds[k].changePercent, 1e-8) << what << " " << bonds[k].shiftBp;
    }
}

TEST(HorizonValues, AnExplanationGivesWhatItsBondsGive)
{
    CBondList list = MakeSampleDatabase();
    std::vector<CBond*> ready;
    std::vector<double> units;
    for (const auto& owned : list.m_list) {
        CBond* bond = owned.get();
        const RowFigures row = AnalyseRow(*bond, kStand, kHorizon, SystemClock());
        if (row.status != RowStatus::Ready)
            continue;
        CBond* const one[] = {bond};
        const double unit[] = {1.0};
        ExpectSamePoints(HorizonValues(one, unit, row.ytm, YearFraction(kHorizon, kStand), -300, 300, 25),
                         HorizonValues(ExplainBond(*bond, row.ytm, static_cast<double>(bond->m_fPrice)), -300, 300, 25),
                         bond->m_strID);
        ready.push_back(bond);
        units.push_back(static_cast<double>(ready.size() % 4) * 10.0);
    }
    ASSERT_GE(ready.size(), 20u);

    const PortfolioExplanation p = ExplainPortfolio(ready, units, kStand, kHorizon, SystemClock());
    ASSERT_EQ(p.figures.outcome, PortfolioOutcome::Ready);
    const std::vector<ShiftPoint> pooled = HorizonValues(p.explanation, -300, 300, 25);
    ExpectSamePoints(HorizonValues(ready, units, p.figures.ytm, YearFraction(kHorizon, kStand), -300, 300, 25), pooled,
                     "portfolio");
    ASSERT_EQ(pooled.size(), 25u);
    EXPECT_EQ(pooled[12].changePercent, 0.0);
}

// A zero paying 100 ten years on, bought at 60, yields y = (100 / 60)^(1/10) - 1;
// at a yield y' its value at H = 7 years is 100 (100 / 60) (1 + y')^(7 - 10)
// per 100 invested: a bond longer than the horizon loses steadily as the
// yield rises.
TEST(HorizonValues, ALongZeroAgainstValuesWorkedOutByHand)
{
    auto zero = test::FreeBond("LONG", 60.0f, {{Day(2035, 6, 30), 100.0f}});
    const RowFigures row = AnalyseRow(*zero, kStand, kHorizon, SystemClock());
    CBond* const one[] = {zero.get()};
    const double unit[] = {1.0};
    const std::vector<ShiftPoint> points =
        HorizonValues(one, unit, row.ytm, YearFraction(kHorizon, kStand), -300, 300, 25);
    ASSERT_EQ(points.size(), 25u);
    const double y = std::pow(100.0 / 60.0, 1.0 / 10) - 1;
    const double at0 = 100 * (100 / 60.0) * std::pow(1 + y, -3.0);
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double shift = -300.0 + 25.0 * static_cast<double>(k);
        const double value = 100 * (100 / 60.0) * std::pow(1 + y + shift / 10000, -3.0);
        // The engine's yield is found to its tolerance, not exactly.
        EXPECT_NEAR(points[k].yield, y + shift / 10000, 2e-6) << shift;
        EXPECT_NEAR(points[k].horizonValue, value, 2e-6) << shift;
        EXPECT_NEAR(points[k].changePercent, 100 * (value / at0 - 1), 2e-6) << shift;
    }
}

// Zeros at two and twenty years with the horizon at their duration:
// whichever way the yield moves, the value at the horizon gains.
TEST(HorizonValues, ABarbellHoldingTheHorizonGainsEitherWay)
{
    auto z2 = test::FreeBond("Z2", 92.0f, {{Day(2027, 6, 30), 100.0f}});
    auto z20 = test::FreeBond("Z20", 46.0f, {{Day(2045, 6, 30), 100.0f}});
    CBond* const bonds[] = {z2.get(), z20.get()};
    const double units[] = {2.0, 1.0};
    const PortfolioFigures p = CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
    ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
    const std::vector<ShiftPoint> points = HorizonValues(bonds, units, p.ytm, p.duration, -300, 300, 25);
    ASSERT_EQ(points.size(), 25u);
    for (const ShiftPoint& point : points)
        EXPECT_GE(point.changePercent, 0.0) << point.shiftBp;
    EXPECT_GT(points.front().changePercent, 0.1);
    EXPECT_GT(points.back().changePercent, 0.1);
}

TEST(HorizonValues, YieldsAtOrBelowMinusAHundredPercentAreLeftOut)
{
    Explanation e;
    e.ytm = -0.9812;
    e.price = 100.0;
    e.horizonYears = 2.0;
    e.payments.push_back({});
    e.payments.back().years = 1.0;
    e.payments.back().amount = 1.5;
    const std::vector<ShiftPoint> points = HorizonValues(e, -300, 300, 25);
    ASSERT_EQ(points.size(), 25u - 5u); // -300 to -200 take it below -100 %
    EXPECT_EQ(points.front().shiftBp, -175.0);
    for (const ShiftPoint& p : points)
        EXPECT_TRUE(std::isfinite(p.changePercent));

    // The bonds themselves leave out the same shifts, however far down the
    // range is asked to go.
    auto zero = test::FreeBond("Z", 90.0f, {{Day(2027, 6, 30), 100.0f}});
    CBond* const bonds[] = {zero.get()};
    const double units[] = {1.0};
    const PortfolioFigures p = CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
    ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
    const std::vector<ShiftPoint> held = HorizonValues(bonds, units, p.ytm, 2.0, -20000, 0, 500);
    ASSERT_EQ(held.size(), 22u); // -20000 to -11000 take it below -100 %
    EXPECT_EQ(held.front().shiftBp, -10500.0);
    for (const ShiftPoint& point : held)
        EXPECT_TRUE(std::isfinite(point.changePercent)) << point.shiftBp;

    e.price = 0.0;
    EXPECT_TRUE(HorizonValues(e, -300, 300, 25).empty());
    EXPECT_TRUE(HorizonValues(Explanation{}, -300, 300, 25).empty());
}

} // namespace
} // namespace tenvix
