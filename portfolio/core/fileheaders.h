#pragma once

// Whether a file is one of the program's own: a bond database (.bnd) or a
// portfolio (.bdp), told from its first bytes, whatever its name. Exports
// ask this before they replace a file, so that no CSV ever takes a
// database's place.

#include "model/bondfile.h"
#include "portfolio/core/portfoliofile.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace tenvix {

// How many leading bytes the question needs at the most.
inline constexpr std::size_t kLongestFileMagic = std::max(sizeof kBondFileMagic, sizeof kPortfolioMagic);

// True when `leading`, the first bytes of a file (fewer when the file is
// shorter), begin as a database or a portfolio does. An empty file reads as
// an empty database, but nothing marks it as one: it is not told here.
bool IsDatabaseOrPortfolioHeader(std::string_view leading);

} // namespace tenvix
