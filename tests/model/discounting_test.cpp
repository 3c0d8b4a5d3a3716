// The engine discounts by logarithms: one ln(1 + y) per trial yield, then an
// exponential or a product per payment. It used to take a power per payment
// and four per price gap. This file keeps that arithmetic, word for word, as
// the reference, and runs both side by side over a hundred thousand generated
// bonds of both kinds, every pay period and the odd corners (a yield near
// -100 % or beyond all measure, no whole period left, a broken first period
// or none): yields, durations and Square-Ms must agree within 1e-12 relative
// or 1e-15 absolute, whichever is larger, and every code, outcome and refusal
// must be the same. Where the old arithmetic is itself that noisy (a yield
// near nothing, where 1 - (1 + i)^-N cancels, or a life of days, where any
// rounding of the price moves the yield far), a figure may differ by what
// sixteen units of its roundoff make of it; the summary counts those. A
// disagreement prints the bond.

#include "model/analyse.h"
#include "model/bond.h"
#include "model/date.h"
#include "model/discount.h"
#include "model/paymentwalk.h"
#include "model/solver.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tenvix {
namespace {

// ---- The arithmetic as it was ------------------------------------------------

namespace old {

double GapStd(const CBondStd& b, double y)
{
    if (y > 1e18)
        throw NoYieldFound();
    const double tau = b.m_nPeriodMonths / 12.0;
    const double i = std::pow(1 + y, tau) - 1;
    if (i > 1e18)
        throw NoYieldFound();
    const double Q = b.m_fCoupon;
    const double c0 = b.m_bBroken ? Q : 0.0;
    const double A = c0 + (Q / i) * (1 - 1 / std::pow(1 + i, b.m_nPeriods));
    return A / std::pow(1 + y, static_cast<double>(b.m_fFirst)) +
           b.m_fFace / std::pow(1 + y, static_cast<double>(b.m_fYears)) - b.m_fPrice;
}

// The payments after the stand date with their times, as Prepare makes them.
struct Flow {
    double amount;
    double years;
};
std::vector<Flow> FlowsOf(const CBondFree& b)
{
    std::vector<Flow> flows;
    for (const CASHFLOW& cf : b.m_cashflows)
        if (cf.m_nDate > b.m_nStandDate)
            flows.push_back({cf.m_fAmount, YearFraction(cf.m_nDate, b.m_dtStand)});
    return flows;
}

double GapFree(const CBondFree& b, const std::vector<Flow>& flows, double y)
{
    if (y < -1e18 || y > 1e18)
        throw NoYieldFound();
    double sum = 0;
    for (const Flow& f : flows)
        sum += f.amount / std::pow(1 + y, f.years);
    return sum - b.m_fPrice;
}

template <class Visit>
void WalkStd(const CBondStd& b, double y, double P, double& duration, double& m2, Visit&& visit)
{
    const double tau = b.m_nPeriodMonths / 12.0;
    const double r = b.m_fFirst;
    const double T = b.m_fYears;
    const double Q = b.m_fCoupon;
    const double h = YearFraction(b.m_nStandDate, b.m_nHorizon);
    double t, w;
    if (b.m_bBroken) {
        t = r - tau;
        w = r - tau + h;
    } else {
        t = 0;
        w = r + h;
    }
    double D = 0, M2 = 0;
    const std::int32_t coupons = b.m_nPeriods + (b.m_bBroken ? 1 : 0);
    PaymentStep step;
    step.amount = Q;
    for (std::int32_t k = 0; k < coupons; ++k) {
        t = t + tau;
        const double growth = std::pow(1 + y, t);
        step.presentValue = Q / growth;
        const double weight = step.presentValue / P;
        step.durationPart = weight * t;
        D = D + step.durationPart;
        w = w + tau;
        step.squareMPart = weight * (w * w);
        M2 = M2 + step.squareMPart;
        step.index = static_cast<std::size_t>(k);
        step.years = t;
        step.discount = 1 / growth;
        step.share = weight;
        step.distance = w;
        visit(static_cast<const PaymentStep&>(step));
    }
    const double growthF = std::pow(1 + y, T);
    step.amount = b.m_fFace;
    step.presentValue = step.amount / growthF;
    const double weightF = step.presentValue / P;
    step.durationPart = weightF * T;
    D = D + step.durationPart;
    const double q = YearFraction(b.m_nHorizon, b.m_nMaturity);
    step.squareMPart = weightF * (q * q);
    M2 = M2 + step.squareMPart;
    step.index = static_cast<std::size_t>(coupons);
    step.face = true;
    step.years = T;
    step.discount = 1 / growthF;
    step.share = weightF;
    step.distance = q;
    visit(static_cast<const PaymentStep&>(step));
    duration = D;
    m2 = M2;
}

template <class Visit>
void WalkFree(const CBondFree& b, const std::vector<Flow>& flows, double y, double P, double& duration, double& m2,
              Visit&& visit)
{
    const double IH = YearFraction(b.m_nHorizon, b.m_dtStand);
    double D = 0, M2 = 0;
    PaymentStep step;
    for (const Flow& f : flows) {
        step.discount = std::pow(1 + y, -f.years);
        step.presentValue = step.discount * f.amount;
        const double weight = step.presentValue / P;
        step.durationPart = weight * f.years;
        D = D + step.durationPart;
        const double d = f.years - IH;
        step.squareMPart = weight * (d * d);
        M2 = M2 + step.squareMPart;
        step.years = f.years;
        step.amount = f.amount;
        step.share = weight;
        step.distance = d;
        visit(static_cast<const PaymentStep&>(step));
        ++step.index;
    }
    duration = D;
    m2 = M2;
}

// CBond::GetYTM and AnalyseRecord as they were, around the old gap.
RecordAnalysis Analyse(CBond& bond, double stand, double horizon, double price, const Clock& clock, Needs needs)
{
    RecordAnalysis out;
    bond.SetDates(stand, horizon);
    bond.Prepare();
    out.code = bond.Validate();
    const bool goesOn =
        out.code == BOND_OK || (out.code == BOND_STAND_AFTER_HORIZON && needs == Needs::YieldAndDuration);
    if (!goesOn)
        return out;
    const auto* std = dynamic_cast<const CBondStd*>(&bond);
    const auto* free = dynamic_cast<const CBondFree*>(&bond);
    const std::vector<Flow> flows = free ? FlowsOf(*free) : std::vector<Flow>{};
    auto gap = [&](double y) { return std ? GapStd(*std, y) : GapFree(*free, flows, y); };
    try {
        const std::int64_t start = clock.Milliseconds();
        int steps = 0;
        auto afterStep = [&](double, double g) {
            if (++steps < kRecordClockCadence)
                return false;
            steps = 0;
            if (clock.Milliseconds() - start <= bond.m_nTimeLimit)
                return false;
            if (!(std::fabs(g) > kRecordAcceptBand))
                return true;
            throw NoYieldFound();
        };
        out.ytm = SolveYield(kRecordSolver, gap, afterStep);
        auto nothing = [](const PaymentStep&) {};
        if (std)
            WalkStd(*std, out.ytm, price, out.duration, out.squareM, nothing);
        else
            WalkFree(*free, flows, out.ytm, price, out.duration, out.squareM, nothing);
        out.outcome = RecordOutcome::Solved;
    } catch (const NoYieldFound&) {
        out = RecordAnalysis{RecordOutcome::NoYield, out.code};
    }
    return out;
}

} // namespace old

// ---- The rate of a period ------------------------------------------------------

// The series that stands in for expm1 below a tenth keeps within two units of
// roundoff of it, from the smallest rates to the edge, on either side of 0.
TEST(Discounting, ExpMinusOneIsTheLibrarysWithinTwoUnitsOfRoundoff)
{
    std::mt19937_64 rng(12);
    double worst = 0;
    auto check = [&](double x) {
        const double want = std::expm1(x);
        const double got = ExpMinusOne(x);
        const double units = got == want ? 0.0 : std::fabs(got - want) / (std::fabs(want) * 0x1p-53);
        worst = std::max(worst, units);
        ASSERT_LE(units, 2.0) << "x = " << x << ": " << got << " for " << want;
    };
    for (int k = 0; k < 1'000'000; ++k) {
        const double magnitude = std::exp(std::uniform_real_distribution<double>(std::log(1e-300), std::log(0.1))(rng));
        check(k % 2 ? magnitude : -magnitude);
    }
    for (const double x : {1e-308, 5e-324, 0.09999999999999999, -0.09999999999999999, 0.1, 0.5, -0.69, 3.0, 700.0})
        check(x);
    EXPECT_EQ(ExpMinusOne(0.0), 0.0);
    EXPECT_TRUE(std::isnan(ExpMinusOne(std::numeric_limits<double>::quiet_NaN())));
    std::printf("  worst %.3g units of roundoff\n", worst);
}

// ---- A yield near nothing ---------------------------------------------------

// A price at the very sum of the payments has its yield at nothing, which
// the search approaches by halving until the gap falls below 1e-6. There
// the annuity's 1 - (1 + i)^-N cancels down to a few millionths, and taken
// as it stands its rounding alone would be a gap of a millionth, deciding
// where the search stops. The gap keeps its digits: within 1e-10 of the
// same sum taken payment by payment in extended precision.
TEST(Discounting, TheGapKeepsItsDigitsAtAYieldNearNothing)
{
    const double stand = test::Day(2026, 12, 6);
    for (const int period : {1, 3, 6, 12}) {
        for (const double maturity : {test::Day(2027, 12, 6), test::Day(2050, 3, 15), test::Day(2056, 12, 6)}) {
            CBondStd b(0);
            b.SetData(period, 1.625f, 100, 1, test::Day(2020, 1, 1), maturity, "A", "");
            b.SetDates(stand, stand + 2000);
            b.Prepare();
            const int coupons = b.m_nPeriods + (b.m_bBroken ? 1 : 0);
            b.m_fPrice = static_cast<float>(coupons * static_cast<double>(b.m_fCoupon) + b.m_fFace);
            ASSERT_EQ(static_cast<double>(b.m_fPrice), coupons * static_cast<double>(b.m_fCoupon) + b.m_fFace);
            for (const double y : {1e-5, 1e-7, 1e-9, 3.7252902984619143e-10, 1e-11}) {
                // The same base 1 + y as the engine's, the powers long.
                const long double base = static_cast<long double>(1 + y);
                const long double tau = b.m_nPeriodMonths / 12.0L;
                long double value = 0;
                for (int k = b.m_bBroken ? 0 : 1; k <= b.m_nPeriods; ++k)
                    value += b.m_fCoupon * std::pow(base, -(b.m_fFirst + k * tau));
                value += b.m_fFace * std::pow(base, -static_cast<long double>(b.m_fYears));
                const auto want = static_cast<double>(value - b.m_fPrice);
                EXPECT_NEAR(b.PriceGap(y), want, 1e-10) << period << " months to " << maturity << " at " << y;
            }
        }
    }
}

// ---- Generated bonds ---------------------------------------------------------

// Whole days from 2026-12-06, the stand date of most bonds below.
constexpr std::int32_t kStand = 46362;

struct Case {
    std::unique_ptr<CBond> bond;
    std::int32_t stand;
    std::int32_t horizon;
};

class Maker {
public:
    explicit Maker(std::uint32_t seed) : m_rng(seed) {}

