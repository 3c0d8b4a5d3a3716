#pragma once

// How payments fund a schedule of liabilities. Times count in years from the
// stand date as the valuation counts them (s_k = YearFraction of the k-th
// date after the stand date). A payment at time t funds the first liability
// with s_k >= t - kFundingGrace, and is worth a (1 + rho)^(s_k - t) there;
// one after the last liability funds nothing. The grace lets a coupon that
// the valuation's twelfths of a year put a few days after its calendar date
// still pay the liability due on that date.

#include "portfolio/core/immunizelp.h"
#include "portfolio/core/schedule.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tenvix {

inline constexpr double kFundingGrace = 0.01;

class FundingGrid {
public:
    // `reinvest` is rho, yearly compound, at least 0.
    FundingGrid(const std::vector<Liability>& liabilities, double stand, double reinvest);

    std::size_t Count() const { return m_years.size(); }
    std::int32_t Day(std::size_t k) const { return m_days[k]; }
    double Years(std::size_t k) const { return m_years[k]; }
    double Amount(std::size_t k) const { return m_amounts[k]; }
    // (1 + rho)^(s_k - s_(k-1)), with s before the first the stand date.
    double Growth(std::size_t k) const { return m_growth[k]; }
    // The liabilities' sum, the unit the programs count money in (never 0).
    double Scale() const { return m_scale; }
    // The liability a payment at `years` funds; Count() after the last.
    std::size_t FundedBy(double years) const;
    // What `amount` paid at `years` is worth on the date of liability k.
    double Worth(double amount, double years, std::size_t k) const;

private:
    std::vector<std::int32_t> m_days;
    std::vector<double> m_years;
    std::vector<double> m_amounts;
    std::vector<double> m_growth;
    double m_rho;
    double m_scale = 0.0;
};

// What one unit of a bond brings to the liabilities, valued on their dates:
// worth[i] is for liability first + i; the range is empty when it funds none.
struct FundingColumn {
    std::uint32_t first = 0;
    std::vector<double> worth;
    double after = 0.0;    // paid after the last liability, undiscounted
    bool outgoing = false; // a payment of the holder's among them
};
FundingColumn FundingOf(std::span<const PaymentColumn::Flow> payments, const FundingGrid& grid);

} // namespace tenvix
