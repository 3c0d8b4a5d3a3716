#pragma once

// The composite bond explained payment by payment: the pooled payments of all
// members, each naming its bond, amounts and present values multiplied by the
// member's units, shares of the pooled market value.

#include "model/explain.h"
#include "portfolio/core/bondportf.h"

#include <span>

namespace tenvix {

struct PortfolioExplanation {
    PortfolioFigures figures;
    Explanation explanation; // rows only when the figures are Ready
};

// CalculatePortfolio, then every member's payments at the portfolio's yield,
// weighted by the pooled market value, in date order (members in row order on
// one date). A member holding no units pays nothing and is not listed. The
// totals' duration and Square-M are the composite's figures; the rows' parts
// sum to them within rounding, as each member's sum is scaled by its units
// before the composite adds them.
PortfolioExplanation ExplainPortfolio(std::span<CBond* const> bonds, std::span<const double> units, double stand,
                                      double horizon, const Clock& clock);

} // namespace tenvix
