#pragma once

// What the funding of a schedule says, in the Fund schedule dialog, the
// portfolio window and the command line alike (the schedule's own refusals
// are schedule.h's).

#include "portfolio/core/fund.h"

#include <string>

namespace tenvix {

enum class FundText {
    BadReinvest,  // the reinvestment rate typed
    NothingBought, // fund --out when cash alone pays the schedule
};
const char* TextOf(FundText text);

// "Cash kept : C", the cash in whole cents.
std::string CashKeptText(const FundResult& result);
// "Lower bound : B (gap G %)", the bound rounded down to the cent and the gap
// to four decimals, as the command line prints them.
std::string LowerBoundText(const FundResult& result);

} // namespace tenvix
