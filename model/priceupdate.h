#pragma once

// The arithmetic behind re-pricing the live book page by page: which bonds
// take part, in which order, how they fall into pages, and which typed prices
// are accepted.

#include "model/bondlist.h"

#include <cstdint>
#include <string>
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

// The rows of the page on screen. The shown texts are the data: a price shows
// as its "%.2f" text until the user types another, which is kept as typed and
// marks the row changed; Save reads the typed text back.
struct PageRow {
    std::string price;
    std::string id;
    std::string name;
    bool changed = false;
};

class PricePage {
public:
    // Shows the bonds `span` names among `matched`, nothing typed.
    void Show(const std::vector<CBond*>& matched, PageSpan span);
    void Clear() { m_rows.clear(); }

    int Count() const { return static_cast<int>(m_rows.size()); }
    const PageRow& Row(int r) const { return m_rows[static_cast<std::size_t>(r)]; }
    bool AnyChanged() const;

    // A price typed on row `r`. An accepted one is kept; a refused one leaves
    // the row as it was. Typing the text already shown is no edit, so that an
    // untouched cell does not round the stored price to the shown "%.2f".
    PriceCheck Type(int r, std::string_view text);

    // Writes the changed rows' prices to their bonds among `matched`, which
    // must be the list the page was shown from, and clears the marks.
    void Save(const std::vector<CBond*>& matched);

private:
    std::vector<PageRow> m_rows;
    int m_first = 0;
};

} // namespace tenvix
