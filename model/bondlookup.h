#pragma once

// Finding bonds by the identifier a user types or a file holds. One rule
// decides which bonds an identifier reaches, whether one identifier is looked
// up by a walk over the list or a million through an index built once.

#include "model/bondlist.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tenvix {

// The bonds an identifier reaches: those whose identifier is the same text,
// and those whose identifier equals it without regard to letter case (the
// exact ones among them). The first of each kind is the earliest in list
// order; positions count from 0 at the head of the list.
struct IdMatch {
    CBond* firstExact = nullptr;
    std::size_t firstExactPosition = 0;
    int exact = 0;
    CBond* firstAnyCase = nullptr;
    std::size_t firstAnyCasePosition = 0;
    int anyCase = 0;

    // The reading of an identifier as a user means it: the same text if any
    // bond has it, else the same without regard to case.
    CBond* Bond() const { return exact ? firstExact : firstAnyCase; }
    std::size_t Position() const { return exact ? firstExactPosition : firstAnyCasePosition; }
    int Count() const { return exact ? exact : anyCase; }
};

// Counts `bond`, at `position` in the list, into `match` when its identifier
// reaches `id`, whose folded form (FoldCase) is `foldedId`. Bonds must come
// in list order. This is the one comparison both lookups make.
void CountMatch(IdMatch& match, CBond& bond, std::size_t position, std::string_view id, std::string_view foldedId);

// One identifier, by a walk over the whole list: for a lookup now and then.
IdMatch MatchBondID(const CBondList::List& bonds, std::string_view id);

// Many identifiers against one list. The index keeps pointers to the bonds:
// it is valid while no bond is added to or removed from the list and no
// identifier changes.
class BondIdIndex {
public:
    explicit BondIdIndex(const CBondList::List& bonds);

    IdMatch Match(std::string_view id) const;
    // How many bonds the list held, which bounds every IdMatch::Position.
    std::size_t Size() const { return m_bonds.size(); }

    // For lookups in bulk, where the memory a lookup reaches is the cost:
    // the hash of an identifier, then, some lookups ahead of the one for it,
    // a hint to fetch its slot, and later a hint to fetch the bond the slot
    // names. Match with the hash then finds both at hand.
    static std::uint64_t HashOf(std::string_view id);
    void PrefetchSlot(std::uint64_t hash) const;
    void PrefetchBond(std::uint64_t hash) const;
    IdMatch Match(std::string_view id, std::uint64_t hash) const;

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    // One folded identifier. A lookup is a walk to memory nobody touched
    // lately; the slot holds what it needs so that the usual case, one bond
    // to the identifier, costs two such walks: the slot and the bond.
    struct Slot {
        CBond* bond = nullptr;  // the earliest bond of the identifier; null while the slot is free
        std::uint32_t head = 0; // its position, and kMore when further bonds follow through m_next
        std::uint32_t tag = 0;  // the upper half of the folded identifier's hash
    };
    static constexpr std::uint32_t kMore = 0x80000000;

    std::vector<CBond*> m_bonds;       // by position; null entries of the list stay null
    std::vector<std::uint32_t> m_next; // the next bond of the same folded identifier, or kEmpty
    std::vector<Slot> m_slots;         // open addressing, a power of two, at most half full
};

} // namespace tenvix
