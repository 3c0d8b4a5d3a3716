#include "model/bondlookup.h"

#include "model/text.h"

#include <bit>
#include <cstring>
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
        for (std::size_t k = 0; k < id.size(); ++k) {
            const char c = id[k];
            folded[k] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
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
    for (std::size_t k = 0; k < a.size(); ++k) {
        char x = a[k], y = b[k];
        x = (x >= 'A' && x <= 'Z') ? static_cast<char>(x + 32) : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<char>(y + 32) : y;
        if (x != y)
            return false;
    }
    return true;
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
    m_next.assign(m_bonds.size(), kEmpty);
    m_slots.resize(std::bit_ceil(2 * m_bonds.size() + 2));
    const std::size_t mask = m_slots.size() - 1;

    // From the tail to the head, each bond going in front of the ones of its
    // identifier met so far: every chain ends up in list order.
    for (std::size_t k = m_bonds.size(); k-- > 0;) {
        const CBond* bond = m_bonds[k];
        if (!bond)
            continue;
        const std::uint64_t hash = HashFolded(bond->m_strID);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            Slot& slot = m_slots[s];
            if (slot.head == kEmpty) {
                slot = {tag, static_cast<std::uint32_t>(k)};
                break;
            }
            if (slot.tag == tag && SameFolded(m_bonds[slot.head]->m_strID, bond->m_strID)) {
                m_next[k] = slot.head;
                slot.head = static_cast<std::uint32_t>(k);
                break;
            }
        }
    }
}

IdMatch BondIdIndex::Match(std::string_view id) const
{
    IdMatch match;
    const std::uint64_t hash = HashFolded(id);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    const std::size_t mask = m_slots.size() - 1;
    std::string folded;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot& slot = m_slots[s];
        if (slot.head == kEmpty)
            return match;
        if (slot.tag != tag || !SameFolded(m_bonds[slot.head]->m_strID, id))
            continue;
        folded = FoldCase(id);
        for (std::uint32_t k = slot.head; k != kEmpty; k = m_next[k])
            CountMatch(match, *m_bonds[k], k, id, folded);
        return match;
    }
}

} // namespace tenvix
