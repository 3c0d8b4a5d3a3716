#include "portfolio/core/candidates.h"

#include "model/bondlookup.h"
#include "model/text.h"

#include <algorithm>

namespace tenvix {

CandidateFilter::CandidateFilter(std::optional<double> minYtm, const std::vector<std::string>& exclude)
    : m_minYtm(minYtm)
{
    for (const std::string& id : exclude)
        m_foldedExclusions.push_back(FoldCase(id));
}

bool CandidateFilter::Admit(std::string_view id, const RowFigures& row)
{
    const std::size_t order = m_offered++;
    m_hashes.emplace_back(BondIdIndex::HashOf(id), static_cast<std::uint32_t>(order));
    if (row.status != RowStatus::Ready)
        return false;
    ++m_ready;
    if (m_minYtm && !(row.ytm >= *m_minYtm))
        return false;
    for (const std::string& excluded : m_foldedExclusions)
        if (EqualsFolded(id, excluded))
            return false;
    return true;
}

void CandidateFilter::Finish()
{
    // Equal hashes of folded identifiers: every bond after the first is one
    // that a lookup by its identifier never reaches.
    std::sort(m_hashes.begin(), m_hashes.end());
    m_hidden.clear();
    for (std::size_t k = 1; k < m_hashes.size(); ++k)
        if (m_hashes[k].first == m_hashes[k - 1].first)
            m_hidden.push_back(m_hashes[k].second);
    std::sort(m_hidden.begin(), m_hidden.end());
    m_hashes = {};
}

bool CandidateFilter::Hidden(std::size_t order) const
{
    return std::binary_search(m_hidden.begin(), m_hidden.end(), static_cast<std::uint32_t>(order));
}

CBond* ScratchBond::Of(const CBond* bond)
{
    if (bond && bond->GetType() == BOND_TYPE_STD) {
        m_std = static_cast<const CBondStd&>(*bond);
        return &m_std;
    }
    if (bond && bond->GetType() == BOND_TYPE_FREE) {
        m_free = static_cast<const CBondFree&>(*bond);
        return &m_free;
    }
    return nullptr;
}

} // namespace tenvix
