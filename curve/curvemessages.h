#pragma once

// What the curve says when it gives no curve, and the words of its rows'
// statuses: written once for `tenvix-cli curve` and the Market window.

#include "curve/market.h"

#include <string>
#include <string_view>

namespace tenvix::curve {

// Fewer than kLeastFitted bonds qualify.
std::string TooFewBondsText();
// What a fit that gave no curve says (nothing for Fitted and Stopped): too
// few bonds; their payments on more times than a book holds; no search
// ended with a finite objective (payments so far off that no discount on
// the curve's bounds can value them).
std::string FitOutcomeText(FitOutcome outcome);
// An identifier of --exclude that reaches no bond.
std::string NoBondText(std::string_view id);

// A bond's status in the curve's rows: empty for a fitted bond; "excluded",
// "short" or "excluded short" for one that is valued but does not move the
// curve; the analysis' "bad_ytm" or "incompatible" for one with no figures.
std::string_view MarketStatusText(const MarketBond& bond);

} // namespace tenvix::curve
