#include "model/recordmatch.h"

#include "model/bondrow.h"

namespace tenvix {

RecordMatcher::RecordMatcher(CBondList& list)
{
    m_known.reserve(list.m_list.size());
    for (auto it = list.m_list.begin(); it != list.m_list.end(); ++it)
        ++m_known.try_emplace(RecordKey((*it)->m_strID), Known{it}).first->second.count;
}

bool RecordMatcher::SeenBefore(std::string_view id) { return !m_seen.emplace(RecordKey(id)).second; }

void RecordMatcher::Judge(BondVerdict& v, std::unique_ptr<CBond> record) const
{
    const auto found = m_known.find(RecordKey(v.id));
    if (found == m_known.end()) {
        v.kind = BondVerdictKind::Add;
        v.bond = std::move(record);
        return;
    }
    if (found->second.count > 1) {
        v.kind = BondVerdictKind::Refused;
        v.refusal = BondRefusal::SeveralBonds;
        v.detail = static_cast<std::int64_t>(found->second.count);
        return;
    }
    v.target = found->second.first;
    if (SameStoredFields(**v.target, *record)) {
        v.kind = BondVerdictKind::Unchanged;
    } else {
        v.kind = BondVerdictKind::Replace;
        v.bond = std::move(record);
    }
}

} // namespace tenvix
