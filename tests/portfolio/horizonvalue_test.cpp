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

    e.price = 0.0;
    EXPECT_TRUE(HorizonValues(e, -300, 300, 25).empty());
    EXPECT_TRUE(HorizonValues(Explanation{}, -300, 300, 25).empty());
}

} // namespace
} // namespace tenvix
