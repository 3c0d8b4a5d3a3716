#include "curve/nss.h"

#include <cmath>

namespace tenvix::curve {

// f1 through expm1, so that a short time loses no digits.
Shape ShapeAt(double x)
{
    if (x < 1e-12)
        return {1.0, 1.0};
    return {-std::expm1(-x) / x, std::exp(-x)};
}

Loadings LoadingsAt(double t, double tau1, double tau2, bool tauParts)
{
    const double x1 = t / tau1;
    const double x2 = t / tau2;
    const Shape s1 = ShapeAt(x1);
    const Shape s2 = ShapeAt(x2);
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

double ZeroRate(const CurveParams& p, double t)
{
    const Loadings l = LoadingsAt(t, p.tau[0], p.tau[1], false);
    return p.beta[0] + p.beta[1] * l.l1 + p.beta[2] * l.l2 + p.beta[3] * l.l3;
}

double Discount(const CurveParams& p, double t) { return std::exp(-ZeroRate(p, t) * t); }

double ParYield(const CurveParams& p, double T)
{
    if (T < 1.0)
        return std::expm1(ZeroRate(p, T));
    double annuity = 0;
    for (int k = 1; k <= T; ++k)
        annuity += Discount(p, k);
    return (1 - Discount(p, T)) / annuity;
}

} // namespace tenvix::curve
