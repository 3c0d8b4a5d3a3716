#include "portfolio/core/duplicates.h"

#include "model/numbers.h"

namespace tenvix {

std::vector<std::pair<int, int>> DuplicatePairs(std::span<const std::string> ids)
{
    std::vector<std::string_view> trimmed;
    trimmed.reserve(ids.size());
    for (const std::string& id : ids)
        trimmed.push_back(Trim(id));
    std::vector<std::pair<int, int>> pairs;
    const int n = static_cast<int>(trimmed.size());
    for (int j = 0; j + 1 < n; ++j)
        for (int k = j + 1; k < n; ++k)
            if (trimmed[j] == trimmed[k])
                pairs.emplace_back(j, k);
    return pairs;
}

} // namespace tenvix
