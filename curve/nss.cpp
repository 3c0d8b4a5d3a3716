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
    return LoadingsOf(ShapeAt(x1), ShapeAt(x2), x1, x2, tau1, tau2, tauParts);
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
