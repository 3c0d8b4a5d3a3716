// Bond records: the Type I schedule, validation order, the Type II grid, and
// the valuation figures against sums written out independently.

#include "model/bond.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using namespace tenvix;
using test::Day;
using test::ScriptedBond;
using test::ScriptedClock;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::unique_ptr<CBondStd> Std(int period, float coupon, float face, float price, double release, double maturity)
{
    return test::StdBond("S", period, coupon, face, price, release, maturity);
}

void Ready(CBond& b, double stand, double horizon)
{
    b.SetDates(stand, horizon);
    b.Prepare();
}

// Time in years of the k-th remaining Type I coupon, counted back from maturity.
double CouponTime(const CBondStd& b, int k)
{
    const double tau = b.m_nPeriodMonths / 12.0;
    return b.m_bBroken ? b.m_fFirst + k * tau : (k + 1) * tau;
}

// The stored terms of a record beside its payments.
using Terms = std::tuple<float, std::int32_t, std::int32_t, std::string>;
Terms Record(float price, double release, double maturity, std::string id)
{
    return {price, DaySerial(release), DaySerial(maturity), std::move(id)};
}
Terms Record(const CBond& b) { return {b.m_fPrice, b.m_nRelease, b.m_nMaturity, b.m_strID}; }

} // namespace

TEST(TypeISchedule, BrokenAndWholePeriods)
{
    auto b = Std(12, 5, 100, 100, Day(2000, 1, 1), Day(2005, 1, 1));
    Ready(*b, Day(2001, 1, 2), Day(2003, 1, 1));
    EXPECT_EQ(b->m_fYears, static_cast<float>(4 - 1.0 / 365));
    EXPECT_EQ(std::tuple(b->m_nPeriods, b->m_bBroken), std::tuple(3, 1));
    EXPECT_NEAR(b->m_fFirst, 0.99726, 1e-5);
    EXPECT_FLOAT_EQ(b->m_fPeriodsExact, 47.0f / 12);

    // A coupon due on the stand date itself is not counted: 7 coupons, the
    // first a whole period away.
    auto whole = Std(6, 2, 100, 100, Day(2000, 1, 1), Day(2005, 7, 15));
    Ready(*whole, Day(2002, 1, 15), Day(2003, 1, 1));
    EXPECT_EQ(std::tuple(whole->m_nPeriods, whole->m_bBroken), std::tuple(7, 0));
}

TEST(TypeIValuation, PriceGapIsThePresentValueOfTheSchedule)
{
    for (int period : {1, 3, 6, 12, 24})
        for (double stand : {Day(2001, 1, 2), Day(2001, 6, 30), Day(2003, 2, 28), Day(2004, 12, 31)})
            for (double y : {0.001, 0.03, 0.0731, 0.5, 3.0}) {
                auto b = Std(period, 3.5f, 100, 97.25f, Day(2000, 1, 1), Day(2011, 6, 30));
                Ready(*b, stand, stand + 400);
                double expected = 100 * std::pow(1 + y, -b->m_fYears) - 97.25f;
                for (int k = 0; k < b->m_nPeriods + b->m_bBroken; ++k)
                    expected += 3.5f * std::pow(1 + y, -CouponTime(*b, k));
                EXPECT_NEAR(b->PriceGap(y), expected, 1e-10 * std::fabs(expected) + 1e-11)
                    << "period " << period << " stand " << stand << " y " << y;
            }
}

// On a coupon date, where the remainder below 0.00001 counts in the coupons'
// distances; stand dates within a period are ReferenceFigures' (durationm2_test).
TEST(TypeIValuation, DurationAndSquareMAgainstTheirDefinition)
{
    auto b = Std(6, 2.5f, 100, 96.5f, Day(2000, 1, 1), Day(2012, 7, 1));
    const double stand = Day(2002, 7, 1), horizon = Day(2006, 3, 15);
    Ready(*b, stand, horizon);
    const double y = b->GetYTM(SystemClock());
    double dur = 0, m2 = 0;
    b->GetDurationM2(y, 96.5, dur, m2);

    const double IH = YearFraction(horizon, stand);
    double expD = 0, expM2 = 0;
    for (int k = 0; k < b->m_nPeriods + b->m_bBroken; ++k) {
        const double t = CouponTime(*b, k);
        const double w = 2.5 * std::pow(1 + y, -t) / 96.5;
        const double dist = t - IH + (b->m_bBroken ? 0 : b->m_fFirst);
        expD += w * t;
        expM2 += w * dist * dist;
    }
    const double wF = 100 * std::pow(1 + y, -b->m_fYears) / 96.5;
    const double q = YearFraction(horizon, b->m_nMaturity);
    expD += wF * b->m_fYears;
    expM2 += wF * q * q;
    EXPECT_NEAR(dur, expD, 1e-12 * expD);
    EXPECT_NEAR(m2, expM2, 1e-12 * expM2);
}