    Case Next() { return Pick(0, 99) < 65 ? TypeI() : TypeII(); }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Pick(0, 99) < percent; }

    // A yield to price the bond at: mostly ordinary, some near nothing, some
    // far beyond any market.
    double Yield()
    {
        const int kind = Pick(0, 99);
        if (kind < 70)
            return Real(0.001, 0.15);
        if (kind < 80)
            return std::exp(Real(std::log(1e-4), std::log(1e-3)));
        if (kind < 95)
            return Real(0.15, 3.0);
        return std::exp(Real(std::log(3.0), std::log(1e4)));
    }

    std::int32_t Stand() { return Chance(80) ? kStand : kStand + Pick(-9000, 9000); }

    std::int32_t Horizon(std::int32_t stand)
    {
        if (Chance(5))
            return stand - Pick(0, 400); // Square-M cannot be had; yield and duration can
        return stand + Pick(1, 30 * 365);
    }

    // A float price `share` of the value at `y`, or one no yield reaches.
    template <class Value>
    float PriceFor(double y, Value value)
    {
        if (Chance(2))
            return static_cast<float>(Real(0.00001, 1e6));
        const double share = Chance(90) ? 1.0 : Real(0.9, 1.1);
        try {
            return static_cast<float>(std::max(value(y) * share, 0.00002));
        } catch (const NoYieldFound&) {
            return 1.0f; // a yield beyond the gap's reach: any price will do
        }
    }

