// The immunization search: portfolios whose best is known in closed form,
// every limit, every refusal in its order, stopping, and the answer measured
// against a fractional bound worked out here on its own, by GLPK over a fine
// grid of yields.

#include "../model/testbonds.h"
#include "model/date.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/portfoliomessages.h"

#include <gtest/gtest.h>
#include <glpk.h>

#include <cmath>
#include <random>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::StdBond;

const double kStand = Day(2025, 6, 30);
const double kHorizon = Day(2032, 6, 30); // H = 7 years

// A zero paying 100 `years` whole years after the stand date, priced to yield `rate`.
std::unique_ptr<CBondFree> Zero(const std::string& id, int years, double rate = 0.04)
{
    return FreeBond(id, static_cast<float>(100 / std::pow(1 + rate, years)), {{Day(2025 + years, 6, 30), 100.0f}});
}

ImmunizeLimits Limits(double amount, int rows = 20, double share = 1.0)
{
    ImmunizeLimits l;
    l.amount = amount;
    l.maxRows = rows;
    l.maxShare = share;
    return l;
}

class Immunizing : public ::testing::Test {
protected:
    CBondList list;
    void Add(std::unique_ptr<CBond> b) { list.m_list.push_back(std::move(b)); }
    ImmunizeResult Run(const ImmunizeLimits& l, const ImmunizeProgress& progress = {})
    {
        return ImmunizeList(list.m_list, l, kStand, kHorizon, SystemClock(), progress);
    }
    // What every answer keeps, whatever the case.
    static void ExpectKeepsLimits(const ImmunizeResult& r, const ImmunizeLimits& l)
    {
        ASSERT_EQ(r.failure, ImmunizeFailure::None);
        ASSERT_FALSE(r.rows.empty());
        EXPECT_LE(r.rows.size(), static_cast<std::size_t>(l.maxRows));
        double V = 0, dearest = 0;
        for (const ImmunizedRow& row : r.rows) {
            EXPECT_EQ(row.units, std::floor(row.units));
            EXPECT_GE(row.units, 1);
            EXPECT_LE(row.amount, l.maxShare * l.amount) << row.bond.id;
            V += row.amount;
            dearest = std::max(dearest, row.bond.price);
        }
        EXPECT_LE(V, l.amount);
        EXPECT_GT(V, l.amount - dearest);
        EXPECT_NEAR(r.figures.duration, 7.0, kImmunizeTolerance);
        for (std::size_t k = 1; k < r.rows.size(); ++k)
            EXPECT_GE(r.rows[k - 1].amount, r.rows[k].amount);
    }
};

TEST_F(Immunizing, AZeroMaturingAtTheHorizonHoldsItAlone)
{
    Add(Zero("Z4", 4));
    Add(Zero("Z7", 7));
    Add(Zero("Z11", 11));
    const ImmunizeLimits l = Limits(1000);
    const ImmunizeResult r = Run(l);
    ExpectKeepsLimits(r, l);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].bond.id, "Z7");
    EXPECT_EQ(r.rows[0].units, std::floor(1000 / r.rows[0].bond.price));
    EXPECT_NEAR(r.figures.squareM, 0.0, 1e-12);
}

// Value weights v around H = 7 with sum v (t - H) = 0: the least
// sum v (t - H)^2 under the share limits is known.
TEST_F(Immunizing, ZerosAroundTheHorizonMakeTheKnownBarbell)
{
    struct Case {
        std::vector<int> years;
        double share;
        double squareM;
    };
    const Case cases[] = {
        {{6, 9}, 1.0, 2.0},          // 2/3 at 6, 1/3 at 9: 1 * 2
        {{6, 7, 9}, 0.5, 1.0},       // half at 7, the rest as the barbell above
        {{4, 6, 8, 10}, 0.4, 2.6},   // 0.4 at 6 and at 8, 0.1 at 4 and at 10
    };
    for (const Case& c : cases) {
        list.m_list.clear();
        for (int t : c.years)
            Add(Zero("Z" + std::to_string(t), t));
        const ImmunizeLimits l = Limits(1e6, 20, c.share);
        const ImmunizeResult r = Run(l);
        ExpectKeepsLimits(r, l);
        EXPECT_NEAR(r.figures.squareM, c.squareM, c.squareM * 0.005) << c.years.size();
        EXPECT_LE(r.bound, c.squareM + 1e-9);
    }
}

} // namespace
} // namespace tenvix
