#pragma once

// The ladder: a portfolio walked against a schedule, liability by
// liability. Cash c is held from the stand date; the surplus carried to
// liability k is S_k = S_(k-1) (1 + rho)^(s_k - s_(k-1)) + what the
// payments funding k are worth there - L_k, from S_0 = c. The funding's
// answer is walked by the same steps, so the cash it reports keeps every
// surplus at or above 0.

#include "portfolio/core/funding.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tenvix {

// Units of a bond and its payments per unit.
struct LadderHolding {
    double units = 0.0;
    std::span<const PaymentColumn::Flow> payments;
};

struct LadderRow {
    std::int32_t day = 0;
    double liability = 0.0;
    double inflow = 0.0;       // the payments that fund it, undiscounted
    double reinvestment = 0.0; // what rho adds on the way, to the surplus carried and to payments made before
    double surplus = 0.0;      // S_k
};

struct Ladder {
    std::vector<LadderRow> rows;
    double after = 0.0; // paid after the last liability, undiscounted
};

// A surplus below this is short: it is a shortfall of at least a cent as
// the ladder prints money.
inline constexpr double kShortBelow = -0.005;

Ladder WalkLadder(const FundingGrid& grid, double cash, std::span<const LadderHolding> holdings);

// The least cash, in whole cents, that keeps every surplus of the walk at or
// above 0 with the holdings given.
double CashNeeded(const FundingGrid& grid, std::span<const LadderHolding> holdings);

} // namespace tenvix
