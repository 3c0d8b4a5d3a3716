// Bond records: the Type I schedule, validation order, the Type II grid, and
// the valuation figures against sums written out independently.

#include "model/bond.h"
#include "model/date.h"
#include "model/solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

using namespace tenvix;

namespace {

double D(int y, int m, int d) { return *MakeDate(y, m, d); }

CBondStd MakeStd(int period, float coupon, float face, float price, double release, double maturity)
{
    CBondStd b(0);
    b.SetData(period, coupon, face, price, release, maturity, "S", "");
    return b;
}

CBondFree MakeFree(float price, double release, std::initializer_list<std::pair<double, float>> payments)
{
    CBondFree b(0);
    b.m_fPrice = price;
    b.m_nRelease = DaySerial(release);
    b.m_nMaturity = -750000;
    for (auto [date, amount] : payments) {
        b.m_cashflows.push_back({DaySerial(date), amount});
        b.m_nMaturity = std::max(b.m_nMaturity, DaySerial(date));
    }
    return b;
}

void Ready(CBond& b, double stand, double horizon)
{
    b.SetDates(stand, horizon);
    b.Prepare();
}

// The Type I payments written out one by one: coupons counted back from
// maturity in steps of the period, the face value at maturity.
double StdPresentValue(const CBondStd& b, double y)
{
    const double tau = b.m_nPeriodMonths / 12.0;
    const double T = b.m_fYears, r = b.m_fFirst;
    double pv = b.m_fFace * std::pow(1 + y, -T);
    const int coupons = b.m_nPeriods + b.m_bBroken;
    for (int k = 0; k < coupons; ++k) {
        const double t = b.m_bBroken ? r + k * tau : (k + 1) * tau;
        pv += b.m_fCoupon * std::pow(1 + y, -t);
    }
    return pv;
}

} // namespace

TEST(TypeISchedule, BrokenPeriod)
{
    CBondStd b = MakeStd(12, 5, 100, 100, D(2000, 1, 1), D(2005, 1, 1));
    Ready(b, D(2001, 1, 2), D(2003, 1, 1));
    EXPECT_EQ(b.m_fYears, static_cast<float>(4 - 1.0 / 365));
    EXPECT_EQ(b.m_nPeriods, 3);
    EXPECT_EQ(b.m_bBroken, 1);
    EXPECT_NEAR(b.m_fFirst, 0.99726, 1e-5);
    EXPECT_FLOAT_EQ(b.m_fPeriodsExact, 47.0f / 12);
}

TEST(TypeISchedule, WholePeriodsAreNotBroken)
{
    CBondStd b = MakeStd(6, 2, 100, 100, D(2000, 1, 1), D(2005, 7, 15));
    Ready(b, D(2002, 1, 15), D(2003, 1, 1));
    EXPECT_EQ(b.m_nPeriods, 7);
    EXPECT_EQ(b.m_bBroken, 0);
    EXPECT_EQ(b.m_fFirst, 0.0f);
    // A coupon due on the stand date itself is not counted: 7 coupons, the
    // first a whole period away.
    double pv = 100 * std::pow(1.05, -3.5);
    for (int k = 1; k <= 7; ++k)
        pv += 2 * std::pow(1.05, -0.5 * k);
    EXPECT_NEAR(b.PriceGap(0.05) + 100, pv, 1e-10);
}

TEST(TypeIValuation, PriceGapIsThePresentValueOfTheSchedule)
{
    const int periods[] = {1, 3, 6, 12, 24};
    const double stands[] = {D(2001, 1, 2), D(2001, 7, 1), D(2003, 2, 28), D(2004, 12, 31)};
    for (int period : periods)
        for (double stand : stands)
            for (double y : {0.001, 0.03, 0.0731, 0.5, 3.0}) {
                CBondStd b = MakeStd(period, 3.5f, 100, 97.25f, D(2000, 1, 1), D(2011, 6, 30));
                Ready(b, stand, stand + 400);
                const double expected = StdPresentValue(b, y) - 97.25f;
                EXPECT_NEAR(b.PriceGap(y), expected, 1e-10 * std::fabs(expected) + 1e-11)
                    << "period " << period << " stand " << stand << " y " << y;
            }
}

