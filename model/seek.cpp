#include "model/seek.h"

#include "model/text.h"

#include <algorithm>

namespace tenvix {
namespace {

// The prefix test against a text that is already folded. Most fields differ
// from the text within its first few ASCII bytes, so those are folded in place;
// only a field with other characters in the compared part pays for FoldCase.
bool StartsWithFolded(std::string_view field, std::string_view folded)
{
    const std::size_t n = folded.size();
    if (field.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(field[i]);
        if (b >= 0x80) {
            // Everything before i is ASCII, so a character starts at i. Folding
            // keeps the byte count of every character, and none is longer than
            // four bytes, so the next n - i + 3 bytes decide the folded ones
            // that are compared.
            const std::string rest = FoldCase(field.substr(i, n - i + 3));
            return std::string_view(rest).substr(0, n - i) == folded.substr(i);
        }
        const char c = (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : static_cast<char>(b);
        if (c != folded[i])
            return false;
    }
    return true;
}

} // namespace

bool StartsWithNoCase(std::string_view field, std::string_view text)
{
    return StartsWithFolded(field, FoldCase(text));
}

std::size_t SeekBonds(CBondList& bonds, SeekBy by, std::string_view text, SeekResults& results)
{
    const std::string folded = FoldCase(text);
    std::size_t found = 0;
    for (auto it = bonds.m_list.begin(); it != bonds.m_list.end() && found < results.size(); ++it) {
        const CBond& bond = **it;
        if (StartsWithFolded(by == SeekBy::ID ? bond.m_strID : bond.m_strName, folded))
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