    Case TypeI()
    {
        static constexpr int kPeriods[] = {1, 2, 3, 4, 6, 12};
        static constexpr int kOddPeriods[] = {5, 7, 9, 18, 24, 36, 60, 120, 400};
        const int period = Chance(90) ? kPeriods[Pick(0, 5)] : kOddPeriods[Pick(0, 8)];
        const std::int32_t stand = Stand();
        const double standValue = stand;
        std::int32_t maturity;
        const int life = Pick(0, 99);
        if (life < 30) {
            // The stand date on a coupon date: no broken period.
            const CivilDate s = Civil(standValue);
            const int day = std::min(s.day, 28);
            const int months = period * Pick(1, std::max(1, 600 / period));
            const int total = s.month - 1 + months;
            // (From a day after the 28th the period is broken after all.)
            maturity = DaySerial(*MakeDate(s.year + total / 12, total % 12 + 1, day));
        } else if (life < 40) {
            maturity = stand + Pick(1, period * 31); // within a period or two: no whole period
        } else if (life < 43) {
            maturity = stand + Pick(-400, 0); // matured: refused, yet valued at any yield
        } else if (life < 44) {
            maturity = stand + Pick(50 * 365, 200 * 365); // a very long schedule
        } else {
            maturity = stand + Pick(1, 50 * 365);
        }
        const double annual = Chance(10) ? 0.0 : Real(0.0, 0.15);
        const float face = Chance(85) ? 100.0f : static_cast<float>(std::exp(Real(std::log(0.01), std::log(1e6))));
        const float coupon = static_cast<float>(face * annual * period / 12.0);
        const std::int32_t release = Chance(3) ? stand + Pick(1, 300) : stand - Pick(0, 20 * 365);
        auto b = std::make_unique<CBondStd>(0);
        b->SetData(period, coupon, face, 1.0f, release, maturity, "S", "");
        b->SetDates(stand, Horizon(stand));
        b->Prepare();
        const double y = Yield();
        b->m_fPrice = PriceFor(y, [&](double at) { return old::GapStd(*b, at) + 1.0; });
        const std::int32_t horizon = b->m_nHorizon;
        return {std::move(b), stand, horizon};
    }

