#include "portfolio/core/fundmaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();
// No column may hold more units than a double counts exactly.
constexpr double kMostUnits = 1e15;

} // namespace

// Rows: R_k for k = 0..K-1 are 1..K, then T. Columns: the cash 1, the
// surpluses S_k 2..K+1, then V, then the bonds.
FundMaster::FundMaster(const FundingGrid& grid, std::span<const double> held, double maxShare)
    : m_grid(grid), m_share(maxShare), m_shareRows(maxShare < 1.0)
{
    const int K = static_cast<int>(grid.Count());
    m_lp.AddRows(K);
    for (int k = 0; k < K; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_rhs.push_back((grid.Amount(i) - held[i]) / m_grid.Scale());
        m_lp.RowFixed(k + 1, m_rhs.back());
    }
    if (m_shareRows) {
        m_rowT = m_lp.AddRows(1);
        m_lp.RowFixed(m_rowT, 0.0);
    }
    m_lp.AddColumns(1 + K);
    m_lp.Cost(1, 1.0);
    m_lp.ColumnBounds(1, 0.0, kNone);
    if (m_shareRows)
        m_lp.SetColumn(1, {1, m_rowT}, {grid.Growth(0), -1.0});
    else
        m_lp.SetColumn(1, {1}, {grid.Growth(0)});
    for (int k = 0; k < K; ++k) {
        const int column = 2 + k;
        m_lp.ColumnBounds(column, 0.0, kNone);
        if (k + 1 < K)
            m_lp.SetColumn(column, {k + 1, k + 2}, {-1.0, grid.Growth(static_cast<std::size_t>(k + 1))});
        else
            m_lp.SetColumn(column, {k + 1}, {-1.0});
    }
    if (m_shareRows) {
        m_colV = m_lp.AddColumns(1);
        m_lp.ColumnBounds(m_colV, 0.0, kNone);
        m_lp.SetColumn(m_colV, {m_rowT}, {1.0});
    }
    m_pi.assign(grid.Count(), 0.0);
}

std::size_t FundMaster::Add(double price, std::uint32_t first, std::span<const double> worth)
{
    const int column = m_lp.AddColumns(1);
    std::vector<int> rows;
    std::vector<double> values;
    for (std::size_t i = 0; i < worth.size(); ++i) {
        if (worth[i] == 0.0)
            continue;
        rows.push_back(static_cast<int>(first + i) + 1);
        values.push_back(worth[i] / price);
    }
    if (m_shareRows) {
        rows.push_back(m_rowT);
        values.push_back(-1.0);
    }
    m_lp.SetColumn(column, rows, values);
    m_lp.Cost(column, 1.0);
    m_lp.ColumnBounds(column, 0.0, kMostUnits * price / m_grid.Scale());
    if (m_shareRows) {
        const int row = m_lp.AddRows(1);
        m_lp.RowBounds(row, 0.0, kNone);
        m_lp.SetRow(row, {m_colV, column}, {m_share, -1.0});
        m_shareRow.push_back(row);
    }
    m_columns.push_back({price, first, std::vector<double>(worth.begin(), worth.end())});
    return m_columns.size() - 1;
}

bool FundMaster::Solve()
{
    if (!m_lp.SimplexOrAfresh({}) || m_lp.LpStatus() != LinearProgram::Status::Optimal)
        return false;
    ReadDuals();
    return true;
}

void FundMaster::ReadDuals()
{
    const std::size_t K = m_grid.Count();
    for (std::size_t k = 0; k < K; ++k)
        m_pi[k] = m_lp.RowDual(static_cast<int>(k) + 1);
    // A surplus carried costs nothing, so its reduced cost pi_k - g pi_(k+1)
    // (pi_k for the last) must not fall below 0; the solver's tolerances can
    // leave it a little below, which would make the bound no bound at all.
    m_pi[K - 1] = std::max(m_pi[K - 1], 0.0);
    for (std::size_t k = K - 1; k-- > 0;)
        m_pi[k] = std::max(m_pi[k], m_grid.Growth(k + 1) * m_pi[k + 1]);
    m_piT = m_shareRows ? m_lp.RowDual(m_rowT) : 0.0;
    m_sigma.assign(m_columns.size(), 0.0);
    for (std::size_t j = 0; j < m_shareRow.size(); ++j)
        m_sigma[j] = std::max(0.0, m_lp.RowDual(m_shareRow[j]));
}

double FundMaster::Cost() const { return m_lp.Objective() * m_grid.Scale(); }

double FundMaster::Units(std::size_t j) const
{
    const int column = 2 + static_cast<int>(m_grid.Count()) + (m_shareRows ? 1 : 0) + static_cast<int>(j);
    return m_lp.Value(column) * m_grid.Scale() / m_columns[j].price;
}

double FundMaster::ReducedCost(std::size_t j) const
{
    const Column& c = m_columns[j];
    double slack = 0.0;
    return ReducedCost(c.price, c.first, std::span<const double>(c.worth), slack) + c.price * m_sigma[j];
}

double FundMaster::Bound(double upper) const
{
    // In units of M; every variable below is at most `upper` in money.
    double bound = 0.0;
    for (std::size_t k = 0; k < m_rhs.size(); ++k)
        bound += m_pi[k] * m_rhs[k];
    const double most = upper / m_grid.Scale();
    const double sigmaSum = [&] {
        double s = 0.0;
        for (const double v : m_sigma)
            s += v;
        return s;
    }();
    const double cash = 1.0 - m_grid.Growth(0) * m_pi[0] + m_piT;
    bound += std::min(0.0, cash) * most;
    if (m_shareRows)
        bound += std::min(0.0, -m_piT - m_share * sigmaSum) * most;
    for (std::size_t j = 0; j < m_columns.size(); ++j)
        bound += std::min(0.0, ReducedCost(j) / m_columns[j].price) * most;
    return bound * m_grid.Scale();
}

} // namespace tenvix
