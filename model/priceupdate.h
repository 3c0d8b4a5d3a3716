#pragma once

// The arithmetic behind re-pricing the live book page by page: which bonds
// take part, in which order, how they fall into pages, and which typed prices
// are accepted.

#include "model/bondlist.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tenvix {

inline constexpr int kBondsPerPage = 200;
// The longest price text the editor takes.
inline constexpr int kMaxPriceText = 62;
// Accepted prices lie in [kMinNewPrice, kMaxNewPrice].
inline constexpr double kMinNewPrice = 0.0001;
inline constexpr double kMaxNewPrice = 1e18;

// The bonds still alive after the stand day (maturity day strictly later), in
// order of identifier without regard to letter case. Among equal identifiers
// the bond later in the list comes first. The pointers belong to `bonds`.
std::vector<CBond*> CollectMatched(const CBondList::List& bonds, std::int32_t standDay);

// How `matched` bonds fall into pages of kBondsPerPage.
struct PageLayout {
    int pages = 1;         // at least 1, even with nothing matched
    int lastPageCount = 0; // rows on a last page that is not full; 0 when every page is full
};
PageLayout LayOutPages(int matched);

// The rows of page `page` (from 1): indices [first, first + count) of the
// matched bonds. A page outside 1 .. pages has no rows.
struct PageSpan {
    int first = 0;
    int count = 0;
};
PageSpan SpanOfPage(int matched, int page);

enum class PriceCheck { OK, Invalid, OutOfRange };
struct NewPrice {
    PriceCheck check = PriceCheck::Invalid;
    double value = 0.0;
};
// Reads a typed price: a decimal number with nothing after it, between
// kMinNewPrice and kMaxNewPrice. An empty text reads as 0 and is out of range.
NewPrice ReadNewPrice(std::string_view text);

} // namespace tenvix
