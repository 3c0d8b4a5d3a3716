#pragma once

// Choosing which bonds to buy when the row limit binds: the relaxation over
// a set of bonds is a small program, so a set of at most N is sought by
// dropping from the relaxation's bonds the one whose loss costs least, until
// N are left, then by swapping a bond of the set for one outside it while
// that lowers the set's relaxed cost. The whole-unit search then starts from
// the best set found.

#include "portfolio/core/funding.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tenvix {

struct RowsColumn {
    double price = 0.0;
    std::uint32_t first = 0;
    std::span<const double> worth;
};

struct RowsChoice {
    std::vector<std::size_t> chosen; // indices into the columns, at most N
    std::vector<double> units;       // the relaxation's units of each chosen
    double cost = 0.0;               // the relaxation's cost over the set
};

// `start` is the relaxation's bonds, best first; `going` stops the search
// between programs.
RowsChoice ChooseRows(const FundingGrid& grid, std::span<const double> held, double maxShare, int maxRows,
                      std::span<const RowsColumn> columns, std::vector<std::size_t> start,
                      const std::function<bool()>& going);

} // namespace tenvix
