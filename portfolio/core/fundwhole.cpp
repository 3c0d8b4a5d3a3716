#include "portfolio/core/fundwhole.h"

#include "portfolio/core/linearprogram.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {

namespace {
constexpr double kNone = std::numeric_limits<double>::infinity();
} // namespace

// Money in units of the schedule's total M, as in the relaxation; a bond's
// column counts units. Columns: the cash, the surpluses, V (with a share
// limit), the units x_j, and the choices z_j (when the row limit may bind).
std::optional<std::vector<double>> SolveWholeFunding(const FundingGrid& grid, const WholeFundingProblem& p,
                                                     std::span<const WholeFundingColumn> columns, int& nodes)
{
    nodes = 0;
    const int K = static_cast<int>(grid.Count());
    const int n = static_cast<int>(columns.size());
    if (n == 0)
        return std::nullopt;
    const double M = grid.Scale();
    const bool share = p.maxShare < 1.0;
    const bool choose = p.maxRows < n;

    LinearProgram lp;
    const int colCash = 1, colS = 2;
    lp.AddColumns(1 + K);
    const int colV = share ? lp.AddColumns(1) : 0;
    const int colX = lp.AddColumns(n);
    const int colZ = choose ? lp.AddColumns(n) : 0;

    const int rowR = 1;
    lp.AddRows(K);
    const int rowT = share ? lp.AddRows(1) : 0;
    const int rowQ = share ? lp.AddRows(n) : 0;
    const int rowLink = choose ? lp.AddRows(n) : 0;
    const int rowCount = choose ? lp.AddRows(1) : 0;

    std::vector<int> ia, ja;
    std::vector<double> ar;
    auto put = [&](int row, int col, double v) {
        ia.push_back(row);
        ja.push_back(col);
        ar.push_back(v);
    };
    for (int k = 0; k < K; ++k) {
        const auto i = static_cast<std::size_t>(k);
        lp.RowFixed(rowR + k, (grid.Amount(i) - p.held[i]) / M);
        lp.ColumnBounds(colS + k, 0.0, kNone);
        put(rowR + k, colS + k, -1.0);
        if (k + 1 < K)
            put(rowR + k + 1, colS + k, grid.Growth(i + 1));
    }
    lp.Cost(colCash, 1.0);
    lp.ColumnBounds(colCash, 0.0, kNone);
    put(rowR, colCash, grid.Growth(0));
    if (share) {
        lp.RowFixed(rowT, 0.0);
        lp.ColumnBounds(colV, 0.0, kNone);
        put(rowT, colV, 1.0);
        put(rowT, colCash, -1.0);
    }
    for (int j = 0; j < n; ++j) {
        const WholeFundingColumn& c = columns[static_cast<std::size_t>(j)];
        const int x = colX + j;
        // No portfolio dearer than the one offered first is of interest,
        // and none holds more units than a double counts.
        const double most = std::max(c.start, std::min(1e15, std::floor(p.upper / c.price)));
        lp.Integer(x);
        lp.ColumnBounds(x, 0.0, most);
        lp.Cost(x, c.price / M);
        for (std::size_t i = 0; i < c.worth.size(); ++i)
            if (c.worth[i] != 0.0)
                put(rowR + static_cast<int>(c.first + i), x, c.worth[i] / M);
        if (share) {
            put(rowT, x, -c.price / M);
            lp.RowBounds(rowQ + j, 0.0, kNone);
            put(rowQ + j, colV, p.maxShare);
            put(rowQ + j, x, -c.price / M);
        }
        if (choose) {
            const int z = colZ + j;
            lp.Binary(z);
            lp.RowBounds(rowLink + j, -kNone, 0.0); // units only where chosen
            put(rowLink + j, x, 1.0);
            put(rowLink + j, z, -most);
            put(rowCount, z, 1.0);
        }
    }
    if (choose)
        lp.RowBounds(rowCount, -kNone, p.maxRows);
    lp.SetMatrix(ia, ja, ar);

    // The solution offered first, its surpluses walked by the rows' own steps.
    LinearProgram::WholeOptions options;
    options.relativeGap = p.relativeGap;
    options.nodeLimit = std::max(1, p.nodeLimit);
    options.enoughGap = p.enoughGap;
    options.enoughNodes = p.enoughNodes;
    options.going = p.going;
    options.cuts = true;
    options.start.assign(static_cast<std::size_t>(lp.Columns()), 0.0);
    {
        std::vector<double> brings(grid.Count(), 0.0);
        double cost = p.startCash;
        for (int j = 0; j < n; ++j) {
            const WholeFundingColumn& c = columns[static_cast<std::size_t>(j)];
            options.start[static_cast<std::size_t>(colX + j - 1)] = c.start;
            if (choose)
                options.start[static_cast<std::size_t>(colZ + j - 1)] = c.start > 0 ? 1.0 : 0.0;
            for (std::size_t i = 0; i < c.worth.size(); ++i)
                brings[c.first + i] += c.start * c.worth[i];
            cost += c.start * c.price;
        }
        options.start[colCash - 1] = p.startCash / M;
        double surplus = p.startCash / M;
        for (int k = 0; k < K; ++k) {
            const auto i = static_cast<std::size_t>(k);
            surplus = surplus * grid.Growth(i) + (brings[i] + p.held[i] - grid.Amount(i)) / M;
            options.start[static_cast<std::size_t>(colS + k - 1)] = std::max(0.0, surplus);
        }
        if (share)
            options.start[static_cast<std::size_t>(colV - 1)] = cost / M;
    }
    nodes = lp.SolveWhole(options);
    const LinearProgram::Status status = lp.WholeStatus();
    if (status != LinearProgram::Status::Optimal && status != LinearProgram::Status::Feasible)
        return std::nullopt;
    std::vector<double> units(columns.size());
    for (int j = 0; j < n; ++j)
        units[static_cast<std::size_t>(j)] = std::max(0.0, std::round(lp.WholeValue(colX + j)));
    return units;
}

} // namespace tenvix