    Case TypeII()
    {
        const std::int32_t stand = Stand();
        auto b = std::make_unique<CBondFree>(0);
        b->m_strID = "F";
        b->m_nRelease = Chance(3) ? stand + Pick(1, 300) : stand - Pick(0, 20 * 365);
        const int count = Chance(30) ? 40 : Pick(1, 60);
        const CivilDate s = Civil(static_cast<double>(stand));
        const int kind = Pick(0, 2);
        const int step = std::array{1, 3, 6, 12}[static_cast<std::size_t>(Pick(0, 3))];
        const int day = Pick(1, 31);
        const std::int32_t first = stand + Pick(-400, 400);
        const int offset = Pick(-12, 12);
        for (int k = 0; k < count; ++k) {
            std::int32_t date;
            if (kind == 0) {
                // A regular schedule on one day of the month (the last for short months).
                const int total = s.month - 1 + offset + step * k;
                const int year = s.year + (total >= 0 ? total / 12 : (total - 11) / 12);
                const int month = (total % 12 + 12) % 12 + 1;
                std::optional<double> d;
                for (int dd = day; !d; --dd)
                    d = MakeDate(year, month, dd);
                date = DaySerial(*d);
            } else if (kind == 1) {
                date = first + k * Pick(1, 400);
            } else {
                date = stand + Pick(-3 * 365, 40 * 365);
            }
            const float amount = Chance(3) ? static_cast<float>(std::exp(Real(std::log(1e-5), std::log(1e9))))
                                           : static_cast<float>(Pick(1, 4000) / 8.0);
            b->m_cashflows.push_back({date, amount});
        }
        b->m_nMaturity = b->m_cashflows.front().m_nDate;
        for (const CASHFLOW& cf : b->m_cashflows)
            b->m_nMaturity = std::max(b->m_nMaturity, cf.m_nDate);
        b->m_fPrice = 1.0f;
        b->SetDates(stand, Horizon(stand));
        b->Prepare();
        const std::vector<old::Flow> flows = old::FlowsOf(*b);
        const double y = Yield();
        b->m_fPrice = PriceFor(y, [&](double at) { return old::GapFree(*b, flows, at) + 1.0; });
        const std::int32_t horizon = b->m_nHorizon;
        return {std::move(b), stand, horizon};
    }