TEST(TypeIValidate, OrderOfTheTestsAndThePriceEdge)
{
    // Price above every remaining payment beats a stand date after maturity.
    auto b = Std(12, 5, 100, 200, Day(2000, 1, 1), Day(2004, 1, 1));
    Ready(*b, Day(2005, 1, 1), Day(2006, 1, 1));
    EXPECT_EQ(b->Validate(), BOND_PRICE_TOO_HIGH);
    b->m_fPrice = 90;
    b->Prepare();
    EXPECT_EQ(b->Validate(), BOND_STAND_AFTER_MATURITY);
    Ready(*b, Day(1999, 6, 1), Day(2001, 1, 1));
    EXPECT_EQ(b->Validate(), BOND_STAND_BEFORE_RELEASE);
    Ready(*b, Day(2001, 6, 1), Day(2001, 6, 1));
    EXPECT_EQ(b->Validate(), BOND_STAND_AFTER_HORIZON);
    Ready(*b, Day(2000, 1, 1), Day(2001, 6, 2)); // the release day itself
    EXPECT_EQ(b->Validate(), BOND_OK);

    // A price equal to the undiscounted total (3 coupons of 5, the first of a
    // broken period or not, and the face) passes, and the halving runs on
    // until the yield is practically zero.
    auto edge = Std(12, 5, 100, 115, Day(2000, 1, 1), Day(2005, 1, 1));
    for (double stand : {Day(2002, 1, 1), Day(2002, 1, 2)}) {
        Ready(*edge, stand, Day(2003, 1, 1));
        EXPECT_EQ(edge->Validate(), BOND_OK);
        const double y = edge->GetYTM(SystemClock());
        EXPECT_GE(y, 0.0);
        EXPECT_LT(y, 1e-8);
    }
}

TEST(Validate, UnusableTermsFromAHandMadeFile)
{
    auto check = [](CBond& b) {
        Ready(b, Day(2002, 1, 1), Day(2003, 1, 1)); // must not divide by zero
        EXPECT_EQ(b.Validate(), BOND_BAD_TERMS);
    };
    for (int period : {0, -6})
        check(*Std(period, 5, 100, 90, Day(2000, 1, 1), Day(2010, 1, 1)));
    for (float bad : {kNaN, kInf}) {
        check(*Std(12, bad, 100, 90, Day(2000, 1, 1), Day(2010, 1, 1)));
        check(*Std(12, 5, bad, 90, Day(2000, 1, 1), Day(2010, 1, 1)));
        check(*test::FreeBond("F", 90, {{Day(2004, 1, 1), 100}, {Day(2005, 1, 1), bad}}));
    }
    // A price that is not a positive number has no yield, whatever the search
    // would make of it.
    for (float bad : {kNaN, kInf, 0.0f, -5.0f}) {
        check(*Std(12, 5, 100, bad, Day(2000, 1, 1), Day(2010, 1, 1)));
        check(*test::FreeBond("F", bad, {{Day(2004, 1, 1), 100}}));
    }
    // Nor has a price below any the forms store, a denormal one included: its
    // search would answer a yield of 1e14 and a duration of 2.5e38.
    for (float tiny : {std::numeric_limits<float>::denorm_min(), 1e-30f, 1e-6f, std::nextafter(1e-5f, 0.0f)}) {
        check(*Std(12, 5, 100, tiny, Day(2000, 1, 1), Day(2010, 1, 1)));
        check(*test::FreeBond("F", tiny, {{Day(2004, 1, 1), 100}}));
    }
}

