#include "portfolio/core/fundmessages.h"

#include "model/format.h"

namespace tenvix {

const char* TextOf(FundText text)
{
    switch (text) {
    case FundText::BadReinvest:
        return "The reinvestment rate must be a number of at least 0 !";
    case FundText::NothingBought:
        return "No bond was bought : nothing to write .";
    }
    return "";
}

std::string CashKeptText(const FundResult& result) { return "Cash kept : " + FormatFixed(result.cash, 2); }

std::string LowerBoundText(const FundResult& result)
{
    return "Lower bound : " + FormatFixed(result.lowerBound, 2) + " (gap " + FormatFixed(result.GapPercent(), 4) +
           " %)";
}

} // namespace tenvix