    std::mt19937 m_rng;
};

// ---- Comparison --------------------------------------------------------------

// The unit roundoff of a double.
constexpr double kRoundoff = 0x1p-53;

// The figures compared, each with its own summary.
enum Figure {
    kYield,
    kDuration,
    kSquareM,
    kPriceGap,
    kWalkDuration,
    kWalkSquareM,
    kPaymentDiscount,
    kPaymentPresentValue,
    kPaymentShare,
    kPaymentDurationPart,
    kPaymentSquareMPart,
    kFigures
};
constexpr const char* kFigureNames[kFigures] = {"yield",
                                                "duration",
                                                "Square-M",
                                                "price gap",
                                                "walk duration",
                                                "walk Square-M",
                                                "payment discount",
                                                "payment present value",
                                                "payment share",
                                                "payment duration part",
                                                "payment Square-M part"};

// The worst difference seen of one figure, for the summary at the end.
struct Worst {
    double relative = 0; // over the larger of the two
    double absolute = 0;
    long compared = 0;
    long beyondPlain = 0;  // beyond 1e-12 relative and 1e-15 absolute, within what the old rounding explains
    double worstRatio = 0; // of those, the largest difference over the plain bound
    std::string where;     // the worst of those
};

class Judge {
public:
    // True when `now` agrees with `was`: both not numbers, the same infinity,
    // or within 1e-12 relative or 1e-15 absolute, whichever is larger, or
    // within `explained`, what the old arithmetic's own rounding makes of
    // the figure where it is ill-conditioned (see YieldAllowance).
    // A figure that is a difference (the gap) is measured against `size`, the
    // magnitudes it was taken of, instead of itself.
    bool Same(double was, double now, Figure figure, const CBond& bond, double y, double explained = 0, double size = 0)
    {
        Worst& w = m_worst[figure];
        ++w.compared;
        if ((std::isnan(was) && std::isnan(now)) || was == now)
            return true;
        const double diff = std::fabs(was - now);
        const double scale = std::max({std::fabs(was), std::fabs(now), size});
        const double plain = std::max(1e-12 * scale, 1e-15);
        const bool ok = std::isfinite(diff) && diff <= std::max(plain, explained);
        if (!ok) {
            Fail(std::string(kFigureNames[figure]) + " differs: was " + Exact(was) + ", now " + Exact(now) +
                     " (allowed " + Exact(std::max(plain, explained)) + ")",
                 bond, y);
            return false;
        }
        w.relative = std::max(w.relative, diff / scale);
        w.absolute = std::max(w.absolute, diff);
        if (diff > plain) {
            ++w.beyondPlain;
            if (diff / plain > w.worstRatio) {
                w.worstRatio = diff / plain;
                w.where = "at y = " + Exact(y) + ", was " + Exact(was) + ", now " + Exact(now) + ", " + Describe(bond);
            }
        }
        return true;
    }

