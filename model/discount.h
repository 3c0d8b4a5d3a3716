#pragma once

// The discounting arithmetic of the price gaps and the walks. A yield's
// powers of 1 + y all come from one logarithm of it; what a per-payment power
// would give is kept to within a few units of roundoff, and where it would
// not be (a yield near -100 % or beyond all measure), pow decides as before.

#include <cmath>
#include <cstdint>
#include <limits>

namespace tenvix {

// e^x - 1, for the rate of a period: by its series where |x| is below
// kSeriesReach (a period's yield below 10.5 %), in multiplications the
// processor overlaps; the C library's expm1 beyond, whose division would
// make every trial yield wait on it. Both keep the digits of a small rate
// that exp(x) - 1 would lose.
inline constexpr double kSeriesReach = 0.1;
inline double ExpMinusOne(double x)
{
    if (!(std::fabs(x) < kSeriesReach))
        return std::expm1(x);
    // x + x^2 (1/2! + x/3! + ... + x^9/11!): the next term is below 3e-20 of
    // x. The terms in pairs and the pairs by powers of x, so that the sums do
    // not wait on one another (Estrin's scheme).
    const double x2 = x * x;
    const double x4 = x2 * x2;
    const double p01 = 1.0 / 2 + x * (1.0 / 6);
    const double p23 = 1.0 / 24 + x * (1.0 / 120);
    const double p45 = 1.0 / 720 + x * (1.0 / 5040);
    const double p67 = 1.0 / 40320 + x * (1.0 / 362880);
    const double p89 = 1.0 / 3628800 + x * (1.0 / 39916800);
    const double q = (p01 + x2 * p23) + x4 * ((p45 + x2 * p67) + x4 * p89);
    return x + x2 * q;
}

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
        : log(1 + y > 0 && 1 + y < std::numeric_limits<double>::infinity() ? std::log(1 + y)
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
            const double m = ExpMinusOne(-x);
            high = 1 + m;
            low = m - (high - 1);
        } else {
            high = std::exp(-x);
        }
    }
    double high = 0;
    double low = 0;
};

} // namespace tenvix
