#pragma once

// The relaxation of the funding: fractional units, the row limit set aside,
// every other limit kept, over the bonds taken on so far (the master of the
// column generation). With money counted in units of the schedule's total M:
//   minimise   c + sum y_j                       the cost
//   R_k:       sum_j y_j w_jk / P_j + g_k S_(k-1) - S_k = (L_k - H_k) / M
//   T:         V - c - sum y_j = 0               the whole cost (with a share limit)
//   Q_j:       s V - y_j >= 0                    no bond above the share s
// with y_j the money in bond j, w_jk what a unit of it brings to liability k
// (valued there), P_j its price, S_k >= 0 the surplus carried (S_0 = c, the
// cash), g_k the growth between two dates, H_k what the held units bring.
//
// A bond not taken on is priced against the duals: a unit costs P (1 + pi_T)
// less what it brings at the duals' values, sum pi_k w_k; below 0 it is worth
// taking on. Whatever the duals, the cost of any portfolio that costs at most
// U is at least sum pi_k b_k plus, for each variable whose reduced cost d is
// below 0, d times the most it can be in such a portfolio: that is the lower
// bound reported, a proof rather than the solver's word.

#include "portfolio/core/funding.h"
#include "portfolio/core/linearprogram.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tenvix {

class FundMaster {
public:
    // `held` is what the held units bring to each liability, valued there.
    FundMaster(const FundingGrid& grid, std::span<const double> held, double maxShare);

    // Takes on a bond: its price and what a unit brings to the liabilities
    // from `first` on. Returns its column's index, from 0.
    std::size_t Add(double price, std::uint32_t first, std::span<const double> worth);
    std::size_t Size() const { return m_columns.size(); }

    // Solves from the last basis; false when the solver gives up.
    bool Solve();
    // Of the last solution: the cost and the units of a column.
    double Cost() const;
    double Units(std::size_t j) const;

    // What a unit of a bond not taken on costs less what it brings, at the
    // last duals, in money; `slack` is told how far the values' rounding
    // (floats hold them to about 6e-8 of each) could move it.
    template <class Value>
    double ReducedCost(double price, std::uint32_t first, std::span<const Value> worth, double& slack) const
    {
        double brings = 0.0, size = 0.0;
        for (std::size_t i = 0; i < worth.size(); ++i) {
            const double v = m_pi[first + i] * static_cast<double>(worth[i]);
            brings += v;
            size += std::fabs(v);
        }
        slack = size * 2.5e-7;
        return price * (1.0 + m_piT) - brings;
    }
    // The same for a column taken on, its share row's dual counted.
    double ReducedCost(std::size_t j) const;

    // The lower bound for portfolios of cost at most `upper`, over the
    // columns taken on (money); the bonds not taken on add
    // min(0, reduced cost) * upper / price each.
    double Bound(double upper) const;

private:
    struct Column {
        double price;
        std::uint32_t first;
        std::vector<double> worth;
    };
    void ReadDuals();

    const FundingGrid& m_grid;
    std::vector<double> m_rhs; // b_k, in units of M
    double m_share;
    bool m_shareRows;
    int m_rowT = 0;
    int m_colV = 0;
    LinearProgram m_lp;
    std::vector<Column> m_columns;
    std::vector<int> m_shareRow; // each column's Q row
    std::vector<double> m_pi;    // the liabilities' duals, raised where a surplus column's reduced cost fell below 0
    double m_piT = 0.0;
    std::vector<double> m_sigma; // the share rows' duals, at least 0
};

} // namespace tenvix
