#pragma once

// The funding's screen: it sees every bond of the database once, in list
// order, with its row analysis (the horizon at the last liability's date)
// and what a unit of it brings to each liability, and keeps the bonds the
// funding may buy. What a unit brings is kept in floats, to price a million
// columns against the relaxation's duals; the bonds that enter a program
// are fetched again and valued in full. Beyond a memory budget a candidate
// keeps no values and is valued anew each time it is priced.

#include "portfolio/core/candidates.h"
#include "portfolio/core/funding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// The values kept for all candidates together, by default: 128 MB.
inline constexpr std::size_t kFundPoolValues = std::size_t{1} << 25;
// What a unit may bring to the schedule, at most, for each unit of its price:
// a bond priced at a ten-thousandth of what it pays is no bond a yield
// describes sensibly (a 30-year zero at 20 % brings 240 times its price).
inline constexpr double kFundAbsurdRatio = 1e4;

struct FundCandidate {
    std::string id;
    std::size_t ref = 0;     // what the caller's fetch takes to give the bond again
    std::uint32_t order = 0; // its place among the bonds offered
    double price = 0.0;      // the stored price, widened
    double ytm = 0.0;
    std::uint32_t first = 0; // the first liability it funds
    std::uint32_t count = 0; // the liabilities from there on that it may fund
    std::uint64_t at = 0;    // where its values lie in the pool, or kNotPooled
};
inline constexpr std::uint64_t kNotPooled = ~std::uint64_t{0};

class FundScreen {
public:
    FundScreen(std::optional<double> minYtm, const std::vector<std::string>& exclude,
               std::size_t poolValues = kFundPoolValues);

    // One bond, with its row analysis and what a unit funds. A bond that
    // funds no liability, asks a payment of its holder or has no price is
    // no candidate.
    void Offer(std::string_view id, float price, const RowFigures& row, const FundingColumn& funding,
               std::size_t ref);
    // After the last bond: drops the candidates an earlier bond's identifier hides.
    void Finish();

    const std::vector<FundCandidate>& Candidates() const { return m_candidates; }
    // A pooled candidate's values, one a liability from its first.
    std::span<const float> Values(const FundCandidate& c) const
    {
        return std::span(m_pool).subspan(static_cast<std::size_t>(c.at), c.count);
    }
    std::size_t Offered() const { return m_filter.Offered(); }
    std::size_t Ready() const { return m_filter.Ready(); }

private:
    CandidateFilter m_filter;
    std::size_t m_poolValues;
    std::vector<FundCandidate> m_candidates;
    std::vector<float> m_pool;
};

} // namespace tenvix