    void Fail(const std::string& what, const CBond& bond, double y)
    {
        if (++m_failures <= 25)
            ADD_FAILURE() << what << "\n  at y = " << Exact(y) << "\n  " << Describe(bond);
    }

    int Failures() const { return m_failures; }

    void Report() const
    {
        for (int figure = 0; figure < kFigures; ++figure) {
            const Worst& w = m_worst[figure];
            std::printf("  %-22s %8ld compared, worst relative %.3g, absolute %.3g; %ld beyond 1e-12/1e-15 (at "
                        "most %.3g times), within the old rounding\n",
                        kFigureNames[figure], w.compared, w.relative, w.absolute, w.beyondPlain, w.worstRatio);
            if (!w.where.empty())
                std::printf("    the most: %s\n", w.where.c_str());
        }
    }

    static std::string Exact(double v)
    {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return buf;
    }

    static std::string Describe(const CBond& bond)
    {
        std::ostringstream s;
        s << "bond: stand " << bond.m_nStandDate << ", horizon " << bond.m_nHorizon << ", release " << bond.m_nRelease
          << ", maturity " << bond.m_nMaturity << ", price " << Exact(bond.m_fPrice);
        if (const auto* b = dynamic_cast<const CBondStd*>(&bond)) {
            s << ", Type I: period " << b->m_nPeriodMonths << " months, coupon " << Exact(b->m_fCoupon) << ", face "
              << Exact(b->m_fFace) << ", periods " << b->m_nPeriods << ", broken " << b->m_bBroken << ", first "
              << Exact(b->m_fFirst) << ", years " << Exact(b->m_fYears);
        } else if (const auto* f = dynamic_cast<const CBondFree*>(&bond)) {
            s << ", Type II, payments (day:amount)";
            for (const CASHFLOW& cf : f->m_cashflows)
                s << " " << cf.m_nDate << ":" << Exact(cf.m_fAmount);
        }
        return s.str();
    }

private:
    Worst m_worst[kFigures];
    int m_failures = 0;
};

// The magnitudes the old gap adds and subtracts at y: its rounding error is
// a few units of roundoff times their sum. For Type I the annuity's Q / i
// counts whole, since 1 - (1 + i)^-N cancels down to the small rate: a
// yield near nothing, or a life of days, leaves the old gap noisier than any
// agreement to 1e-12 could show.
double OldGapScale(const CBond& bond, const std::vector<old::Flow>& flows, double y)
{
    if (const auto* b = dynamic_cast<const CBondStd*>(&bond)) {
        const double i = std::pow(1 + y, b->m_nPeriodMonths / 12.0) - 1;
        const double v = 1 / std::pow(1 + i, b->m_nPeriods);
        const double Q = b->m_fCoupon;
        const double dr = 1 / std::pow(1 + y, static_cast<double>(b->m_fFirst));
        const double dT = 1 / std::pow(1 + y, static_cast<double>(b->m_fYears));
        // The rate's rounding runs through all N periods of (1 + i)^N.
        const double annuity = std::fabs(Q / i) * (1 + v) + std::fabs(Q);
        return (annuity * (1 + std::abs(b->m_nPeriods))) * dr + std::fabs(b->m_fFace) * dT + b->m_fPrice;
    }
    double sum = bond.m_fPrice;
    for (const old::Flow& f : flows)
        sum += std::fabs(f.amount) / std::pow(1 + y, f.years);
    return sum;
}

// What sixteen units of roundoff of the old gap's magnitudes make of the
// yield: the gap's slope is the price times the duration over 1 + y.
double YieldAllowance(double scale, double y, double duration, double price)
{
    const double slope = duration * price / std::fabs(1 + y);
    return slope > 0 ? 16 * kRoundoff * scale / slope : std::numeric_limits<double>::infinity();
}

