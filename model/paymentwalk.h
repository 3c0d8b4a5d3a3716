#pragma once

// The one walk over a record's payments that adds up duration and Square-M.
// GetDurationM2 runs it with nothing to watch; the payment-by-payment
// explanation runs it with a visitor that keeps every step. Because both run
// the same arithmetic in the same order, the explanation's totals are the very
// doubles the analysis reports. Keep every expression as it stands: a
// reordered product changes the last bit of a published figure.

#include "model/bond.h"
#include "model/date.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace tenvix {

// Powers of 1 + y by logarithms: (1 + y)^x is exp(x * ln(1 + y)), with the
// logarithm taken once per yield, so that a power costs an exponential where
// pow costs a logarithm and an exponential. The base is the double 1 + y as
// the powers have always taken it: a yield so small that 1 + y rounds to 1
// stays a yield of nothing. Where the base is no positive finite number, or a
// discount would leave [kLowestDiscount, kHighestDiscount] (the yield near
// -100 % or beyond all measure), pow itself decides, with its special cases
// and its gradual underflow, as it always did there.
struct GrowthLog {
    explicit GrowthLog(double y)
        : log(1 + y > 0 && 1 + y < std::numeric_limits<double>::infinity()
                  ? std::log(1 + y)
                  : std::numeric_limits<double>::quiet_NaN())
    {
    }
    // (1 + y)^-x, or NaN where pow must decide (no discount is NaN otherwise).
    double Discount(double x) const { return std::exp(-x * log); }
    double log; // ln(1 + y); NaN where the base is no positive finite number
};
inline constexpr double kLowestDiscount = 1e-300;
inline constexpr double kHighestDiscount = 1e300;
inline bool DiscountUsable(double d) { return d > kLowestDiscount && d < kHighestDiscount; }
// The largest exponent whose exponential stays well inside the normal doubles.
inline constexpr double kNormalExponent = 690;
// The error e of the rounded sum s of a and b: a + b = s + e exactly.
inline double RoundingOfSum(double a, double b, double s)
{
    const double bPart = s - a;
    return (a - (s - bPart)) + (b - bPart);
}
// exp(-x) for |x| below kSmallExponent, by its series: the fourth power's
// term is below 1e-21 there.
inline constexpr double kSmallExponent = 1e-5;
inline double SmallDiscount(double x) { return 1 - x * (1 - x * (0.5 - x * (1.0 / 6))); }
// A Type I walk takes every kDiscountAnchor-th coupon's discount afresh.
inline constexpr std::int32_t kDiscountAnchor = 16;

// e^-x as high + low, to within about x times the roundoff: the factor a
// coupon's discount is multiplied by to give the next one's, carried to more
// than a double's digits so that its rounding does not pile up along the
// schedule. Past |x| of ln 2 one double, which the discounts then fall too
// fast (or the yield is too far below nothing) for its rounding to matter.
struct PeriodDiscount {
    explicit PeriodDiscount(double x)
    {
        if (std::fabs(x) < 0.6931471805599453) {
            const double m = std::expm1(-x);
            high = 1 + m;
            low = m - (high - 1);
        } else {
            high = std::exp(-x);
        }
    }
    double high = 0;
    double low = 0;
};

// One payment as the walk adds it. Each figure is the double the walk uses.
struct PaymentStep {
    std::size_t index = 0; // among the payments walked, from 0
    bool face = false;     // a Type I face value, not a coupon
    double years = 0.0;    // time from the stand date, as the engine counts it
    double amount = 0.0;
    double discount = 0.0;     // (1 + ytm)^-years
    double presentValue = 0.0; // the payment's value at the yield
    double share = 0.0;        // presentValue over the weighting price
    double distance = 0.0;     // from the horizon, as the engine measures it
    double durationPart = 0.0; // share * years, its part of the duration
    double squareMPart = 0.0;  // share * distance^2, its part of Square-M
};

