#pragma once

// What a file's prices are: what one unit costs on the stand date (the price
// the program stores and values), or a market's clean quote per 100 of face
// value, to which the accrued interest is added before it is stored.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tenvix {

class CBond;

enum class PriceQuotes { Paid, Clean };

// The word the command line takes and the settings keep: "paid", "clean".
const char* QuotesWord(PriceQuotes quotes);
std::optional<PriceQuotes> QuotesFromWord(std::string_view word);

// A clean quote made into the price the program stores.
struct QuotedPrice {
    double accrued = 0.0;
    double price = 0.0; // quote * face / 100 + accrued
};
// For a Type I record on `standDay`; the record is left as it is. A Type II
// record has no face value or coupon to quote against: the caller refuses it.
QuotedPrice PriceOfCleanQuote(const CBond& bond, double quote, std::int32_t standDay);

// The clean price per 100 of face: (price - accrued) * 100 / face; nothing
// for a face value that is not positive.
std::optional<double> CleanPer100(double price, double accrued, double face);

} // namespace tenvix
