#pragma once

// Whole units for the funding: the relaxation's program over the few bonds
// that priced in, the units whole and, when the row limit may bind, each
// bond's use a binary choice with at most N chosen, solved by GLPK's branch
// and bound within a counted number of subproblems.

#include "portfolio/core/funding.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tenvix {

struct WholeFundingColumn {
    double price = 0.0;
    std::uint32_t first = 0;
    std::span<const double> worth; // a unit's, from liability `first` on
    double start = 0.0;            // its units in the solution offered first
};

struct WholeFundingProblem {
    std::span<const double> held; // what the held units bring to each liability
    double maxShare = 1.0;
    int maxRows = 20;
    double upper = 0.0;        // the cost of the solution offered first: no answer costs more
    double startCash = 0.0;    // that solution's cash
    double relativeGap = 5e-4; // how far above the program's own bound the search may stop
    int nodeLimit = 20000;
    double enoughGap = 0.0; // within this, the search stops after enoughNodes subproblems
    int enoughNodes = 0;
    std::function<bool()> going;
};

// The units of each column, whole, or nothing when the search found none.
// `nodes` tells how many subproblems it made.
std::optional<std::vector<double>> SolveWholeFunding(const FundingGrid& grid, const WholeFundingProblem& problem,
                                                     std::span<const WholeFundingColumn> columns, int& nodes);

} // namespace tenvix
