#pragma once

// The yield search: bracket the root of a falling present-value gap by doubling
// or halving from 0.05, then close in by false position. Both the records and
// the analysis window solve with it; they differ only in the constants below
// and in how they watch the clock.

#include <cmath>
#include <cstdint>

namespace tenvix {

// Thrown by a gap function or the search when no yield can be given: a trial
// yield out of range, or the time budget spent. It carries no text; whoever
// started the analysis decides what the user sees.
class NoYieldFound {};

struct SolverConstants {
    double tolerance; // a gap whose magnitude is below this is a root
    double firstTrial = 0.05;
    double upTrial = 0.1;     // second trial when the first is too low
    double downTrial = 0.025; // second trial when the first is too high
};

// The records' search (CBond::GetYTM). It looks at the clock once every
// kRecordClockCadence false-position steps; once its budget is spent, an
// estimate whose gap is within kRecordAcceptBand of nothing is still taken,
// any other ends the search. One record may take kRecordTimeLimitMs, a
// portfolio valued as one bond kPortfolioTimeLimitMs.
inline constexpr SolverConstants kRecordSolver{1e-6};
inline constexpr int kRecordClockCadence = 512;
inline constexpr double kRecordAcceptBand = 0.001;
inline constexpr std::int32_t kRecordTimeLimitMs = 1900;
inline constexpr std::int32_t kPortfolioTimeLimitMs = 7000;

// The Bond Analysis window's search (model/analysiscalc.h). It counts gap
// evaluations, bracketing included, and looks at the clock on every
// kAnalysisClockCadence-th; a spent budget is a failure, with no band of
// estimates that are close enough.
inline constexpr SolverConstants kWindowSolver{1e-7};
inline constexpr std::int64_t kAnalysisTimeLimitMs = 5000;
inline constexpr std::int64_t kAnalysisClockCadence = 2048;

namespace detail {
// A gap that is not a number counts as close enough: it only appears once a
// rate has rounded away to nothing, and then the trial in hand is the answer.
inline bool Converged(double gap, double tolerance) { return !(std::fabs(gap) >= tolerance); }
} // namespace detail

// Finds y with |gap(y)| below the tolerance. `gap` may throw NoYieldFound.
// `afterStep(x, g)` runs after every false-position step with the estimate and
// its gap, before the next estimate is made; it may throw, or return true to
// accept x as it stands.
template <class Gap, class AfterStep>
double SolveYield(const SolverConstants& c, Gap&& gap, AfterStep&& afterStep)
{
    using detail::Converged;
    double g = gap(c.firstTrial);
    if (Converged(g, c.tolerance))
        return c.firstTrial;

    double lo, hi, gLo, gHi;
    if (g > 0) {
        lo = c.firstTrial;
        gLo = g;
        hi = c.upTrial;
        gHi = gap(hi);
        if (Converged(gHi, c.tolerance))
            return hi;
        while (gHi > 0) {
            lo = hi;
            gLo = gHi;
            hi = 2 * hi;
            gHi = gap(hi);
            if (Converged(gHi, c.tolerance))
                return hi;
        }
    } else {
        hi = c.firstTrial;
        gHi = g;
        lo = c.downTrial;
        gLo = gap(lo);
        if (Converged(gLo, c.tolerance))
            return lo;
        while (gLo < 0) {
            hi = lo;
            gHi = gLo;
            lo = lo / 2;
            gLo = gap(lo);
            if (Converged(gLo, c.tolerance))
                return lo;
        }
    }

    double x = lo - (hi - lo) * gLo / (gHi - gLo);
    g = gap(x);
    while (!Converged(g, c.tolerance)) {
        if (g > 0) {
            lo = x;
            gLo = g;
        } else {
            hi = x;
            gHi = g;
        }
        if (afterStep(x, g))
            return x;
        x = lo - (hi - lo) * gLo / (gHi - gLo);
        g = gap(x);
    }
    return x;
}

} // namespace tenvix