TEST(TypeIValuation, ParBondYieldsItsCoupon)
{
    // Annual: exactly the first trial.
    CBondStd annual = MakeStd(12, 5, 100, 100, D(2000, 1, 1), D(2010, 1, 1));
    Ready(annual, D(2000, 1, 1), D(2005, 1, 1));
    EXPECT_EQ(annual.GetYTM(), 0.05);
    // Semi-annual 3% a period: (1.03)^2 - 1.
    CBondStd semi = MakeStd(6, 3, 100, 100, D(2000, 1, 1), D(2010, 1, 1));
    Ready(semi, D(2000, 1, 1), D(2005, 1, 1));
    const double y = semi.GetYTM();
    EXPECT_NEAR(y, 1.03 * 1.03 - 1, 1e-8);
    EXPECT_LT(std::fabs(semi.PriceGap(y)), 1e-6);
}

TEST(TypeIValuation, DurationAndSquareMAgainstTheirDefinition)
{
    for (double stand : {D(2001, 1, 2), D(2002, 7, 1)}) {
        CBondStd b = MakeStd(6, 2.5f, 100, 96.5f, D(2000, 1, 1), D(2012, 7, 1));
        const double horizon = D(2006, 3, 15);
        Ready(b, stand, horizon);
        const double y = b.GetYTM();
        double dur = 0, m2 = 0;
        b.GetDurationM2(y, 96.5, dur, m2);

        const double tau = 0.5, T = b.m_fYears, r = b.m_fFirst, IH = YearFraction(horizon, stand);
        double expD = 0, expM2 = 0;
        for (int k = 0; k < b.m_nPeriods + b.m_bBroken; ++k) {
            const double t = b.m_bBroken ? r + k * tau : (k + 1) * tau;
            const double w = 2.5 * std::pow(1 + y, -t) / 96.5;
            const double dist = t - IH + (b.m_bBroken ? 0 : r);
            expD += w * t;
            expM2 += w * dist * dist;
        }
        const double wF = 100 * std::pow(1 + y, -T) / 96.5;
        const double q = YearFraction(horizon, b.m_nMaturity);
        expD += wF * T;
        expM2 += wF * q * q;
        EXPECT_NEAR(dur, expD, 1e-12 * expD);
        EXPECT_NEAR(m2, expM2, 1e-12 * expM2);
    }
}

TEST(TypeIValidate, OrderOfTheTests)
{
    // Price above every remaining payment beats a stand date after maturity.
    CBondStd b = MakeStd(12, 5, 100, 200, D(2000, 1, 1), D(2004, 1, 1));
    Ready(b, D(2005, 1, 1), D(2006, 1, 1));
    EXPECT_EQ(b.Validate(), BOND_PRICE_TOO_HIGH);
    b.m_fPrice = 90;
    b.Prepare();
    EXPECT_EQ(b.Validate(), BOND_STAND_AFTER_MATURITY);
    Ready(b, D(1999, 6, 1), D(2001, 1, 1));
    EXPECT_EQ(b.Validate(), BOND_STAND_BEFORE_RELEASE);
    Ready(b, D(2001, 6, 1), D(2001, 6, 1));
    EXPECT_EQ(b.Validate(), BOND_STAND_AFTER_HORIZON);
    Ready(b, D(2001, 6, 1), D(2001, 6, 2));
    EXPECT_EQ(b.Validate(), BOND_OK);
}

TEST(TypeIValidate, PriceEqualToTheUndiscountedTotalSolvesToNearlyZero)
{
    // 3 whole years, annual: 3 coupons of 5 and the face value.
    CBondStd b = MakeStd(12, 5, 100, 115, D(2000, 1, 1), D(2005, 1, 1));
    Ready(b, D(2002, 1, 1), D(2003, 1, 1));
    EXPECT_EQ(b.Validate(), BOND_OK);
    // The halving runs on until the yield is practically zero.
    const double y = b.GetYTM();
    EXPECT_GE(y, 0.0);
    EXPECT_LT(y, 1e-8);
}

