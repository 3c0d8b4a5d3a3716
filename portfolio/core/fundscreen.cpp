#include "portfolio/core/fundscreen.h"

#include <cmath>
#include <limits>

namespace tenvix {

FundScreen::FundScreen(std::optional<double> minYtm, const std::vector<std::string>& exclude, std::size_t poolValues)
    : m_filter(minYtm, exclude), m_poolValues(poolValues)
{
}

void FundScreen::Offer(std::string_view id, float price, const RowFigures& row, const FundingColumn& funding,
                       std::size_t ref)
{
    const auto order = static_cast<std::uint32_t>(m_filter.Offered());
    if (!m_filter.Admit(id, row))
        return;
    const double p = static_cast<double>(price);
    if (funding.worth.empty() || funding.outgoing || !(p > 0.0) || !std::isfinite(p))
        return;
    // On a bond that brings absurdly much for its price a program would only
    // lose its footing.
    double brings = 0.0;
    for (const double w : funding.worth) {
        // Kept as floats: a value beyond them is absurd too.
        if (!(std::fabs(w) <= std::numeric_limits<float>::max()))
            return;
        brings += w;
    }
    if (!(brings <= kFundAbsurdRatio * p))
        return;
    FundCandidate c;
    c.id = std::string(id);
    c.ref = ref;
    c.order = order;
    c.price = p;
    c.ytm = row.ytm;
    c.first = funding.first;
    c.count = static_cast<std::uint32_t>(funding.worth.size());
    c.at = kNotPooled;
    if (m_pool.size() + funding.worth.size() <= m_poolValues) {
        c.at = m_pool.size();
        for (const double w : funding.worth)
            m_pool.push_back(static_cast<float>(w));
    }
    m_candidates.push_back(std::move(c));
}

void FundScreen::Finish()
{
    m_filter.Finish();
    std::erase_if(m_candidates, [&](const FundCandidate& c) { return m_filter.Hidden(c.order); });
}

} // namespace tenvix