TEST(Validate, TheSmallestPriceTheFormsStoreIsAnalysed)
{
    // 0.00001 as typed, narrowed to a float: just below the double 0.00001.
    const auto price = static_cast<float>(0.00001);
    auto free = test::FreeBond("F", price, {{Day(2003, 1, 1), 1}});
    auto coupons = Std(12, 0, 1, price, Day(2000, 1, 1), Day(2003, 1, 1));
    for (CBond* b : {static_cast<CBond*>(free.get()), static_cast<CBond*>(coupons.get())}) {
        Ready(*b, Day(2002, 1, 1), Day(2002, 6, 1));
        EXPECT_EQ(b->Validate(), BOND_OK);
        // 1 a year out for 0.00001: about 99999, as closely as the search's
        // tolerance on the price allows.
        const double y = b->GetYTM(SystemClock());
        EXPECT_GT(y, 9e4);
        EXPECT_LT(std::fabs(b->PriceGap(y)), 1e-6);
    }
}

TEST(TypeIIValuation, OnePaymentOneYearOut)
{
    auto b = test::FreeBond("F", 100, {{Day(2003, 3, 1), 110}});
    const double stand = Day(2002, 3, 1), horizon = Day(2002, 9, 1);
    Ready(*b, stand, horizon);
    EXPECT_EQ(b->Validate(), BOND_OK);
    const double y = b->GetYTM(SystemClock());
    EXPECT_EQ(y, 0.1); // the second trial
    double dur = 0, m2 = 0;
    b->GetDurationM2(y, 100, dur, m2);
    // Half a year to the horizon, one to the payment.
    EXPECT_NEAR(dur, 1.0, 1e-15);
    EXPECT_NEAR(m2, 0.25, 1e-15);

    // Above the trials by doubling, below them by halving.
    for (float amount : {150.0f, 300.0f, 101.0f, 100.1f}) {
        b->m_cashflows[0].m_fAmount = amount;
        b->Prepare();
        const double found = b->GetYTM(SystemClock());
        EXPECT_LT(std::fabs(b->PriceGap(found)), 1e-6);
        EXPECT_NEAR(found, amount / 100.0 - 1, 1e-7) << amount;
    }
}

// The walk at the yield the search found takes the search's own discounts:
// the figures must be the very doubles a walk of its own gives, and payments
// changed since (with Prepare, as every change brings) must not meet the old
// discounts.
TEST(TypeIIValuation, TheWalkAtTheFoundYieldIsTheWalkOfItsOwn)
{
    std::vector<std::pair<double, float>> payments;
    for (int q = 0; q < 40; ++q)
        payments.push_back({Day(2027 + q / 4, 1 + 3 * (q % 4), 1 + q % 28), q == 39 ? 102.5f : 2.5f});
    auto b = test::FreeBond("L", 97.25f, payments);
    const double stand = Day(2026, 12, 6), horizon = Day(2031, 12, 6);
    Ready(*b, stand, horizon);
    const double y = b->GetYTM(SystemClock());
    ASSERT_GT(y, 0.0);
    // The same payments in a bond that never searched.
    auto fresh = [&](const std::vector<std::pair<double, float>>& flows, double at, double& d, double& m) {
        auto other = test::FreeBond("L", 97.25f, flows);
        Ready(*other, stand, horizon);
        other->GetDurationM2(at, 97.25, d, m);
    };
    double d = 0, m = 0, dWant = 0, mWant = 0;
    b->GetDurationM2(y, 97.25, d, m);
    fresh(payments, y, dWant, mWant);
    EXPECT_EQ(d, dWant);
    EXPECT_EQ(m, mWant);
    // At another yield the walk works its discounts out.
    b->GetDurationM2(y + 0.01, 97.25, d, m);
    fresh(payments, y + 0.01, dWant, mWant);
    EXPECT_EQ(d, dWant);
    EXPECT_EQ(m, mWant);

    // Every payment a year later, at the yield the search last saw.
    std::vector<std::pair<double, float>> later = payments;
    for (auto& [date, amount] : later)
        date += 365;
    for (CASHFLOW& cf : b->m_cashflows)
        cf.m_nDate += 365;
    b->m_nMaturity += 365;
    b->Prepare();
    b->GetDurationM2(y, 97.25, d, m);
    fresh(later, y, dWant, mWant);
    EXPECT_EQ(d, dWant);
    EXPECT_EQ(m, mWant);
    double dBefore = 0, mBefore = 0;
    auto before = test::FreeBond("L", 97.25f, payments);
    Ready(*before, stand, horizon);
    before->GetDurationM2(y, 97.25, dBefore, mBefore);
    EXPECT_NE(d, dBefore);
    EXPECT_NE(m, mBefore);
}

