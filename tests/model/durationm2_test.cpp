// The engine's yield, duration and Square-M against figures computed
// independently, and its yield solver against prices it made itself.
//
// The reference figures are QuantLib 1.29's (Debian's quantlib-python) for
// the same payments: CashFlows.yieldRate, .duration (Macaulay) and .convexity
// under annual compounding, on a 30/360 bond basis, which for payments on the
// stand date's day of the month gives the same year fractions as the engine.
// QuantLib has no Square-M; it follows from its figures as
//   M2 = C (1 + y)^2 - D - 2 H D + H^2,
// since its convexity C is the sum of w t (t + 1) / (1 + y)^2 over the
// payments' present-value weights w. Prices are the records' float32 values.

#include "model/analysiscalc.h"
#include "model/bond.h"
#include "model/date.h"
#include "model/format.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;

struct Reference {
    double ytm;
    double duration;
    double squareM;
};

// The yield within what the solver's tolerance on the price gap (1e-6)
// allows; the duration and Square-M, which that gap would move in the eighth
// decimal, at the reference's own yield, where they must agree to the last.
void ExpectFigures(CBond& b, double stand, double horizon, const Reference& want)
{
    b.SetDates(stand, horizon);
    b.Prepare();
    ASSERT_EQ(b.Validate(), BOND_OK);
    EXPECT_NEAR(b.GetYTM(SystemClock()), want.ytm, 1e-9);
    double d = 0, m2 = 0;
    b.GetDurationM2(want.ytm, b.m_fPrice, d, m2);
    EXPECT_NEAR(d, want.duration, 1e-10);
    EXPECT_NEAR(m2, want.squareM, 1e-10);
}

TEST(ReferenceFigures, TypeIAgreesWithQuantLib)
{
    // 2.5 a half year on 100, to 2032-05-15, bought three months before a coupon.
    auto semi = test::StdBond("S", 6, 2.5f, 100.0f, 97.10f, Day(2022, 5, 15), Day(2032, 5, 15));
    ExpectFigures(*semi, Day(2025, 2, 15), Day(2030, 2, 15), {0.057868372689, 6.064817022768, 5.644772361371});
    // 4.75 a year on 100, to 2034-07-04, bought half a year before a coupon, above par.
    auto annual = test::StdBond("A", 12, 4.75f, 100.0f, 114.20f, Day(2003, 7, 4), Day(2034, 7, 4));
    ExpectFigures(*annual, Day(2026, 1, 4), Day(2033, 1, 4), {0.031407707601, 7.125719800152, 6.077062232019});
}

TEST(ReferenceFigures, TypeIIAndThePaymentWindowAgreeWithQuantLib)
{
    const Reference want{0.061278992399, 2.888556718738, 3.875505670804};
    const double stand = Day(2025, 9, 15), horizon = Day(2029, 9, 15);
    auto free =
        test::FreeBond("F", 96.40f, {{Day(2026, 3, 15), 20.0f}, {Day(2027, 9, 15), 35.0f}, {Day(2030, 3, 15), 60.0f}});
    ExpectFigures(*free, stand, horizon, want);

    // The same payments typed into the cashflow window, priced at the record's float.
    const std::vector<GridRow> grid = {{"20", "2026-03-15"}, {"35", "2027-09-15"}, {"60", "2030-03-15"}};
    const AnalysisResult r = CalculateAnalysis(
        {FormatShortest(static_cast<double>(96.40f)), grid, stand, horizon, YearMethod::CalendarParts, true},
        test::kIso, SystemClock());
    ASSERT_TRUE(r.Ok());
    // Its tolerance of 1e-7 on the gap leaves all three within the eighth decimal.
    EXPECT_NEAR(r.ytm, want.ytm, 5e-9);
    EXPECT_NEAR(r.duration, want.duration, 5e-9);
    EXPECT_NEAR(r.squareM, want.squareM, 5e-9);
}

// Price a bond at a yield, store the price as a record does, and solve for
// the yield again: over coupons, periods, lives and yields from a twentieth
// of a percent to twenty percent, the solver comes back to the yield within
// what the float price's rounding and its tolerance on the gap allow.
TEST(YieldSolver, PriceToYieldToPriceOverAGrid)
{
    const double stand = Day(2026, 3, 1), horizon = Day(2031, 3, 1);
    for (int period : {1, 3, 6, 12})
        for (float coupon : {0.0f, 0.5f, 2.0f, 6.0f})
            for (int years : {1, 4, 10, 30})
                for (double y0 : {0.0005, 0.01, 0.03, 0.08, 0.2}) {
                    auto b = test::StdBond("G", period, coupon * static_cast<float>(period) / 12.0f, 100.0f, 0.0f,
                                           Day(2020, 1, 17), Day(2026 + years, 1, 17));
                    b->SetDates(stand, horizon);
                    b->Prepare();
                    const double exact = b->PriceGap(y0); // the price is still 0
                    b->m_fPrice = static_cast<float>(exact);
                    const double y = b->GetYTM(SystemClock());
                    double d = 0, m2 = 0;
                    b->GetDurationM2(y0, exact, d, m2);
                    // dP/dy = -P D / (1 + y): a price off by dP moves the yield by this much.
                    const double slack = (std::fabs(b->m_fPrice - exact) + 1e-6) * (1 + y0) / (exact * d);
                    EXPECT_NEAR(y, y0, slack)
                        << period << " months, " << coupon << " a year, " << years << " years, " << y0;
                }
}

} // namespace
} // namespace tenvix