// Coupons at their times counted back from maturity, then the face value at
// maturity. A coupon's distance from the horizon is the running w, its time
// minus the horizon in years (plus the remainder r below 0.00001 when the
// stand date falls on a coupon date); the face value's is the horizon's year
// fraction after maturity, the other way round from the coupons', which only
// its square can tell apart.
template <class Visit>
void CBondStd::WalkPayments(double y, double P, double& duration, double& m2, Visit&& visit) const
{
    const double tau = m_nPeriodMonths / 12.0;
    const double r = m_fFirst;
    const double T = m_fYears;
    const double Q = m_fCoupon;
    const double h = YearFraction(m_nStandDate, m_nHorizon);
    double t, w;
    if (m_bBroken) {
        t = r - tau;
        w = r - tau + h;
    } else {
        t = 0;
        w = r + h;
    }
    double D = 0, M2 = 0;
    const std::int32_t coupons = m_nPeriods + (m_bBroken ? 1 : 0);
    PaymentStep step;
    step.amount = Q;
    // Adds the k-th coupon at time t, its present value in step.
    auto add = [&](std::int32_t k) {
        const double weight = step.presentValue / P;
        step.durationPart = weight * t;
        D = D + step.durationPart;
        w = w + tau;
        step.squareMPart = weight * (w * w);
        M2 = M2 + step.squareMPart;
        step.index = static_cast<std::size_t>(k);
        step.years = t;
        step.share = weight;
        step.distance = w;
        visit(static_cast<const PaymentStep&>(step));
    };
    const GrowthLog growth(y);
    // The discounts fall (or rise) with time, so when the first coupon's and
    // the face value's lie in the usable range, all do.
    const bool usable = std::fabs((t + tau) * growth.log) < kNormalExponent && std::fabs(T * growth.log) < kNormalExponent;
    double discount = 0;
    if (usable) {
        // Each coupon's discount is the one before it times (1 + y)^-tau; the
        // first (a broken period's) and every kDiscountAnchor-th are taken
        // afresh, so that rounding cannot pile up over a long schedule.
        const PeriodDiscount period(tau * growth.log);
        for (std::int32_t k = 0; k < coupons;) {
            t = t + tau;
            discount = t == tau ? period.high + period.low : growth.Discount(t);
            const std::int32_t end = std::min(coupons, k + kDiscountAnchor);
            for (;;) {
                step.discount = discount;
                step.presentValue = Q * discount;
                add(k);
                if (++k == end)
                    break;
                // The sum rounds: t rises by tau - e, and the discount
                // follows the time as summed (e * ln(1 + y) is so small that
                // exp(e * ln(1 + y)) is 1 + e * ln(1 + y) to the last bit).
                const double before = t;
                t = t + tau;
                const double low = period.low + period.high * (RoundingOfSum(before, tau, t) * growth.log);
                discount = discount * period.high + discount * low;
            }
        }
    } else {
        for (std::int32_t k = 0; k < coupons; ++k) {
            t = t + tau;
            const double power = std::pow(1 + y, t);
            step.presentValue = Q / power;
            step.discount = 1 / power;
            add(k);
        }
    }
    // The face value falls due with the last coupon but for the rounding of
    // the times, which the series bridges.
    const double faceStep = (T - t) * growth.log;
    step.amount = m_fFace;
    step.discount = usable && coupons > 0 && std::fabs(faceStep) < kSmallExponent ? discount * SmallDiscount(faceStep)
                                                                                  : growth.Discount(T);
    if (DiscountUsable(step.discount)) {
        step.presentValue = step.amount * step.discount;
    } else {
        const double power = std::pow(1 + y, T);
        step.presentValue = step.amount / power;
        step.discount = 1 / power;
    }
    const double weightF = step.presentValue / P;
    step.durationPart = weightF * T;
    D = D + step.durationPart;
    const double q = YearFraction(m_nHorizon, m_nMaturity);
    step.squareMPart = weightF * (q * q);
    M2 = M2 + step.squareMPart;
    step.index = static_cast<std::size_t>(coupons);
    step.face = true;
    step.years = T;
    step.share = weightF;
    step.distance = q;
    visit(static_cast<const PaymentStep&>(step));
    duration = D;
    m2 = M2;
}

// The payments after the stand date in list order, each at its calendar time
// from the stand date; the distance from the horizon is that time minus the
// horizon in years.
template <class Visit>
void CBondFree::WalkPayments(double y, double P, double& duration, double& m2, Visit&& visit) const
{
    const double IH = YearFraction(m_nHorizon, m_dtStand);
    double D = 0, M2 = 0;
    const GrowthLog growth(y);
    PaymentStep step;
    for (const Flow& f : m_flows) {
        step.discount = growth.Discount(f.years);
        if (!DiscountUsable(step.discount))
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

} // namespace tenvix
