#include "model/priceupdate.h"

#include "model/text.h"

#include <gtest/gtest.h>

#include <random>

using namespace tenvix;

namespace {

void Add(CBondList& list, std::string id, std::int32_t maturity)
{
    auto bond = std::make_unique<CBondStd>(0);
    bond->m_strID = std::move(id);
    bond->m_nMaturity = maturity;
    list.m_list.push_back(std::move(bond));
}

} // namespace

TEST(PriceUpdate, MatchesBondsMaturingAfterTheStandDayOrderedByIdentifier)
{
    CBondList list;
    Add(list, "b2", 40001);
    Add(list, "today", 40000);
    Add(list, "A1", 40001);
    Add(list, "past", 1);
    Add(list, "a1", 50000);
    Add(list, "B1", 40001);
    const std::vector<CBond*> matched = CollectMatched(list.m_list, 40000);
    std::vector<CBond*> expected;
    for (const auto& bond : list.m_list)
        expected.push_back(bond.get());
    // a1 is later in the list than A1, so it comes first.
    EXPECT_EQ(matched, (std::vector<CBond*>{expected[4], expected[2], expected[5], expected[0]}));

    // One day earlier the bond maturing on the stand day takes part.
    EXPECT_EQ(CollectMatched(list.m_list, 39999).size(), 5u);
    EXPECT_TRUE(CollectMatched(list.m_list, 50000).empty());
}

// The order is defined by inserting each bond before the first one whose
// identifier is not less than its own; the fast sort must give exactly that,
// also for identifiers that share more than eight bytes and differ in case.
TEST(PriceUpdate, OrderEqualsOneByOneInsertion)
{
    const std::vector<std::string> stems = {"", "a", "A", "ab", "DE0001102333", "de0001102333", "DE00011023",
                                            "é", "É", "z", "Z9", "\xC3", "a\0b",
                                            std::string("a\0", 2), "XS0123456789ABCDE", "xs0123456789abcde",
                                            "XS0123456789ABCD", "ÉMISSION-LONGUE-2040", "émission-longue-2040"};
    std::mt19937 rng(11);
    CBondList list;
    for (int k = 0; k < 3000; ++k) {
        const std::string& stem = stems[std::uniform_int_distribution<std::size_t>(0, stems.size() - 1)(rng)];
        const int tail = std::uniform_int_distribution<int>(-1, 30)(rng);
        Add(list, tail < 0 ? stem : stem + std::to_string(tail), 10 + k % 7);
    }
    const std::int32_t standDay = 12;

    std::vector<CBond*> reference;
    for (const auto& bond : list.m_list) {
        if (bond->m_nMaturity <= standDay)
            continue;
        const std::string id = FoldCase(bond->m_strID);
        auto at = reference.begin();
        while (at != reference.end() && !(id <= FoldCase((*at)->m_strID)))
            ++at;
        reference.insert(at, bond.get());
    }
    EXPECT_EQ(CollectMatched(list.m_list, standDay), reference);
}

TEST(PriceUpdate, PagesOfTwoHundred)
{
    struct Case {
        int matched, pages, lastPageCount;
    };
    for (const Case c : {Case{0, 1, 0}, Case{1, 1, 1}, Case{200, 1, 0}, Case{201, 2, 1}, Case{400, 2, 0},
                         Case{401, 3, 1}, Case{1000199, 5001, 199}}) {
        const PageLayout layout = LayOutPages(c.matched);
        EXPECT_EQ(layout.pages, c.pages) << c.matched;
        EXPECT_EQ(layout.lastPageCount, c.lastPageCount) << c.matched;
        // The pages cover every matched bond exactly once.
        int covered = 0;
        for (int page = 1; page <= layout.pages; ++page) {
            const PageSpan span = SpanOfPage(c.matched, page);
            EXPECT_EQ(span.first, covered) << c.matched << " page " << page;
            covered += span.count;
        }
        EXPECT_EQ(covered, c.matched);
    }
    EXPECT_EQ(SpanOfPage(201, 2).count, 1);
    EXPECT_EQ(SpanOfPage(201, 3).count, 0);
    EXPECT_EQ(SpanOfPage(201, 0).count, 0);
    EXPECT_EQ(SpanOfPage(201, -1).count, 0);
    EXPECT_EQ(SpanOfPage(0, 1).count, 0);
}

TEST(PriceUpdate, TypedPrices)
{
    struct Case {
        const char* text;
        PriceCheck check;
        double value;
    };
    for (const Case c : {Case{"12.5", PriceCheck::OK, 12.5}, Case{"  12.5", PriceCheck::OK, 12.5},
                         Case{"0.0001", PriceCheck::OK, 0.0001}, Case{"1e18", PriceCheck::OK, 1e18},
                         Case{"1.5d2", PriceCheck::OK, 150.0}, Case{"12.5x", PriceCheck::Invalid, 0},
                         Case{"12.5 ", PriceCheck::Invalid, 0}, Case{"  ", PriceCheck::Invalid, 0},
                         Case{"abc", PriceCheck::Invalid, 0}, Case{"nan", PriceCheck::Invalid, 0},
                         Case{"0x10", PriceCheck::Invalid, 0}, Case{"", PriceCheck::OutOfRange, 0},
                         Case{"0.00001", PriceCheck::OutOfRange, 0.00001}, Case{"2e18", PriceCheck::OutOfRange, 2e18},
                         Case{"-5", PriceCheck::OutOfRange, -5}, Case{"1e400", PriceCheck::OutOfRange, 0}}) {
        const NewPrice price = ReadNewPrice(c.text);
        EXPECT_EQ(price.check, c.check) << c.text;
        if (c.check == PriceCheck::OK) {
            EXPECT_EQ(price.value, c.value) << c.text;
        }
    }
}