TEST(TypeIIValuation, OnlyPaymentsAfterTheStandDateCount)
{
    const double stand = Day(2002, 3, 1);
    auto b =
        test::FreeBond("F", 95, {{Day(2003, 3, 1), 50}, {stand, 1000}, {Day(2001, 3, 1), 1000}, {Day(2004, 3, 1), 60}});
    Ready(*b, stand, Day(2003, 9, 1));
    const double y = b->GetYTM(SystemClock());
    EXPECT_NEAR(50 / (1 + y) + 60 / std::pow(1 + y, 2.0), 95, 1e-6);
    // All payments on or before the stand date: 10, never -3.
    auto past = test::FreeBond("P", 500, {{Day(2001, 3, 1), 10}, {stand, 10}});
    Ready(*past, stand, Day(2003, 1, 1));
    EXPECT_EQ(past->Validate(), BOND_STAND_AFTER_MATURITY);
}

TEST(TypeIIValidate, OrderAndThePriceMargin)
{
    auto b = test::FreeBond("F", 100, {{Day(2003, 1, 1), 100.00001f}});
    b->m_nRelease = DaySerial(Day(2001, 1, 1));
    Ready(*b, Day(2002, 1, 1), Day(2002, 6, 1));
    EXPECT_EQ(b->Validate(), BOND_PRICE_TOO_HIGH); // S - P below 0.00001 in float
    b->m_cashflows[0].m_fAmount = 100.01f;
    EXPECT_EQ(b->Validate(), BOND_OK);
    Ready(*b, Day(2000, 12, 31), Day(2002, 6, 1));
    EXPECT_EQ(b->Validate(), BOND_STAND_BEFORE_RELEASE);
    Ready(*b, Day(2001, 1, 1), Day(2002, 6, 1));
    EXPECT_EQ(b->Validate(), BOND_OK);
}

TEST(GetYTM, OnlyCodes0And11AreSearched)
{
    ScriptedBond b([](double) { return 1.0; }, BOND_STAND_BEFORE_RELEASE);
    EXPECT_EQ(b.GetYTM(SystemClock()), 0.0);
    EXPECT_EQ(b.calls, 0);
    EXPECT_EQ(b.m_nStatus, BOND_STAND_BEFORE_RELEASE);
    ScriptedBond late([](double y) { return 0.1 - y; }, BOND_STAND_AFTER_HORIZON);
    EXPECT_EQ(late.GetYTM(SystemClock()), 0.1);
    EXPECT_EQ(late.m_nStatus, BOND_STAND_AFTER_HORIZON);
}

TEST(GetYTM, TimeBudgetIsCheckedEvery512Steps)
{
    // A gap so curved that false position creeps: the root is at 0.07 and the
    // end above it barely moves. Every look at the clock moves it on a second:
    // 1900 ms are spent at the second check (1024 steps), and no new estimate
    // follows it.
    auto creeping = [](double y) { return std::exp(1000 * (0.07 - y)) - 1; };
    ScriptedBond b(creeping);
    ScriptedClock clock([](int n) { return 1000 * (n + 1); });
    EXPECT_THROW(b.GetYTM(clock), NoYieldFound);
    EXPECT_EQ(std::tuple(clock.reads, b.calls), std::tuple(3, 3 + 1023));
    // An estimate within 0.001 of the price is accepted when time runs out.
    ScriptedBond flatter([&](double y) { return 0.0005 * creeping(y); });
    const double gap = std::fabs(0.0005 * creeping(flatter.GetYTM(ScriptedClock([](int n) { return 1000 * n; }))));
    EXPECT_LE(gap, 0.001);
    EXPECT_GT(gap, 1e-6);
    EXPECT_EQ(flatter.calls, 3 + 1023);
}

