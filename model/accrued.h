#pragma once

#include <cstdint>

// Accrued interest: the part of the coming coupon a Type I bond has earned
// since its last coupon time, on the stand date of its last Prepare. It is
// read off the valuation's own schedule (coupons counted back from maturity
// in whole pay periods, the first one m_fFirst years after the stand date),
// so that a clean quote plus this amount is exactly the price the valuation
// discounts. The schedule has no calendar dates, so neither has this: a
// market's day count between calendar coupon dates can differ by a few days
// at month ends.

namespace tenvix {

class CBond;
class CBondStd;

// coupon * (tau - r) / tau for a broken period (tau the pay period in years,
// r = m_fFirst as stored), 0 on a coupon time. A record the valuation has
// no schedule for (a pay period below 1, a stand date on or after maturity,
// a coupon that is not finite) has nothing accrued either. Call after
// SetDates and Prepare.
double AccruedInterest(const CBondStd& bond);

// The same for any record: a Type II record has no coupon of its own, so
// nothing accrues.
double AccruedInterest(const CBond& bond);

// The accrued interest of `bond` on `standDay`, worked out on a copy of its
// terms, so that the record and the dates it holds are left as they are (a
// price import judges against records the windows show).
double AccruedInterestOn(const CBond& bond, std::int32_t standDay);

} // namespace tenvix