TEST(TypeIValidate, UnusableTermsFromAHandMadeFile)
{
    for (int period : {0, -6}) {
        CBondStd b = MakeStd(period, 5, 100, 90, D(2000, 1, 1), D(2010, 1, 1));
        Ready(b, D(2002, 1, 1), D(2003, 1, 1)); // must not divide by zero
        EXPECT_EQ(b.Validate(), BOND_BAD_TERMS);
        EXPECT_EQ(b.GetYTM(), 0.0);
        EXPECT_EQ(b.m_nStatus, BOND_BAD_TERMS);
    }
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        CBondStd coupon = MakeStd(12, bad, 100, 90, D(2000, 1, 1), D(2010, 1, 1));
        CBondStd face = MakeStd(12, 5, bad, 90, D(2000, 1, 1), D(2010, 1, 1));
        for (CBondStd* b : {&coupon, &face}) {
            Ready(*b, D(2002, 1, 1), D(2003, 1, 1));
            EXPECT_EQ(b->Validate(), BOND_BAD_TERMS);
        }
    }
    // A price that is not a positive number has no yield, whatever the search
    // would make of it.
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.0f, -5.0f}) {
        CBondStd priced = MakeStd(12, 5, 100, bad, D(2000, 1, 1), D(2010, 1, 1));
        Ready(priced, D(2002, 1, 1), D(2003, 1, 1));
        EXPECT_EQ(priced.Validate(), BOND_BAD_TERMS);
        CBondFree free = MakeFree(bad, D(2000, 1, 1), {{D(2004, 1, 1), 100}});
        Ready(free, D(2002, 1, 1), D(2003, 1, 1));
        EXPECT_EQ(free.Validate(), BOND_BAD_TERMS);
    }
}

TEST(TypeIIValuation, OnePaymentOneYearOut)
{
    CBondFree b = MakeFree(100, D(2000, 1, 1), {{D(2003, 3, 1), 110}});
    const double stand = D(2002, 3, 1), horizon = D(2002, 9, 1);
    Ready(b, stand, horizon);
    EXPECT_EQ(b.Validate(), BOND_OK);
    const double y = b.GetYTM();
    EXPECT_EQ(y, 0.1); // the second trial
    double dur = 0, m2 = 0;
    b.GetDurationM2(y, 100, dur, m2);
    const double IH = YearFraction(horizon, stand);
    EXPECT_NEAR(dur, 1.0, 1e-15);
    EXPECT_NEAR(m2, (1 - IH) * (1 - IH), 1e-15);
}

TEST(TypeIIValuation, DoublingAndHalving)
{
    struct Case {
        float amount;
        double yield;
    };
    for (auto [amount, yield] : {Case{150, 0.5}, Case{300, 2.0}, Case{101, 0.01}, Case{100.1f, 0.001}}) {
        CBondFree b = MakeFree(100, D(2000, 1, 1), {{D(2003, 3, 1), amount}});
        Ready(b, D(2002, 3, 1), D(2003, 1, 1));
        const double y = b.GetYTM();
        EXPECT_LT(std::fabs(b.PriceGap(y)), 1e-6);
        EXPECT_NEAR(y, amount / 100.0 - 1, 1e-7) << amount;
    }
}

TEST(TypeIIValuation, OnlyPaymentsAfterTheStandDateCount)
{
    const double stand = D(2002, 3, 1);
    CBondFree b = MakeFree(95, D(2000, 1, 1),
                           {{D(2003, 3, 1), 50}, {stand, 1000}, {D(2001, 3, 1), 1000}, {D(2004, 3, 1), 60}});
    Ready(b, stand, D(2003, 9, 1));
    const double y = b.GetYTM();
    const double pv = 50 / std::pow(1 + y, 1.0) + 60 / std::pow(1 + y, 2.0);
    EXPECT_NEAR(pv, 95, 1e-6);
    // All payments on or before the stand date: 10, never -3.
    CBondFree past = MakeFree(500, D(2000, 1, 1), {{D(2001, 3, 1), 10}, {stand, 10}});
    Ready(past, stand, D(2003, 1, 1));
    EXPECT_EQ(past.Validate(), BOND_STAND_AFTER_MATURITY);
}

