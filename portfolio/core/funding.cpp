#include "portfolio/core/funding.h"

#include "model/date.h"

#include <algorithm>
#include <cmath>

namespace tenvix {

FundingGrid::FundingGrid(const std::vector<Liability>& liabilities, double stand, double reinvest)
    : m_rho(reinvest)
{
    // The bonds count their times from the whole stand day.
    const double standDay = static_cast<double>(DaySerial(stand));
    double last = 0.0;
    for (const Liability& l : liabilities) {
        const double years = YearFraction(static_cast<double>(l.day), standDay);
        m_days.push_back(l.day);
        m_years.push_back(years);
        m_amounts.push_back(l.amount);
        m_growth.push_back(std::pow(1.0 + m_rho, years - last));
        last = years;
    }
    for (const double amount : m_amounts)
        m_scale += amount;
    m_scale = std::max(m_scale, 1e-300);
}

std::size_t FundingGrid::FundedBy(double years) const
{
    // The times rise with the dates, so the first one far enough on is
    // found by halving.
    const double due = years - kFundingGrace;
    return static_cast<std::size_t>(std::lower_bound(m_years.begin(), m_years.end(), due) - m_years.begin());
}

double FundingGrid::Worth(double amount, double years, std::size_t k) const
{
    if (m_rho == 0.0)
        return amount;
    return amount * std::pow(1.0 + m_rho, m_years[k] - years);
}

FundingColumn FundingOf(std::span<const PaymentColumn::Flow> payments, const FundingGrid& grid)
{
    FundingColumn c;
    const std::size_t K = grid.Count();
    std::size_t first = K, last = 0;
    for (const PaymentColumn::Flow& f : payments) {
        c.outgoing = c.outgoing || f.amount < 0;
        const std::size_t k = grid.FundedBy(f.years);
        if (k < K) {
            first = std::min(first, k);
            last = std::max(last, k);
        }
    }
    if (first < K) {
        c.first = static_cast<std::uint32_t>(first);
        c.worth.assign(last - first + 1, 0.0);
    }
    for (const PaymentColumn::Flow& f : payments) {
        const std::size_t k = grid.FundedBy(f.years);
        if (k < K)
            c.worth[k - first] += grid.Worth(f.amount, f.years, k);
        else
            c.after += f.amount;
    }
    return c;
}

} // namespace tenvix
