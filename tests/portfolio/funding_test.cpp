// How payments fund a schedule (the grace, the reinvestment, what pays after
// the last date), the ladder's cash in whole cents, and the screen's rule
// for bonds an earlier identifier hides.

#include "model/date.h"
#include "portfolio/core/fund.h"
#include "portfolio/core/funding.h"
#include "portfolio/core/ladder.h"
#include "tests/model/testbonds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;

Liability Owe(double date, double amount) { return {DaySerial(date), amount}; }

TEST(FundingGrid, APaymentFundsTheFirstLiabilityDueNoEarlierThanAHundredthOfAYearBefore)
{
    const double stand = Day(2026, 1, 15);
    const FundingGrid grid({Owe(Day(2027, 1, 15), 1), Owe(Day(2028, 1, 15), 1)}, stand, 0.0);
    ASSERT_EQ(grid.Count(), 2u);
    EXPECT_EQ(grid.Years(0), 1.0);
    EXPECT_EQ(grid.FundedBy(0.2), 0u);
    EXPECT_EQ(grid.FundedBy(1.0), 0u);
    EXPECT_EQ(grid.FundedBy(1.0 + 0.0099), 0u);
    EXPECT_EQ(grid.FundedBy(1.0 + 0.0101), 1u);
    EXPECT_EQ(grid.FundedBy(2.0 + 0.0101), 2u); // after the last: funds nothing
    // Growth between the dates, and a payment's worth on its liability's:
    // more when paid before, less when paid within the grace after.
    const FundingGrid at5({Owe(Day(2027, 1, 15), 1), Owe(Day(2028, 1, 15), 1)}, stand, 0.05);
    EXPECT_DOUBLE_EQ(at5.Growth(0), 1.05);
    EXPECT_DOUBLE_EQ(at5.Growth(1), 1.05);
    EXPECT_DOUBLE_EQ(at5.Worth(100, 0.5, 0), 100 * std::pow(1.05, 0.5));
    EXPECT_LT(at5.Worth(100, 1.005, 0), 100.0);
    EXPECT_EQ(grid.Worth(100, 0.5, 0), 100.0);
}

TEST(FundingGrid, AMonthEndCouponPaysTheLiabilityOfItsCalendarDate)
{
    // Counted back from 31 August 2030 in twelfths of a year, the coupon of
    // 28 February 2027 lands 0.0082 years after that date as the year
    // fraction counts it: within the grace, it pays that date's liability.
    const double stand = Day(2026, 1, 31);
    auto bond = test::StdBond("MONTHEND", 6, 2.0f, 100.0f, 99.0f, Day(2020, 8, 31), Day(2030, 8, 31));
    const double horizon = Day(2027, 2, 28);
    const std::vector<PaymentColumn::Flow> flows = PaymentsOf(*bond, stand, horizon);
    ASSERT_FALSE(flows.empty());
    const FundingGrid grid({Owe(horizon, 1000)}, stand, 0.0);
    const LadderHolding one{1.0, flows};
    const Ladder ladder = WalkLadder(grid, 0.0, std::span(&one, 1));
    ASSERT_EQ(ladder.rows.size(), 1u);
    // The coupons of February and August 2026 and of February 2027 (which
    // without the grace would be paid after), the rest after.
    EXPECT_EQ(ladder.rows[0].inflow, 6.0);
    EXPECT_EQ(ladder.after, 100.0 + 2.0 * 7);
    const FundingColumn column = FundingOf(flows, grid);
    EXPECT_EQ(column.first, 0u);
    ASSERT_EQ(column.worth.size(), 1u);
    EXPECT_EQ(column.worth[0], 6.0);
}

TEST(Ladder, TheCashNeededIsTheLeastInWholeCents)
{
    const double stand = Day(2026, 1, 15);
    for (const double rho : {0.0, 0.031}) {
        const FundingGrid grid({Owe(Day(2027, 1, 15), 1000.004), Owe(Day(2029, 3, 1), 2500.5)}, stand, rho);
        const std::vector<PaymentColumn::Flow> flows = {{0.5, 300.0, 0.0}, {1.9, 1200.0, 0.0}};
        const LadderHolding held{1.5, flows};
        const double cash = CashNeeded(grid, std::span(&held, 1));
        EXPECT_EQ(cash, std::round(cash * 100) / 100) << rho;
        for (const LadderRow& row : WalkLadder(grid, cash, std::span(&held, 1)).rows)
            EXPECT_GE(row.surplus, 0.0) << rho;
        const Ladder less = WalkLadder(grid, cash - 0.01, std::span(&held, 1));
        EXPECT_TRUE(std::any_of(less.rows.begin(), less.rows.end(), [](const LadderRow& r) { return r.surplus < 0; }))
            << rho;
    }
}

TEST(Fund, NeverBuysABondAnEarlierIdentifierHides)
{
    // A portfolio file names a bond by its identifier, and a lookup finds the
    // first bond that has it regardless of case: the cheaper second "z1"
    // could never be bought back.
    CBondList list;
    list.m_list.push_back(test::FreeBond("Z1", 98.0f, {{Day(2027, 1, 15), 100.0f}}));
    list.m_list.push_back(test::FreeBond("z1", 90.0f, {{Day(2027, 1, 15), 100.0f}}));
    const FundResult r =
        FundList(list.m_list, {Owe(Day(2027, 1, 15), 1000)}, Day(2026, 1, 15), {}, {}, SystemClock());
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].id, "Z1");
    EXPECT_EQ(r.cost, 980.0);
}

} // namespace
} // namespace tenvix
