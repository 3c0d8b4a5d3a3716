#pragma once

// Finding rows of a portfolio that name the same identifier twice.

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tenvix {

// Every pair of rows (j, k), j < k, whose identifiers are equal once blanks
// are trimmed from both ends, in the order they are to be offered: by j, then
// by k. The whole identifiers are compared, however long, and letter case
// matters: rows differing only in case are left to the user.
std::vector<std::pair<int, int>> DuplicatePairs(std::span<const std::string> ids);

} // namespace tenvix
