#include "portfolio/core/bondportf.h"

#include "model/date.h"
#include "model/solver.h"
#include "model/text.h"

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

const char* StatusText(RowStatus status)
{
    switch (status) {
    case RowStatus::Ready:
        return "";
    case RowStatus::NotFound:
        return "not found";
    case RowStatus::Incompatible:
        return "incompatible";
    case RowStatus::BadYtm:
        return "bad YTM";
    }
    return "";
}

RowFigures AnalyseBond(CBond& bond, double stand, double horizon, const Clock& clock)
{
    bond.SetDates(stand, horizon);
    return AnalyseDatedBond(bond, clock);
}

RowFigures AnalyseDatedBond(CBond& bond, const Clock& clock)
{
    bond.Prepare();
    RowFigures row;
    if (bond.Validate() != BOND_OK) {
        row.status = RowStatus::Incompatible;
        return row;
    }
    try {
        const double y = bond.GetYTM(clock);
        bond.GetDurationM2(y, static_cast<double>(bond.m_fPrice), row.duration, row.squareM);
        row.ytm = y;
        row.status = RowStatus::Ready;
    } catch (const CUserException&) {
        row = RowFigures{RowStatus::BadYtm};
    }
    return row;
}

CBond* FindBondByID(CBondList::List& bonds, std::string_view id)
{
    const std::string wanted = FoldCase(id);
    for (const auto& bond : bonds)
        if (bond && EqualsFolded(bond->m_strID, wanted))
            return bond.get();
    return nullptr;
}

PortfolioFigures CalculatePortfolio(std::span<CBond* const> bonds, std::span<const double> units, double stand,
                                    double horizon, const Clock& clock)
{
    CBondPortf portfolio(clock);
    portfolio.m_ppBonds = bonds.data();
    portfolio.m_pUnits = units.data();
    portfolio.m_nCount = static_cast<std::int32_t>(std::min(bonds.size(), units.size()));
    portfolio.SetDates(stand, horizon);
    portfolio.Prepare();
    PortfolioFigures result;
    const int code = portfolio.Validate();
    if (code < 0) {
        result.outcome = PortfolioOutcome::NoUnits;
        return result;
    }
    if (code > 0) {
        result.outcome = PortfolioOutcome::MemberIncompatible;
        result.member = code;
        return result;
    }
    try {
        result.ytm = portfolio.GetYTM(clock);
        portfolio.GetDurationM2(result.ytm, 0.0, result.duration, result.squareM);
    } catch (const CUserException&) {
        result = PortfolioFigures{PortfolioOutcome::BadYtm};
    }
    return result;
}

} // namespace tenvix
