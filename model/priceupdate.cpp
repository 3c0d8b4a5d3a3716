#include "model/priceupdate.h"

#include "model/format.h"
#include "model/numbers.h"
#include "model/text.h"

#include <algorithm>
#include <string>

namespace tenvix {
namespace {

// An identifier as a sort key: its first 16 folded bytes as two big-endian
// numbers, zero-padded, and its length. Identifiers hold at most 15 characters,
// so almost every comparison ends inside the key array; only longer or
// non-ASCII ones keep a folded copy for the rest.
struct SortKey {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
    std::uint32_t size = 0;
    std::uint32_t index = 0; // position among the alive bonds, in list order
};

constexpr std::size_t kKeyBytes = 16;

// `text` must already be folded unless `fold` asks for ASCII folding here.
void Pack(SortKey& key, std::string_view text, bool fold)
{
    for (std::size_t k = 0; k < kKeyBytes; ++k) {
        const char c = k < text.size() ? (fold ? FoldAscii(text[k]) : text[k]) : '\0';
        std::uint64_t& half = k < 8 ? key.hi : key.lo;
        half = (half << 8) | static_cast<unsigned char>(c);
    }
    key.size = static_cast<std::uint32_t>(text.size());
}

} // namespace

std::vector<CBond*> CollectMatched(const CBondList::List& bonds, std::int32_t standDay)
{
    // One pass over the list that builds each key while the bond is in the
    // cache: with a large book the walk is bound by memory, not by work.
    std::vector<CBond*> alive;
    std::vector<SortKey> keys;
    // Folded copies of the identifiers the key does not hold whole, by alive
    // index; it stays empty while every identifier fits in its key.
    std::vector<std::string> longFolded;
    alive.reserve(bonds.size());
    keys.reserve(bonds.size());
    for (const auto& bond : bonds) {
        if (!bond || bond->m_nMaturity <= standDay)
            continue;
        SortKey& key = keys.emplace_back();
        key.index = static_cast<std::uint32_t>(alive.size());
        const std::string& id = bond->m_strID;
        if (id.size() <= kKeyBytes && IsAscii(id)) {
            Pack(key, id, true);
        } else {
            // FoldCase keeps the byte length, so the key's size is the folded one.
            longFolded.resize(alive.size() + 1);
            longFolded.back() = FoldCase(id);
            Pack(key, longFolded.back(), false);
        }
        alive.push_back(bond.get());
    }
    // Ascending by folded identifier. Zero padding keeps the byte order, and
    // when two keys agree a shorter identifier is a prefix of the longer one.
    // Each bond goes before the equal ones met earlier in the list, so among
    // equals the later bond comes first.
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.hi != b.hi)
            return a.hi < b.hi;
        if (a.lo != b.lo)
            return a.lo < b.lo;
        if (a.size > kKeyBytes && b.size > kKeyBytes) {
            const int c = longFolded[a.index].compare(kKeyBytes, std::string::npos, longFolded[b.index], kKeyBytes,
                                                      std::string::npos);
            if (c != 0)
                return c < 0;
        } else if (a.size != b.size) {
            return a.size < b.size;
        }
        return a.index > b.index;
    });

    std::vector<CBond*> matched(alive.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        matched[k] = alive[keys[k].index];
    return matched;
}

PageLayout LayOutPages(int matched)
{
    PageLayout layout;
    layout.lastPageCount = matched % kBondsPerPage;
    layout.pages = matched / kBondsPerPage + (layout.lastPageCount > 0 ? 1 : 0);
    if (layout.pages == 0)
        layout.pages = 1;
    return layout;
}

PageSpan SpanOfPage(int matched, int page)
{
    const PageLayout layout = LayOutPages(matched);
    if (page < 1 || page > layout.pages || matched <= 0)
        return {};
    PageSpan span;
    span.first = (page - 1) * kBondsPerPage;
    span.count = (page == layout.pages && layout.lastPageCount != 0) ? layout.lastPageCount : kBondsPerPage;
    return span;
}

NewPrice ReadNewPrice(std::string_view text)
{
    const std::optional<double> value = ReadDecimal(text);
    if (!value)
        return {PriceCheck::Invalid, 0.0};
    if (!(*value >= kMinNewPrice && *value <= kMaxNewPrice))
        return {PriceCheck::OutOfRange, *value};
    return {PriceCheck::OK, *value};
}

void PricePage::Show(const std::vector<CBond*>& matched, PageSpan span)
{
    m_rows.clear();
    m_first = span.first;
    if (span.first < 0 || span.count <= 0 || static_cast<std::size_t>(span.first + span.count) > matched.size())
        return;
    m_rows.reserve(static_cast<std::size_t>(span.count));
    for (int i = span.first; i < span.first + span.count; ++i) {
        const CBond& bond = *matched[static_cast<std::size_t>(i)];
        m_rows.push_back({FormatFixed(static_cast<double>(bond.m_fPrice), 2), bond.m_strID, bond.m_strName, false});
    }
}

bool PricePage::AnyChanged() const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [](const PageRow& row) { return row.changed; });
}

PriceCheck PricePage::Type(int r, std::string_view text)
{
    if (r < 0 || r >= Count())
        return PriceCheck::Invalid;
    PageRow& row = m_rows[static_cast<std::size_t>(r)];
    if (text == row.price)
        return PriceCheck::OK;
    const NewPrice price = ReadNewPrice(text);
    if (price.check == PriceCheck::OK) {
        row.price = std::string(text);
        row.changed = true;
    }
    return price.check;
}

void PricePage::Save(const std::vector<CBond*>& matched)
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        PageRow& row = m_rows[i];
        const std::size_t at = static_cast<std::size_t>(m_first) + i;
        if (!row.changed || at >= matched.size())
            continue;
        const NewPrice price = ReadNewPrice(row.price);
        if (price.check == PriceCheck::OK)
            matched[at]->m_fPrice = static_cast<float>(price.value);
        row.changed = false;
    }
}

} // namespace tenvix
