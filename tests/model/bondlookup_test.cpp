// Finding bonds by identifier: the index must reach exactly the bonds a walk
// over the list reaches, counts included, for every kind of identifier a
// database can hold.

#include "model/bondlookup.h"
#include "model/text.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace tenvix;

namespace {

CBondList ListOf(const std::vector<std::string>& ids)
{
    CBondList list;
    for (const std::string& id : ids)
        test::AddRecord(list, id);
    return list;
}

CBond* At(CBondList& list, std::size_t position)
{
    return std::next(list.m_list.begin(), static_cast<std::ptrdiff_t>(position))->get();
}

// What a match says, positions only where something was found.
auto Key(const IdMatch& m)
{
    return std::tuple(m.exact, m.anyCase, m.firstExact, m.firstAnyCase, m.exact ? m.firstExactPosition : 0,
                      m.anyCase ? m.firstAnyCasePosition : 0);
}

} // namespace

// The same text wins over a match without regard to case, and both kinds are
// counted, so a caller can refuse an identifier that reaches several bonds.
TEST(BondLookup, ExactFirstThenAnyCase)
{
    CBondList list = ListOf({"gov-2030", "GOV-2030", "GOV-2030", "\xc3\x89MIS", "\xc3\xa9mis", "B1"});
    const BondIdIndex index(list.m_list);
    struct Case {
        const char* id;
        int count;
        std::size_t position;
    };
    for (const Case c :
         {Case{"GOV-2030", 2, 1}, Case{"gov-2030", 1, 0}, Case{"Gov-2030", 3, 0}, Case{"\xc3\xa9mis", 1, 4},
          Case{"\xc3\x89mis", 2, 3}, Case{"b1", 1, 5}, Case{"GOV-2030 ", 0, 0}, Case{"", 0, 0}, Case{"GOV", 0, 0}}) {
        for (const IdMatch& m : {index.Match(c.id), MatchBondID(list.m_list, c.id)}) {
            EXPECT_EQ(std::tuple(m.Count(), c.count ? m.Position() : 0, m.Bond()),
                      std::tuple(c.count, c.position, c.count ? At(list, c.position) : nullptr))
                << c.id;
        }
    }
    // Every case-blind match counts, the exact ones included.
    EXPECT_EQ(index.Match("GOV-2030").anyCase, 3);
    EXPECT_EQ(index.Match("GOV-2030").firstAnyCase, At(list, 0));
}

// Random databases of identifiers that collide in case, in accents, in
// malformed bytes and in length; gaps in the list (null records) are skipped
// but keep their position.
TEST(BondLookup, IndexAgreesWithTheWalk)
{
    const std::string longId = "XS0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-LONG-IDENTIFIER";
    std::vector<std::string> stems = {"",         "a",        "A",        "DE0001102333", "de0001102333",
                                      "\xc3\xa9", "\xc3\x89", "\xc5\xa0", "\xc5\xa1",     "\xc5\xb8",
                                      "\xc3\xbf", "\xc3",     "\xff"};
    stems.insert(stems.end(), {std::string("a\0b", 3), longId, FoldCase(longId)});
    std::mt19937 rng(5);
    auto pick = [&] {
        const std::string& stem = stems[std::uniform_int_distribution<std::size_t>(0, stems.size() - 1)(rng)];
        const int tail = std::uniform_int_distribution<int>(-1, 20)(rng);
        return tail < 0 ? stem : stem + std::to_string(tail);
    };
    for (int round = 0; round < 4; ++round) {
        std::vector<std::string> ids;
        for (int k = 0; k < 500 * round; ++k)
            ids.push_back(pick());
        CBondList list = ListOf(ids);
        for (auto& bond : list.m_list)
            if (std::uniform_int_distribution<int>(0, 30)(rng) == 0)
                bond.reset();
        const BondIdIndex index(list.m_list);
        EXPECT_EQ(index.Size(), list.m_list.size());
        for (int k = 0; k < 2000; ++k) {
            std::string id = pick();
            if (k % 3 == 0)
                for (char& c : id)
                    if (c >= 'a' && c <= 'z')
                        c = static_cast<char>(c - 32);
            EXPECT_EQ(Key(index.Match(id)), Key(MatchBondID(list.m_list, id))) << id;
        }
    }
}
