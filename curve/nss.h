#pragma once

// The yield curve as a formula: continuously compounded zero rates of the
// Nelson-Siegel-Svensson form,
//   z(t) = b0 + b1 f1(t/tau1) + b2 (f1(t/tau1) - e^(-t/tau1)) + b3 (f1(t/tau2) - e^(-t/tau2)),
// f1(x) = (1 - e^(-x)) / x, and the discount d(t) = e^(-z(t) t). Rates are
// fractions (0.03 for 3 %), times years from the stand date.

#include <array>

namespace tenvix::curve {

struct CurveParams {
    std::array<double, 4> beta{}; // b0 .. b3
    std::array<double, 2> tau{1.0, 1.0};
};

// The bounds the fit keeps to: without them b2 = -b3 can run away as tau1
// nears tau2.
inline constexpr double kBetaBound = 1.0;
inline constexpr double kTauLow = 0.05;
inline constexpr double kTauHigh = 30.0;

// f1(x) and e^(-x) at x = t / tau.
struct Shape {
    double f1;
    double e;
};
Shape ShapeAt(double x);

// What multiplies b1, b2 and b3 at time t (t > 0): f1(t/tau1),
// f1(t/tau1) - e^(-t/tau1) and f1(t/tau2) - e^(-t/tau2); with `tauParts`, also
// their derivatives by tau1 (the first two) and tau2 (the third).
struct Loadings {
    double l1 = 0, l2 = 0, l3 = 0;
    double dl1 = 0, dl2 = 0, dl3 = 0;
};
Loadings LoadingsAt(double t, double tau1, double tau2, bool tauParts);
// The same from the shapes at x1 = t / tau1 and x2 = t / tau2, for a caller
// that has them already.
inline Loadings LoadingsOf(Shape s1, Shape s2, double x1, double x2, double tau1, double tau2, bool tauParts)
{
    Loadings l;
    l.l1 = s1.f1;
    l.l2 = s1.f1 - s1.e;
    l.l3 = s2.f1 - s2.e;
    if (tauParts) {
        // d f1(t/tau)/d tau = (f1 - e)/tau, d (f1 - e)/d tau = (f1 - e - x e)/tau.
        l.dl1 = l.l2 / tau1;
        l.dl2 = (l.l2 - x1 * s1.e) / tau1;
        l.dl3 = (l.l3 - x2 * s2.e) / tau2;
    }
    return l;
}

double ZeroRate(const CurveParams& p, double t);
double Discount(const CurveParams& p, double t);

// The coupon rate at which an annual-coupon bond of T years is priced at par
// on the curve, (1 - d(T)) / sum of d(k) over whole years k <= T; below one
// year, where no coupon falls, the zero rate as an annual one, e^z - 1. A
// coupon bond's yield to maturity is comparable to it.
double ParYield(const CurveParams& p, double T);

} // namespace tenvix::curve
