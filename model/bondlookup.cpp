#include "model/bondlookup.h"

#include "model/text.h"

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tenvix {
namespace {

std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBULL;
    h ^= h >> 31;
    return h;
}

std::uint64_t HashBytes(std::string_view s)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ s.size();
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        h = Mix(h ^ word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, s.data() + i, s.size() - i);
    return Mix(h ^ tail);
}

// The hash of FoldCase(id), without building the folded copy for the short
// ASCII identifiers nearly every database holds.
std::uint64_t HashFolded(std::string_view id)
{
    constexpr std::size_t kShort = 64;
    if (id.size() <= kShort && IsAscii(id)) {
        char folded[kShort];
        for (std::size_t k = 0; k < id.size(); ++k)
            folded[k] = FoldAscii(id[k]);
        return HashBytes(std::string_view(folded, id.size()));
    }
    return HashBytes(FoldCase(id));
}

// Whether two identifiers fold to the same text. Folding keeps the byte
// length and maps ASCII to ASCII only, so the common case needs no copy.
bool SameFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const bool asciiA = IsAscii(a);
    if (asciiA != IsAscii(b))
        return false;
    if (!asciiA)
        return FoldCase(a) == FoldCase(b);
    for (std::size_t k = 0; k < a.size(); ++k)
        if (FoldAscii(a[k]) != FoldAscii(b[k]))
            return false;
    return true;
}

void Prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

} // namespace

void CountMatch(IdMatch& match, CBond& bond, std::size_t position, std::string_view id, std::string_view foldedId)
{
    if (!EqualsFolded(bond.m_strID, foldedId))
        return;
    if (match.anyCase++ == 0) {
        match.firstAnyCase = &bond;
        match.firstAnyCasePosition = position;
    }
    if (bond.m_strID == id && match.exact++ == 0) {
        match.firstExact = &bond;
        match.firstExactPosition = position;
    }
}

IdMatch MatchBondID(const CBondList::List& bonds, std::string_view id)
{
    const std::string folded = FoldCase(id);
    IdMatch match;
    std::size_t position = 0;
    for (const auto& bond : bonds) {
        if (bond)
            CountMatch(match, *bond, position, id, folded);
        ++position;
    }
    return match;
}

BondIdIndex::BondIdIndex(const CBondList::List& bonds)
{
    m_bonds.reserve(bonds.size());
    for (const auto& bond : bonds)
        m_bonds.push_back(bond.get());
    // Positions share their word with kMore, and kEmpty ends a chain.
    if (m_bonds.size() >= kMore)
        throw std::length_error("too many bonds for the identifier index");
    m_next.assign(m_bonds.size(), kEmpty);
    m_slots.resize(std::bit_ceil(2 * m_bonds.size() + 2));
    const std::size_t mask = m_slots.size() - 1;
    std::vector<std::uint64_t> hashes(m_bonds.size());
    for (std::size_t k = 0; k < m_bonds.size(); ++k)
        if (m_bonds[k])
            hashes[k] = HashFolded(m_bonds[k]->m_strID);

    // From the tail to the head, each bond going in front of the ones of its
    // identifier met so far: every chain ends up in list order.
    constexpr std::size_t kAhead = 16;
    for (std::size_t k = m_bonds.size(); k-- > 0;) {
        if (k >= kAhead)
            Prefetch(&m_slots[hashes[k - kAhead] & mask]);
        CBond* bond = m_bonds[k];
        if (!bond)
            continue;
        const std::uint64_t hash = hashes[k];
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            Slot& slot = m_slots[s];
            if (!slot.bond) {
                slot = {bond, static_cast<std::uint32_t>(k), tag};
                break;
            }
            if (slot.tag == tag && SameFolded(slot.bond->m_strID, bond->m_strID)) {
                m_next[k] = slot.head & ~kMore;
                slot = {bond, static_cast<std::uint32_t>(k) | kMore, tag};
                break;
            }
        }
    }
}

std::uint64_t BondIdIndex::HashOf(std::string_view id) { return HashFolded(id); }

void BondIdIndex::PrefetchSlot(std::uint64_t hash) const { Prefetch(&m_slots[hash & (m_slots.size() - 1)]); }

void BondIdIndex::PrefetchBond(std::uint64_t hash) const
{
    // The home slot only: with the table at most half full, that is where
    // nearly every identifier sits.
    if (const CBond* bond = m_slots[hash & (m_slots.size() - 1)].bond) {
        // The identifier, and the price and dates a lookup's caller reads next.
        Prefetch(bond);
        Prefetch(reinterpret_cast<const char*>(bond) + sizeof(CBond) - 1);
    }
}

IdMatch BondIdIndex::Match(std::string_view id) const { return Match(id, HashFolded(id)); }

IdMatch BondIdIndex::Match(std::string_view id, std::uint64_t hash) const
{
    IdMatch match;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot& slot = m_slots[s];
        if (!slot.bond)
            return match;
        if (slot.tag != tag || !SameFolded(slot.bond->m_strID, id))
            continue;
        const std::string folded = FoldCase(id);
        const std::uint32_t head = slot.head & ~kMore;
        CountMatch(match, *slot.bond, head, id, folded);
        if (slot.head & kMore)
            for (std::uint32_t k = m_next[head]; k != kEmpty; k = m_next[k])
                CountMatch(match, *m_bonds[k], k, id, folded);
        return match;
    }
}

} // namespace tenvix