TEST(TypeIIValidate, OrderAndThePriceMargin)
{
    CBondFree b = MakeFree(100, D(2001, 1, 1), {{D(2003, 1, 1), 100.00001f}});
    Ready(b, D(2002, 1, 1), D(2002, 6, 1));
    EXPECT_EQ(b.Validate(), BOND_PRICE_TOO_HIGH); // S - P below 0.00001 in float
    b.m_cashflows[0].m_fAmount = 100.01f;
    EXPECT_EQ(b.Validate(), BOND_OK);
    Ready(b, D(2000, 6, 1), D(2002, 6, 1));
    EXPECT_EQ(b.Validate(), BOND_STAND_BEFORE_RELEASE);
    b.m_cashflows[0].m_fAmount = std::numeric_limits<float>::infinity();
    EXPECT_EQ(b.Validate(), BOND_BAD_TERMS);
}

TEST(GetYTM, StatusAndCodesThatStopTheSearch)
{
    CBondFree b = MakeFree(100, D(2000, 1, 1), {{D(2003, 3, 1), 110}});
    Ready(b, D(2004, 3, 1), D(2005, 1, 1));
    EXPECT_EQ(b.GetYTM(), 0.0);
    EXPECT_EQ(b.m_nStatus, BOND_STAND_AFTER_MATURITY);
    // Code 11 still gives a yield.
    Ready(b, D(2002, 3, 1), D(2002, 3, 1));
    EXPECT_EQ(b.GetYTM(), 0.1);
    EXPECT_EQ(b.m_nStatus, BOND_STAND_AFTER_HORIZON);
}

namespace {

// A bond whose gap is whatever the test says, counting its evaluations.
class ScriptedBond final : public CBond {
public:
    explicit ScriptedBond(std::function<double(double)> gap, int code = BOND_OK)
        : CBond(BOND_TYPE_STD, 0), m_gap(std::move(gap)), m_nCode(code)
    {
    }
    double PriceGap(double y) const override
    {
        ++evaluations;
        return m_gap(y);
    }
    int Validate() const override { return m_nCode; }
    mutable int evaluations = 0;

private:
    std::function<double(double)> m_gap;
    int m_nCode;
};

// Each read of the clock moves it on by a second.
class StepClock final : public Clock {
public:
    std::int64_t Milliseconds() const override
    {
        ++reads;
        return m_nMs += 1000;
    }
    double Now() const override { return 0; }
    mutable int reads = 0;

private:
    mutable std::int64_t m_nMs = 0;
};

// A gap so curved that false position creeps: the root is at 0.07, and the
// end above it barely moves.
double Creeping(double y) { return std::exp(1000 * (0.07 - y)) - 1; }

} // namespace

TEST(GetYTM, NoSearchWithoutAUsableCode)
{
    ScriptedBond b([](double) { return 1.0; }, BOND_STAND_BEFORE_RELEASE);
    EXPECT_EQ(b.GetYTM(), 0.0);
    EXPECT_EQ(b.evaluations, 0);
    EXPECT_EQ(b.m_nStatus, BOND_STAND_BEFORE_RELEASE);
}

TEST(GetYTM, TimeBudgetIsCheckedEvery512Steps)
{
    // The clock passes 1900 ms at the second check: 1024 false-position steps.
    ScriptedBond b(Creeping);
    StepClock clock;
    EXPECT_THROW(b.GetYTM(clock), CUserException);
    EXPECT_EQ(clock.reads, 3); // the start and two checks
    EXPECT_EQ(b.evaluations, 3 + 1023); // no new estimate after the last check
}

TEST(GetYTM, OutOfTimeAcceptsAnEstimateWithinTheBand)
{
    ScriptedBond b([](double y) { return 0.0005 * Creeping(y); });
    StepClock clock;
    const double y = b.GetYTM(clock);
    EXPECT_LE(std::fabs(b.PriceGap(y)), 0.001);
    EXPECT_GT(std::fabs(b.PriceGap(y)), 1e-6);
    EXPECT_EQ(b.evaluations, 3 + 1023 + 2);
}

TEST(GetYTM, LongerBudgetMeansMoreSteps)
{
    ScriptedBond b(Creeping);
    b.m_nTimeLimit = 7000;
    StepClock clock;
    EXPECT_THROW(b.GetYTM(clock), CUserException);
    EXPECT_EQ(b.evaluations, 3 + 512 * 8 - 1);
}