// The gap at `y` by both arithmetics: the same refusal, else the same value
// within sixteen units of roundoff of the magnitudes it adds up (the gap
// itself is a difference, near nothing at the yield).
void CompareGap(Judge& judge, const CBond& bond, const std::vector<old::Flow>& flows, double y,
                const std::function<double(double)>& was)
{
    std::optional<double> before, after;
    try {
        before = was(y);
    } catch (const NoYieldFound&) {
    }
    try {
        after = bond.PriceGap(y);
    } catch (const NoYieldFound&) {
    }
    if (before.has_value() != after.has_value()) {
        judge.Fail(before ? "the gap now refuses the yield" : "the gap now takes a yield it refused", bond, y);
        return;
    }
    if (before)
        judge.Same(*before, *after, kPriceGap, bond, y, 16 * kRoundoff * OldGapScale(bond, flows, y),
                   std::fabs(*before + bond.m_fPrice) + bond.m_fPrice);
}

// The walk at `y`: duration, Square-M and every payment as the explanation
// shows it.
template <class Old, class New>
void CompareWalk(Judge& judge, const CBond& bond, double y, double price, bool payments, Old&& was, New&& now)
{
    std::vector<PaymentStep> before, after;
    before.reserve(64);
    after.reserve(64);
    double d0 = 0, m0 = 0, d1 = 0, m1 = 0;
    was(y, price, d0, m0, [&](const PaymentStep& s) { before.push_back(s); });
    now(y, price, d1, m1, [&](const PaymentStep& s) { after.push_back(s); });
    judge.Same(d0, d1, kWalkDuration, bond, y);
    judge.Same(m0, m1, kWalkSquareM, bond, y);
    if (!payments)
        return;
    if (before.size() != after.size()) {
        judge.Fail("the walk takes another number of payments", bond, y);
        return;
    }
    for (std::size_t k = 0; k < before.size(); ++k) {
        const PaymentStep& a = before[k];
        const PaymentStep& b = after[k];
        if (a.index != b.index || a.face != b.face || a.years != b.years || a.amount != b.amount ||
            a.distance != b.distance) {
            judge.Fail("payment " + std::to_string(k) + " has other times or amounts", bond, y);
            return;
        }
        judge.Same(a.discount, b.discount, kPaymentDiscount, bond, y);
        judge.Same(a.presentValue, b.presentValue, kPaymentPresentValue, bond, y);
        judge.Same(a.share, b.share, kPaymentShare, bond, y);
        judge.Same(a.durationPart, b.durationPart, kPaymentDurationPart, bond, y);
        judge.Same(a.squareMPart, b.squareMPart, kPaymentSquareMPart, bond, y);
    }
}

// Yields at which the gap and the walk are taken directly, as the horizon
// values and the optimizers take them: near -100 %, negative, ordinary, huge,
// and beyond the gap's reach.
constexpr double kYields[] = {-1.0,  -0.9999999999, -0.999999, -0.999, -0.5, -0.01, 0.001, 0.02,
                              0.045, 0.07,          0.25,      3.0,    1e3,  1e9,   1e17,  2e18};

// The road of a record, old and new: the same code and outcome; the yield
// within what the old gap's rounding allows, the duration and Square-M within
// what the yields' difference makes of them.
void CompareRoad(Judge& judge, const Case& c, const std::vector<old::Flow>& flows, const RecordAnalysis& was,
                 const RecordAnalysis& now)
{
    const CBond& bond = *c.bond;
    if (was.code != now.code || was.outcome != now.outcome) {
        judge.Fail("the code or outcome changed: was " + std::to_string(was.code) + "/" +
                       std::to_string(static_cast<int>(was.outcome)) + ", now " + std::to_string(now.code) + "/" +
                       std::to_string(static_cast<int>(now.outcome)),
                   bond, was.ytm);
        return;
    }
    if (now.outcome != RecordOutcome::Solved)
        return;
    const double price = bond.m_fPrice;
    judge.Same(was.ytm, now.ytm, kYield, bond, was.ytm,
               YieldAllowance(OldGapScale(bond, flows, was.ytm), was.ytm, was.duration, price));
    // dD/dy = -sum t^2 w / (1 + y), dM2/dy = -sum t d^2 w / (1 + y), over
    // the payments' weights w at the old yield.
    double tt = 0, td = 0;
    auto moments = [&](const PaymentStep& s) {
        tt += std::fabs(s.years * s.years * s.share);
        td += std::fabs(s.years * s.distance * s.distance * s.share);
    };
    double d = 0, m = 0;
    if (const auto* b = dynamic_cast<const CBondStd*>(&bond))
        old::WalkStd(*b, was.ytm, price, d, m, moments);
    else
        old::WalkFree(dynamic_cast<const CBondFree&>(bond), flows, was.ytm, price, d, m, moments);
    const double moved = 2 * std::fabs(now.ytm - was.ytm) / std::fabs(1 + was.ytm);
    judge.Same(was.duration, now.duration, kDuration, bond, was.ytm, tt * moved);
    judge.Same(was.squareM, now.squareM, kSquareM, bond, was.ytm, td * moved);
}

