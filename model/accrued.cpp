#include "model/accrued.h"

#include "model/bond.h"

#include <cmath>

namespace tenvix {

double AccruedInterest(const CBondStd& bond)
{
    if (bond.m_nPeriodMonths < 1 || !bond.m_bBroken || bond.m_nStandDate >= bond.m_nMaturity)
        return 0.0;
    const double coupon = bond.m_fCoupon;
    if (!std::isfinite(coupon))
        return 0.0;
    const double tau = bond.m_nPeriodMonths / 12.0;
    const double r = bond.m_fFirst;
    // r lies in [0, tau) as Prepare derives it; the float it is stored as can
    // touch tau itself, where nothing has run yet.
    const double run = tau - r;
    if (!(run > 0.0))
        return 0.0;
    return coupon * run / tau;
}

double AccruedInterest(const CBond& bond)
{
    if (bond.GetType() != BOND_TYPE_STD)
        return 0.0;
    return AccruedInterest(static_cast<const CBondStd&>(bond));
}

double AccruedInterestOn(const CBond& bond, std::int32_t standDay)
{
    if (bond.GetType() != BOND_TYPE_STD)
        return 0.0;
    const auto& terms = static_cast<const CBondStd&>(bond);
    // The terms alone: the identifier and the name are not needed, and not
    // copying them keeps a million rows free of allocations.
    CBondStd copy(terms.m_nRelease);
    copy.m_nMaturity = terms.m_nMaturity;
    copy.m_nPeriodMonths = terms.m_nPeriodMonths;
    copy.m_fCoupon = terms.m_fCoupon;
    copy.m_fFace = terms.m_fFace;
    copy.m_fPrice = terms.m_fPrice;
    copy.m_nStandDate = standDay;
    copy.m_nHorizon = standDay;
    copy.Prepare();
    return AccruedInterest(copy);
}

} // namespace tenvix
