#include "model/seek.h"

#include "model/text.h"

#include <algorithm>

namespace tenvix {

std::size_t SeekBonds(CBondList& bonds, SeekBy by, std::string_view text, SeekResultsView results)
{
    const std::string folded = FoldCase(text);
    const std::size_t capacity = std::min(results.size(), kMaxSeekResults);
    std::size_t found = 0;
    for (auto it = bonds.m_list.begin(); it != bonds.m_list.end() && found < capacity; ++it) {
        const CBond* bond = it->get();
        if (bond && StartsWithFolded(by == SeekBy::ID ? bond->m_strID : bond->m_strName, folded))
            results[found++] = it;
    }
    return found;
}

SeekBoxShows RememberSeekText(std::vector<std::string>& history, std::string_view text, int selected)
{
    if (text.empty())
        return SeekBoxShows::TypedText;
    std::string lower = FoldCase(text);
    const auto same = std::find_if(history.begin(), history.end(),
                                   [&](const std::string& entry) { return FoldCase(entry) == lower; });
    int found = -1;
    if (same != history.end()) {
        found = static_cast<int>(same - history.begin());
        history.erase(same);
    }
    history.insert(history.begin(), std::move(lower));
    if (history.size() > kSeekHistory)
        history.resize(kSeekHistory);
    return found >= 0 && found == selected ? SeekBoxShows::Entry0 : SeekBoxShows::TypedText;
}

} // namespace tenvix
