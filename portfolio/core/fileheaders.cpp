#include "portfolio/core/fileheaders.h"

namespace tenvix {

bool IsDatabaseOrPortfolioHeader(std::string_view leading)
{
    for (const std::string_view magic : {std::string_view(kBondFileMagic, sizeof kBondFileMagic),
                                         std::string_view(kPortfolioMagic, sizeof kPortfolioMagic)})
        if (leading.starts_with(magic))
            return true;
    return false;
}

} // namespace tenvix
