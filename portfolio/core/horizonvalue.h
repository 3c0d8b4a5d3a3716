#pragma once

// What a bond or a portfolio is worth at the horizon if the yield curve moves
// today by a parallel shift and stays there: its payments still to come, each
// reinvested or discounted to the horizon at the shifted yield. A portfolio
// whose duration is the horizon loses nothing under any shift; that is what
// holding the horizon means.

#include "model/bond.h"
#include "model/explain.h"

#include <span>
#include <vector>

namespace tenvix {

struct ShiftPoint {
    double shiftBp = 0.0;       // the shift, in basis points
    double yield = 0.0;         // the yield shifted
    double horizonValue = 0.0;  // per 100 of today's market value
    double changePercent = 0.0; // against the value with no shift
};

// The pooled payments of `bonds` (dated and prepared, as an analysis leaves
// them) held in `units`, at their composite yield `ytm`, for every shift from
// `fromBp` to `toBp` in steps of `stepBp` basis points. At a yield y the value
// is 100 (1 + y)^H PV(y) / V: PV the pooled present value, V the pooled market
// value (units times stored prices), H `horizonYears`. A yield out of the
// engine's reach throws NoYieldFound. A shift that takes the yield to -100 %
// or below has no value and is left out, as is everything when there is no
// value to measure against (no price, a yield at -100 %, an empty range).
std::vector<ShiftPoint> HorizonValues(std::span<CBond* const> bonds, std::span<const double> units, double ytm,
                                      double horizonYears, double fromBp, double toBp, double stepBp);

// The same from an explanation: its rows are the payments still to come, at
// the times the analysis counted, weighted by its price (a bond's, a payment
// list's or a portfolio's pooled market value), at its yield and horizon. So
// whoever holds only the explanation draws what the bonds would give, with
// the same shifts left out.
std::vector<ShiftPoint> HorizonValues(const Explanation& explanation, double fromBp, double toBp, double stepBp);

// How many shifts that is: from, from + step, ... up to to.
std::size_t ShiftCount(double fromBp, double toBp, double stepBp);

} // namespace tenvix
