// Accrued interest against cases worked by hand from the schedule: the year
// fraction counts 1/12 a month and 1/365 a day, the coupons fall back from
// maturity in whole pay periods.

#include "model/accrued.h"
#include "model/bond.h"
#include "testbonds.h"

#include <gtest/gtest.h>

using namespace tenvix;
using test::Day;

namespace {

// A bond of face 100 maturing on 30 June 2030, prepared for `stand`.
std::unique_ptr<CBondStd> Ready(int period, float coupon, double stand)
{
    auto b = test::StdBond("A", period, coupon, 100.0f, 100.0f, Day(2000, 1, 1), Day(2030, 6, 30));
    b->SetDates(stand, stand + 3650);
    b->Prepare();
    return b;
}

// m_fFirst is a float: hand-worked figures hold to about 1e-7 of the coupon.
constexpr double kTol = 1e-6;

TEST(AccruedInterest, HalfAnAnnualPeriodRunIsHalfTheCoupon)
{
    // 30 December 2024 to 30 June 2030: 5.5 years; the next coupon in half a year.
    EXPECT_NEAR(AccruedInterest(*Ready(12, 5.0f, Day(2024, 12, 30))), 2.5, kTol);
}

TEST(AccruedInterest, OnACouponTimeNothingHasAccrued)
{
    for (const int period : {3, 6, 12}) {
        const auto b = Ready(period, 1.0f, Day(2025, 6, 30));
        EXPECT_FALSE(b->m_bBroken) << period;
        EXPECT_EQ(AccruedInterest(*b), 0.0) << period;
    }
    // A quarterly coupon time that is no annual one.
    EXPECT_EQ(AccruedInterest(*Ready(3, 1.25f, Day(2025, 3, 30))), 0.0);
}

TEST(AccruedInterest, QuarterlySemiAnnualAndAnnualPeriods)
{
    // 15 May 2025: T = 5 + 1/12 + 15/365. Quarterly: r = 1/12 + 15/365 of
    // tau = 1/4, so (tau - r) / tau = 2/3 - 12/73 = 110/219.
    EXPECT_NEAR(AccruedInterest(*Ready(3, 1.25f, Day(2025, 5, 15))), 1.25 * 110.0 / 219.0, kTol);
    // 20 April 2025: T = 5 + 2/12 + 10/365. Half-yearly: r = 2/12 + 10/365
    // of tau = 1/2, so (tau - r) / tau = 2/3 - 4/73 = 134/219.
    EXPECT_NEAR(AccruedInterest(*Ready(6, 2.5f, Day(2025, 4, 20))), 2.5 * 134.0 / 219.0, kTol);
    // The same day, annual: r = 2/12 + 10/365 of 1, so 1 - r = 5/6 - 2/73 = 353/438.
    EXPECT_NEAR(AccruedInterest(*Ready(12, 5.0f, Day(2025, 4, 20))), 5.0 * 353.0 / 438.0, kTol);
}

TEST(AccruedInterest, ADayBeforeMaturityAlmostTheWholeCoupon)
{
    const double stand = Day(2030, 6, 29);
    EXPECT_NEAR(AccruedInterest(*Ready(12, 5.0f, stand)), 5.0 * 364.0 / 365.0, kTol);
    EXPECT_NEAR(AccruedInterest(*Ready(6, 2.5f, stand)), 2.5 * (1.0 - 2.0 / 365.0), kTol);
    EXPECT_NEAR(AccruedInterest(*Ready(3, 1.25f, stand)), 1.25 * (1.0 - 4.0 / 365.0), kTol);
}

TEST(AccruedInterest, NoneWithoutASchedule)
{
    EXPECT_EQ(AccruedInterest(*Ready(12, 5.0f, Day(2030, 6, 30))), 0.0);  // on maturity
    EXPECT_EQ(AccruedInterest(*Ready(12, 5.0f, Day(2031, 1, 15))), 0.0);  // after it
    EXPECT_EQ(AccruedInterest(*Ready(12, 0.0f, Day(2024, 12, 30))), 0.0); // a zero coupon
    EXPECT_EQ(AccruedInterest(*Ready(0, 5.0f, Day(2024, 12, 30))), 0.0);  // no pay period
}

TEST(AccruedInterest, TypeIIHasNoneTypeIThroughTheBaseTheSame)
{
    auto free = test::FreeBond("F", 99.0f, {{Day(2026, 1, 1), 5.0f}, {Day(2027, 1, 1), 105.0f}});
    free->SetDates(Day(2025, 7, 1), Day(2030, 1, 1));
    free->Prepare();
    EXPECT_EQ(AccruedInterest(static_cast<const CBond&>(*free)), 0.0);

    const auto typeI = Ready(12, 5.0f, Day(2024, 12, 30));
    EXPECT_EQ(AccruedInterest(static_cast<const CBond&>(*typeI)), AccruedInterest(*typeI));
}

// What accrued interest is for: at a fixed yield the valued price drops by the
// coupon when it is paid, the price less the accrued interest does not.
TEST(AccruedInterest, TheCleanPriceDoesNotJumpAtACouponTime)
{
    const double y = 0.04;
    const auto cleanAndDirty = [&](double stand) {
        auto b = Ready(6, 2.5f, stand);
        b->m_fPrice = 0.0f;
        const double dirty = b->PriceGap(y);
        return std::pair{dirty - AccruedInterest(*b), dirty};
    };
    const auto [cleanBefore, dirtyBefore] = cleanAndDirty(Day(2025, 6, 29));
    const auto [cleanAfter, dirtyAfter] = cleanAndDirty(Day(2025, 7, 1));
    EXPECT_NEAR(dirtyBefore - dirtyAfter, 2.5, 0.05);
    EXPECT_NEAR(cleanBefore, cleanAfter, 0.05);
}

} // namespace

namespace {

TEST(AccruedInterest, OnAStandDayLeavesTheRecordAsItWas)
{
    auto b = Ready(12, 5.0f, Day(2025, 4, 20));
    const CBondStd before = *b;
    EXPECT_NEAR(AccruedInterestOn(*b, DaySerial(Day(2024, 12, 30))), 2.5, kTol);
    EXPECT_EQ(b->m_nStandDate, before.m_nStandDate);
    EXPECT_EQ(b->m_fFirst, before.m_fFirst);
    EXPECT_EQ(AccruedInterestOn(*b, b->m_nStandDate), AccruedInterest(*b));

    const auto free = test::FreeBond("F", 99.0f, {{Day(2026, 1, 1), 5.0f}});
    EXPECT_EQ(AccruedInterestOn(*free, DaySerial(Day(2025, 7, 1))), 0.0);
}

} // namespace
