#include "portfolio/core/bondportf.h"

#include "model/analyse.h"
#include "model/bondlookup.h"
#include "model/date.h"
#include "model/solver.h"

#include <algorithm>
#include <cmath>

namespace tenvix {

CBondPortf::CBondPortf(const Clock& clock) : CBond(kPortfolioBondType, TodaySerial(clock))
{
    m_nTimeLimit = kPortfolioTimeLimitMs;
}

void CBondPortf::Prepare()
{
    for (std::int32_t i = 0; i < m_nCount; ++i) {
        CBond& b = *m_ppBonds[i];
        b.m_nStandDate = m_nStandDate;
        b.m_nHorizon = m_nHorizon;
        b.Prepare();
    }
}

int CBondPortf::Validate() const
{
    double sum = 0.0;
    for (std::int32_t i = 0; i < m_nCount; ++i) {
        // A member's own check comes before its units are looked at.
        if (m_ppBonds[i]->Validate() != BOND_OK)
            return i + 1;
        sum += m_pUnits[i];
        if (m_pUnits[i] < 0)
            return -1;
    }
    return std::fabs(sum) < 1e-8 ? -1 : 0;
}

double CBondPortf::PriceGap(double ytm) const
{
    double gap = 0.0;
    for (std::int32_t i = 0; i < m_nCount; ++i)
        if (std::fabs(m_pUnits[i]) > kNegligibleUnits)
            gap += m_pUnits[i] * m_ppBonds[i]->PriceGap(ytm);
    return gap;
}

double CBondPortf::MarketValue() const
{
    double value = 0.0;
    for (std::int32_t i = 0; i < m_nCount; ++i)
        value += static_cast<double>(m_ppBonds[i]->m_fPrice) * m_pUnits[i];
    return value;
}

void CBondPortf::GetDurationM2(double ytm, double, double& duration, double& m2) const
{
    const double value = MarketValue();
    double d = 0.0, m = 0.0;
    for (std::int32_t i = 0; i < m_nCount; ++i) {
        double di = 0.0, mi = 0.0;
        m_ppBonds[i]->GetDurationM2(ytm, value, di, mi);
        d += m_pUnits[i] * di;
        m += m_pUnits[i] * mi;
    }
    duration = d;
    m2 = m;
}

RowFigures AnalyseRow(CBond& bond, double stand, double horizon, const Clock& clock)
{
    // Members are weighted by the pooled value later; on its own a row is
    // weighted by its bond's price.
    const RecordAnalysis r =
        AnalyseRecord(bond, stand, horizon, static_cast<double>(bond.m_fPrice), clock, Needs::SquareM);
    switch (r.outcome) {
    case RecordOutcome::Solved:
        return {RowStatus::Ready, r.ytm, r.duration, r.squareM};
    case RecordOutcome::NoYield:
        return {RowStatus::BadYtm};
    case RecordOutcome::Refused:
        break;
    }
    return {RowStatus::Incompatible, 0.0, 0.0, 0.0, r.code};
}

RowFigures ReanalyseRow(CBond& bond, const Clock& clock)
{
    return AnalyseRow(bond, bond.m_nStandDate, bond.m_nHorizon, clock);
}

CBond* FindBondByID(CBondList::List& bonds, std::string_view id) { return MatchBondID(bonds, id).firstAnyCase; }

PortfolioFigures CalculatePortfolio(std::span<CBond* const> bonds, std::span<const double> units, double stand,
                                    double horizon, const Clock& clock)
{
    CBondPortf portfolio(clock);
    portfolio.m_ppBonds = bonds.data();
    portfolio.m_pUnits = units.data();
    portfolio.m_nCount = static_cast<std::int32_t>(std::min(bonds.size(), units.size()));
    // The composite weighs its members by their pooled value, not by a price.
    const RecordAnalysis r = AnalyseRecord(portfolio, stand, horizon, 0.0, clock, Needs::SquareM);
    switch (r.outcome) {
    case RecordOutcome::Solved:
        return {PortfolioOutcome::Ready, 0, r.ytm, r.duration, r.squareM};
    case RecordOutcome::NoYield:
        return {PortfolioOutcome::BadYtm};
    case RecordOutcome::Refused:
        break;
    }
    if (r.code < 0)
        return {PortfolioOutcome::NoUnits};
    return {PortfolioOutcome::MemberIncompatible, r.code};
}

} // namespace tenvix
