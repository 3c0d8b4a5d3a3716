#include "portfolio/core/suggest.h"

#include "model/analyse.h"
#include "model/date.h"

#include <algorithm>
#include <cmath>

namespace tenvix {

int InsertRanked(std::array<SUGGESTION, kSuggestPlaces>& places, int& count, int first, int end,
                 double SUGGESTION::*rank, const SUGGESTION& s)
{
    int pos = first;
    while (pos < end && !(places[pos].*rank < s.*rank))
        ++pos;
    if (pos >= kSuggestPlaces)
        return -1;
    count = std::min(count + 1, kSuggestPlaces);
    for (int i = count - 1; i > pos; --i)
        places[i] = places[i - 1];
    places[pos] = s;
    return pos;
}

namespace {

SUGGESTION* At(std::array<SUGGESTION, kSuggestPlaces>& places, int pos)
{
    return pos < 0 ? nullptr : &places[static_cast<std::size_t>(pos)];
}

} // namespace

SUGGESTION* SuggestLists::AddExact(const SUGGESTION& s)
{
    const int pos = InsertRanked(m_short, m_nShortCount, 0, m_nExactCount, &SUGGESTION::dYield, s);
    m_nExactCount = std::min(m_nExactCount + 1, m_nShortCount);
    return At(m_short, pos);
}

SUGGESTION* SuggestLists::AddShorter(const SUGGESTION& s)
{
    return At(m_short, InsertRanked(m_short, m_nShortCount, m_nExactCount, m_nShortCount, &SUGGESTION::dScore, s));
}

SUGGESTION* SuggestLists::AddLonger(const SUGGESTION& s)
{
    return At(m_long, InsertRanked(m_long, m_nLongCount, 0, m_nLongCount, &SUGGESTION::dScore, s));
}

SUGGESTION* SuggestLists::Add(const SuggestedRow& row)
{
    switch (row.group) {
    case SuggestGroup::Exact:
        return AddExact(row.suggestion);
    case SuggestGroup::Shorter:
        return AddShorter(row.suggestion);
    case SuggestGroup::Longer:
        return AddLonger(row.suggestion);
    }
    return nullptr;
}

std::optional<SuggestedRow> AssessBond(CBond& bond, double stand, double horizon, double horizonYears,
                                       const Clock& clock)
{
    const RecordAnalysis r =
        AnalyseRecord(bond, stand, horizon, static_cast<double>(bond.m_fPrice), clock, Needs::SquareM);
    if (r.outcome != RecordOutcome::Solved)
        return std::nullopt;
    SUGGESTION s;
    s.dYield = r.ytm;
    s.dDuration = r.duration;
    s.dSquareM = r.squareM;
    const double d = s.dDuration - horizonYears;
    // Written so that a duration that is not a number qualifies for nothing.
    if (!(std::fabs(d / horizonYears) < kHorizonTolerance))
        return std::nullopt;
    s.pBond = &bond;
    if (std::fabs(d) < kExactTolerance) {
        // A poor exact match is dropped, not filed with the near ones.
        if (s.dYield > kExactMinYield)
            return SuggestedRow{s, SuggestGroup::Exact};
        return std::nullopt;
    }
    s.dScore = s.dYield / std::sqrt(s.dSquareM);
    if (d < 0)
        return SuggestedRow{s, SuggestGroup::Shorter};
    if (d > 0)
        return SuggestedRow{s, SuggestGroup::Longer};
    return std::nullopt;
}

void ScanBonds(CBondList::List& bonds, double stand, double horizon, SuggestLists& lists, const Clock& clock,
               const ScanStep& step)
{
    const std::size_t total = bonds.size();
    const double horizonYears = YearFraction(horizon, stand);
    std::size_t reached = 0;
    for (const auto& bond : bonds) {
        if (bond)
            bond->SetDates(stand, horizon);
        // Progress moves before the bond is judged, so it reaches the total
        // exactly when the list is exhausted.
        if (step && !step(++reached, total))
            return;
        if (bond)
            if (const auto row = AssessBond(*bond, stand, horizon, horizonYears, clock))
                lists.Add(*row);
    }
}

std::vector<SuggestedRow> PresentSuggestions(const SuggestLists& lists, int rows)
{
    const int free = std::max(kPortfolioRows - rows, 0);
    const int exact = std::min(free, lists.m_nExactCount);
    const int pairs = std::min({(free - exact) / 2, lists.m_nShortCount - lists.m_nExactCount, lists.m_nLongCount});
    std::vector<SuggestedRow> out;
    out.reserve(static_cast<std::size_t>(exact + 2 * pairs));
    for (int i = 0; i < exact + pairs; ++i)
        out.push_back({lists.m_short[i], i < exact ? SuggestGroup::Exact : SuggestGroup::Shorter});
    for (int i = 0; i < pairs; ++i)
        out.push_back({lists.m_long[i], SuggestGroup::Longer});
    return out;
}

} // namespace tenvix