TEST(GetYTM, GapFailureIsTheUserException)
{
    // Payments so large that even a yield of 1e18 leaves them worth more than
    // the price: doubling until the gap refuses the yield.
    CBondStd b = MakeStd(12, 1e30f, 1e30f, 1, D(2000, 1, 1), D(2010, 1, 1));
    Ready(b, D(2002, 1, 1), D(2003, 1, 1));
    EXPECT_THROW(b.GetYTM(), CUserException);
}

TEST(SolveYield, NotANumberCountsAsConverged)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(SolveYield(kRecordSolver, [&](double) { return nan; }, [](double, double) { return false; }), 0.05);
    // Halving that ends in a NaN returns the trial in hand.
    const double y = SolveYield(
        kRecordSolver, [&](double y) { return y < 0.004 ? nan : -1.0; }, [](double, double) { return false; });
    EXPECT_EQ(y, 0.003125);
}

TEST(SetFromGrid, CodesCarryTheRow)
{
    const DateParser iso = [](std::string_view s) -> std::optional<double> {
        int y, m, d;
        if (std::sscanf(std::string(s).c_str(), "%d-%d-%d", &y, &m, &d) != 3)
            return std::nullopt;
        return MakeDate(y, m, d);
    };
    auto set = [&](std::vector<GridRow> grid, double release = D(2000, 1, 1)) {
        CBondFree b(0);
        return b.SetFromGrid(grid, 100, release, "ID", "Name", iso);
    };
    EXPECT_EQ(set({}), 1);
    EXPECT_EQ(set({{"100", "not a date"}}), 21);
    EXPECT_EQ(set({{"abc", "2003-01-01"}}), 18);
    EXPECT_EQ(set({{"??????????", ""}}), 18);
    EXPECT_EQ(set({{"1", "2003-01-01"}, {"1", "2003-01-01"}, {"0", "2003-01-01"}}), 51);
    EXPECT_EQ(set({{"1", "2003-01-01"}, {"2e18", "2003-01-01"}}), 36);
    EXPECT_EQ(set({{"1", "2003-01-01"}, {"0.000009", "2003-01-01"}}), 35);
    EXPECT_EQ(set({{"1", "2003-01-01"}, {"5", ""}}), 37);
    EXPECT_EQ(set({{"100", "2003-01-01"}}, D(2003, 1, 1)), 6);
    EXPECT_EQ(set({{" 100 \t", "2003-01-01"}}), 0);
    EXPECT_EQ(set({{"100 x", "2003-01-01"}}), 18);
}

TEST(SetFromGrid, SuccessStoresAndFailureKeepsTheRecord)
{
    const DateParser iso = [](std::string_view s) -> std::optional<double> {
        int y, m, d;
        if (std::sscanf(std::string(s).c_str(), "%d-%d-%d", &y, &m, &d) != 3)
            return std::nullopt;
        return MakeDate(y, m, d);
    };
    CBondFree b(0);
    const std::vector<GridRow> grid = {{"5.5", "2004-06-30"}, {"105.25", "2006-06-30"}, {"7", "2005-06-30"}};
    ASSERT_EQ(b.SetFromGrid(grid, 99.5f, D(2003, 1, 1) + 0.7, "B7", "Bond seven", iso), 0);
    EXPECT_EQ(b.m_fPrice, 99.5f);
    EXPECT_EQ(b.m_nRelease, D(2003, 1, 1));
    EXPECT_EQ(b.m_nMaturity, D(2006, 6, 30));
    EXPECT_EQ(b.m_strID, "B7");
    ASSERT_EQ(b.m_cashflows.size(), 3u);
    EXPECT_EQ(b.m_cashflows[1], (CASHFLOW{static_cast<std::int32_t>(D(2006, 6, 30)), 105.25f}));
    EXPECT_EQ(b.m_cashflows[2].m_nDate, D(2005, 6, 30)); // entry order, not date order

    const CBondFree before = b;
        const std::vector<GridRow> bad = {{"1", "2010-01-01"}, {"x", "2010-01-01"}};
    EXPECT_EQ(b.SetFromGrid(bad, 1.0f, D(2003, 1, 1), "C", "", iso), 34);
    EXPECT_EQ(b.m_fPrice, before.m_fPrice);
    EXPECT_EQ(b.m_cashflows, before.m_cashflows);
    EXPECT_EQ(b.m_nMaturity, before.m_nMaturity);
    EXPECT_EQ(b.m_strID, "B7");
}