TEST(GetYTM, GapFailureAndNotANumber)
{
    // Payments so large that even a yield of 1e18 leaves them worth more than
    // the price: doubling until the gap refuses the yield.
    auto b = Std(12, 1e30f, 1e30f, 1, Day(2000, 1, 1), Day(2010, 1, 1));
    Ready(*b, Day(2002, 1, 1), Day(2003, 1, 1));
    EXPECT_THROW(b->GetYTM(SystemClock()), NoYieldFound);

    // A gap that is not a number counts as converged: at the first trial, or
    // the trial in hand when halving ends in one.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto never = [](double, double) { return false; };
    const auto allNaN = [&](double) { return nan; };
    const auto lowNaN = [&](double y) { return y < 0.004 ? nan : -1.0; };
    EXPECT_EQ(SolveYield(kRecordSolver, allNaN, never), 0.05);
    EXPECT_EQ(SolveYield(kRecordSolver, lowNaN, never), 0.003125);
}

TEST(SetFromGrid, CodesCarryTheRow)
{
    struct Case {
        std::vector<GridRow> grid;
        int code;
    };
    const char* d = "2003-01-01";
    // clang-format off
    const Case cases[] = {
        {{}, 1}, {{{"100", "not a date"}}, 21}, {{{"abc", d}}, 18}, {{{"??????????", ""}}, 18}, {{{"100 x", d}}, 18},
        {{{" 100 \t", d}}, 0}, {{{"1", d}, {"1", d}, {"0", d}}, 51}, {{{"1", d}, {"2e18", d}}, 36},
        {{{"1", d}, {"0.000009", d}}, 35}, {{{"1", d}, {"5", ""}}, 37},
    };
    // clang-format on
    for (const Case& c : cases) {
        CBondFree b(0);
        EXPECT_EQ(b.SetFromGrid(c.grid, 100, Day(2000, 1, 1), "ID", "Name", test::kIso), c.code)
            << (c.grid.empty() ? "" : c.grid.back().amount);
    }
}

TEST(SetFromGrid, SuccessStoresAndFailureKeepsTheRecord)
{
    CBondFree b(0);
    const std::vector<GridRow> grid = {{"5.5", "2004-06-30"}, {"105.25", "2006-06-30"}, {"7", "2005-06-30"}};
    ASSERT_EQ(b.SetFromGrid(grid, 99.5f, Day(2003, 1, 1) + 0.7, "B7", "Bond seven", test::kIso), 0);
    EXPECT_EQ(Record(b), Record(99.5f, Day(2003, 1, 1), Day(2006, 6, 30), "B7"));
    // In entry order, not date order.
    EXPECT_EQ(b.m_cashflows, (std::vector<CASHFLOW>{{DaySerial(Day(2004, 6, 30)), 5.5f},
                                                    {DaySerial(Day(2006, 6, 30)), 105.25f},
                                                    {DaySerial(Day(2005, 6, 30)), 7.0f}}));

    const CBondFree before = b;
    const std::vector<GridRow> bad = {{"1", "2010-01-01"}, {"x", "2010-01-01"}};
    EXPECT_EQ(b.SetFromGrid(bad, 1.0f, Day(2003, 1, 1), "C", "", test::kIso), 34);
    EXPECT_EQ(Record(b), Record(before));
    EXPECT_EQ(b.m_cashflows, before.m_cashflows);
}

TEST(SetFromCashflows, TheGridsChecksOnStoredPayments)
{
    const auto day = [](int y) { return static_cast<std::int32_t>(Day(y, 1, 1)); };
    // A stored 0.00001 passes; the grid shows it as 0.00, but it is not read back.
    const std::vector<CASHFLOW> good = {{day(2004), 5}, {day(2006), 0.00001f}, {day(2005), 7}};
    CBondFree b(0);
    ASSERT_EQ(b.SetFromCashflows(good, 99.5f, Day(2003, 1, 1) + 0.7, "B7", "Bond seven"), 0);
    EXPECT_EQ(b.m_cashflows, good);

    const CBondFree before = b;
    const std::vector<std::pair<std::vector<CASHFLOW>, int>> cases = {
        {{}, 1},
        {{{day(2004), 1}, {day(2005), 1}, {day(2006), 0}}, 51},
        {{{day(2004), 1}, {day(2005), kNaN}}, 35},
        {{{day(2004), 1}, {day(2005), 2e18f}}, 36},
        {{{day(2002), 1}}, 6}, // nothing paid after the release date
    };
    for (const auto& [flows, code] : cases) {
        EXPECT_EQ(b.SetFromCashflows(flows, 1.0f, Day(2003, 1, 1), "C", ""), code);
        EXPECT_EQ(b.m_cashflows, before.m_cashflows);
        EXPECT_EQ(Record(b), Record(before));
    }
}