TEST(Discounting, AgreesWithPowersOverAHundredThousandBonds)
{
    Judge judge;
    Maker maker(20261206);
    // One millisecond at each look: a search that never ends runs out of its
    // budget after the same number of steps on any machine.
    test::ScriptedClock clockOld([](int n) { return n; });
    test::ScriptedClock clockNew([](int n) { return n; });
    int solved = 0, refused = 0, noYield = 0;
    std::mt19937 pick(7);
    for (int n = 0; n < 100'000 && judge.Failures() < 25; ++n) {
        Case c = maker.Next();
        CBond& bond = *c.bond;
        // A search that cannot close its gap ends after 20 looks at the clock
        // (10,240 steps), both old and new.
        bond.m_nTimeLimit = 20;
        const Needs needs = c.horizon > c.stand ? Needs::SquareM : Needs::YieldAndDuration;
        const double price = bond.m_fPrice;
        const std::unique_ptr<CBond> copy = test::CopyOf(bond);
        const RecordAnalysis was = old::Analyse(*copy, c.stand, c.horizon, price, clockOld, needs);
        const RecordAnalysis now = AnalyseRecord(bond, c.stand, c.horizon, price, clockNew, needs);
        const auto* s = dynamic_cast<const CBondStd*>(&bond);
        const auto* f = dynamic_cast<const CBondFree*>(&bond);
        const std::vector<old::Flow> flows = f ? old::FlowsOf(*f) : std::vector<old::Flow>{};
        CompareRoad(judge, c, flows, was, now);
        solved += now.outcome == RecordOutcome::Solved;
        refused += now.outcome == RecordOutcome::Refused;
        noYield += now.outcome == RecordOutcome::NoYield;

        // A few of the fixed yields, and the bond's own, straight into the
        // gap and the walk.
        std::vector<double> ys;
        for (int k = 0; k < 2; ++k)
            ys.push_back(kYields[pick() % std::size(kYields)]);
        if (now.outcome == RecordOutcome::Solved)
            ys.push_back(now.ytm);
        const double weighBy = price > 0 ? price : 1.0;
        for (const double y : ys) {
            if (s) {
                CompareGap(judge, bond, flows, y, [&](double at) { return old::GapStd(*s, at); });
                CompareWalk(
                    judge, bond, y, weighBy, n % 8 == 0,
                    [&](double at, double p, double& d, double& m, auto&& v) { old::WalkStd(*s, at, p, d, m, v); },
                    [&](double at, double p, double& d, double& m, auto&& v) { s->WalkPayments(at, p, d, m, v); });
            } else {
                CompareGap(judge, bond, flows, y, [&](double at) { return old::GapFree(*f, flows, at); });
                CompareWalk(
                    judge, bond, y, weighBy, n % 8 == 0,
                    [&](double at, double p, double& d, double& m, auto&& v) {
                        old::WalkFree(*f, flows, at, p, d, m, v);
                    },
                    [&](double at, double p, double& d, double& m, auto&& v) { f->WalkPayments(at, p, d, m, v); });
            }
        }
    }
    std::printf("  %d solved, %d refused, %d without a yield\n", solved, refused, noYield);
    judge.Report();
    // The generator must reach every outcome, or the comparison proves little.
    EXPECT_GT(solved, 80'000);
    EXPECT_GT(refused, 1'000);
    EXPECT_GT(noYield, 10);
}

} // namespace
} // namespace tenvix
