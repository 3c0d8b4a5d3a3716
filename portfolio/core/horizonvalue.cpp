#include "portfolio/core/horizonvalue.h"

#include <cmath>

namespace tenvix {

namespace {

double ValueAtHorizon(std::span<CBond* const> bonds, std::span<const double> units, double y, double H, double V)
{
    double pv = 0.0;
    for (std::size_t i = 0; i < bonds.size() && i < units.size(); ++i)
        if (units[i] != 0.0)
            pv += units[i] * (bonds[i]->PriceGap(y) + static_cast<double>(bonds[i]->m_fPrice));
    return 100.0 * std::pow(1.0 + y, H) * pv / V;
}

double ValueAtHorizon(const Explanation& e, double y)
{
    double pv = 0.0;
    for (const ExplainedPayment& p : e.payments)
        pv += p.amount * std::pow(1.0 + y, -p.years);
    return 100.0 * std::pow(1.0 + y, e.horizonYears) * pv / e.price;
}

// The value at each shift of `ytm` against the unshifted one. A yield at or
// below -100 % has no value, so its shift is left out, and so is everything
// when there is no unshifted value to measure against.
template <class ValueAt>
std::vector<ShiftPoint> ShiftedValues(double ytm, double fromBp, double toBp, double stepBp, ValueAt valueAt)
{
    std::vector<ShiftPoint> points;
    if (!(1.0 + ytm > 0.0) || !(stepBp > 0.0) || !(fromBp <= toBp))
        return points;
    const double unshifted = valueAt(ytm);
    if (!std::isfinite(unshifted) || !(unshifted > 0.0))
        return points;
    const std::size_t n = ShiftCount(fromBp, toBp, stepBp);
    points.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        ShiftPoint p;
        p.shiftBp = fromBp + static_cast<double>(k) * stepBp;
        p.yield = ytm + p.shiftBp / 10000.0;
        if (!(1.0 + p.yield > 0.0))
            continue;
        p.horizonValue = valueAt(p.yield);
        p.changePercent = 100.0 * (p.horizonValue / unshifted - 1.0);
        if (std::isfinite(p.changePercent))
            points.push_back(p);
    }
    return points;
}

} // namespace

std::size_t ShiftCount(double fromBp, double toBp, double stepBp)
{
    // A step that lands on `to` but for the last bit of a double still reaches it.
    return static_cast<std::size_t>(std::floor((toBp - fromBp) / stepBp + 1e-9)) + 1;
}

std::vector<ShiftPoint> HorizonValues(std::span<CBond* const> bonds, std::span<const double> units, double ytm,
                                      double horizonYears, double fromBp, double toBp, double stepBp)
{
    double V = 0.0;
    for (std::size_t i = 0; i < bonds.size() && i < units.size(); ++i)
        V += units[i] * static_cast<double>(bonds[i]->m_fPrice);
    return ShiftedValues(ytm, fromBp, toBp, stepBp,
                         [&](double y) { return ValueAtHorizon(bonds, units, y, horizonYears, V); });
}

std::vector<ShiftPoint> HorizonValues(const Explanation& explanation, double fromBp, double toBp, double stepBp)
{
    if (!(explanation.price > 0.0))
        return {};
    return ShiftedValues(explanation.ytm, fromBp, toBp, stepBp,
                         [&](double y) { return ValueAtHorizon(explanation, y); });
}

} // namespace tenvix
