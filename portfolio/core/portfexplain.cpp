#include "portfolio/core/portfexplain.h"

#include "model/date.h"

#include <algorithm>

namespace tenvix {

PortfolioExplanation ExplainPortfolio(std::span<CBond* const> bonds, std::span<const double> units, double stand,
                                      double horizon, const Clock& clock)
{
    PortfolioExplanation out;
    out.figures = CalculatePortfolio(bonds, units, stand, horizon, clock);
    if (out.figures.outcome != PortfolioOutcome::Ready)
        return out;

    // CalculatePortfolio has dated and prepared every member; the composite
    // is rebuilt over the same arrays only to weigh them alike.
    CBondPortf portfolio(clock);
    portfolio.m_ppBonds = bonds.data();
    portfolio.m_pUnits = units.data();
    portfolio.m_nCount = static_cast<std::int32_t>(std::min(bonds.size(), units.size()));
    const double value = portfolio.MarketValue();

    Explanation& e = out.explanation;
    e.ytm = out.figures.ytm;
    e.price = value;
    e.horizonYears = YearFraction(DaySerial(horizon), DaySerial(stand));
    e.duration = out.figures.duration;
    e.squareM = out.figures.squareM;
    for (std::int32_t i = 0; i < portfolio.m_nCount; ++i) {
        const double u = units[static_cast<std::size_t>(i)];
        if (u == 0.0)
            continue;
        Explanation member = ExplainBond(*bonds[static_cast<std::size_t>(i)], e.ytm, value);
        for (ExplainedPayment& p : member.payments) {
            p.amount *= u;
            p.presentValue *= u;
            p.share *= u;
            p.durationPart *= u;
            p.squareMPart *= u;
            e.payments.push_back(std::move(p));
        }
    }
    std::stable_sort(e.payments.begin(), e.payments.end(),
                     [](const ExplainedPayment& a, const ExplainedPayment& b) { return a.day < b.day; });
    NumberAndSumRows(e);
    return out;
}

} // namespace tenvix
