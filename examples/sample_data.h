#pragma once

#include "model/bondlist.h"

namespace tenvix {

// The bundled sample database: government-style annual and semi-annual coupon
// bonds, zero coupons, a few free-cashflow bonds with irregular payments, and
// some bonds that have matured. Fixed dates, so the file comes out the same on
// every run.
CBondList MakeSampleDatabase();

} // namespace tenvix
