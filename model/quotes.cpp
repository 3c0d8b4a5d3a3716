#include "model/quotes.h"

#include "model/accrued.h"
#include "model/bond.h"

#include <cmath>

namespace tenvix {

const char* QuotesWord(PriceQuotes quotes) { return quotes == PriceQuotes::Clean ? "clean" : "paid"; }

std::optional<PriceQuotes> QuotesFromWord(std::string_view word)
{
    if (word == "paid")
        return PriceQuotes::Paid;
    if (word == "clean")
        return PriceQuotes::Clean;
    return std::nullopt;
}

QuotedPrice PriceOfCleanQuote(const CBond& bond, double quote, std::int32_t standDay)
{
    QuotedPrice out;
    if (bond.GetType() != BOND_TYPE_STD)
        return out;
    const double face = static_cast<const CBondStd&>(bond).m_fFace;
    out.accrued = AccruedInterestOn(bond, standDay);
    out.price = quote * face / 100.0 + out.accrued;
    return out;
}

std::optional<double> CleanPer100(double price, double accrued, double face)
{
    if (!(face > 0.0) || !std::isfinite(face))
        return std::nullopt;
    return (price - accrued) * 100.0 / face;
}

} // namespace tenvix
