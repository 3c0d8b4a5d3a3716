// Re-pricing page by page: which bonds take part and in which order, the
// pages, and the prices accepted.

#include "model/priceupdate.h"

#include "model/text.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <random>

using namespace tenvix;

// Bonds maturing after the stand day take part. The order is defined by
// inserting each bond before the first one whose identifier is not less than
// its own (so among equals the later bond comes first); the fast sort must
// give exactly that, also for identifiers that share more than eight bytes
// and differ in case. Some bonds mature on the stand day itself.
TEST(PriceUpdate, OrderEqualsOneByOneInsertion)
{
    // clang-format off
    const std::vector<std::string> stems = {"", "a", "A", "ab", "DE0001102333", "de0001102333", "DE00011023",
                                            "é", "É", "z", "Z9", "\xC3", "a\0b",
                                            std::string("a\0", 2), "XS0123456789ABCDE", "xs0123456789abcde",
                                            "XS0123456789ABCD", "ÉMISSION-LONGUE-2040", "émission-longue-2040"};
    // clang-format on
    std::mt19937 rng(11);
    CBondList list;
    for (int k = 0; k < 3000; ++k) {
        const std::string& stem = stems[std::uniform_int_distribution<std::size_t>(0, stems.size() - 1)(rng)];
        const int tail = std::uniform_int_distribution<int>(-1, 30)(rng);
        test::AddRecord(list, tail < 0 ? stem : stem + std::to_string(tail), 0, 10 + k % 7);
    }
    std::vector<CBond*> reference;
    for (const auto& bond : list.m_list) {
        if (bond->m_nMaturity <= 12)
            continue;
        const std::string id = FoldCase(bond->m_strID);
        auto at = reference.begin();
        while (at != reference.end() && !(id <= FoldCase((*at)->m_strID)))
            ++at;
        reference.insert(at, bond.get());
    }
    EXPECT_EQ(CollectMatched(list.m_list, 12), reference);
}

TEST(PriceUpdate, PagesOfTwoHundred)
{
    struct Case {
        int matched, pages, lastPageCount;
    };
    for (const Case c :
         {Case{0, 1, 0}, Case{1, 1, 1}, Case{200, 1, 0}, Case{201, 2, 1}, Case{400, 2, 0}, Case{1000199, 5001, 199}}) {
        const PageLayout layout = LayOutPages(c.matched);
        EXPECT_EQ(layout.pages, c.pages) << c.matched;
        EXPECT_EQ(layout.lastPageCount, c.lastPageCount) << c.matched;
        // The pages cover every matched bond exactly once; none lies beyond them.
        int covered = 0;
        for (int page = 0; page <= layout.pages + 1; ++page) {
            const PageSpan span = SpanOfPage(c.matched, page);
            if (span.count) {
                EXPECT_EQ(span.first, covered) << c.matched << " page " << page;
            }
            covered += span.count;
        }
        EXPECT_EQ(covered, c.matched);
    }
}

TEST(PriceUpdate, TypedPrices)
{
    using enum PriceCheck;
    const std::pair<const char*, PriceCheck> cases[] = {
        {"  12.5", OK},          {"0.0001", OK},       {"1e18", OK},       {"1.5d2", OK},         {"12.5x", Invalid},
        {"12.5 ", Invalid},      {"  ", Invalid},      {"nan", Invalid},   {"0x10", Invalid},     {"", OutOfRange},
        {"0.00001", OutOfRange}, {"2e18", OutOfRange}, {"-5", OutOfRange}, {"1e400", OutOfRange},
    };
    for (auto [text, check] : cases)
        EXPECT_EQ(ReadNewPrice(text).check, check) << text;
    EXPECT_EQ(ReadNewPrice("  12.5").value, 12.5);
    EXPECT_EQ(ReadNewPrice("1.5d2").value, 150.0);
}

// The page's texts are its data: the stored price shows as "%.2f"; a typed
// one stays as typed until Save writes it to its own bond, the row on the
// second page included; a refused one or the shown text itself changes nothing.
TEST(PriceUpdate, PageRowsKeepTheTypedTexts)
{
    CBondList list;
    for (int k = 0; k < 203; ++k)
        test::AddRecord(list, "B" + std::to_string(1000 + k), 99.996f, 20).m_strName = "N" + std::to_string(k);
    const std::vector<CBond*> matched = CollectMatched(list.m_list, 10);
    PricePage page;
    page.Show(matched, SpanOfPage(203, 2));
    ASSERT_EQ(page.Count(), 3);
    EXPECT_EQ(page.Row(1).price + page.Row(1).id + page.Row(1).name, "100.00B1201N201");

    EXPECT_EQ(page.Type(1, "100.00"), PriceCheck::OK); // closing an untouched editor
    EXPECT_EQ(page.Type(0, "7x"), PriceCheck::Invalid);
    EXPECT_EQ(page.Type(0, "0"), PriceCheck::OutOfRange);
    EXPECT_EQ(page.Type(3, "5"), PriceCheck::Invalid);
    EXPECT_FALSE(page.AnyChanged());
    EXPECT_EQ(page.Row(0).price, "100.00");

    EXPECT_EQ(page.Type(2, " 12.345"), PriceCheck::OK);
    EXPECT_EQ(page.Row(2).price, " 12.345");
    EXPECT_TRUE(page.Row(2).changed && page.AnyChanged());
    page.Save(matched);
    EXPECT_FALSE(page.AnyChanged());
    EXPECT_EQ(matched[202]->m_fPrice, 12.345f);
    EXPECT_EQ(matched[200]->m_fPrice, 99.996f); // untouched rows keep the unrounded price
    EXPECT_EQ(matched[2]->m_fPrice, 99.996f);

    page.Show(matched, SpanOfPage(203, 3));
    EXPECT_EQ(page.Count(), 0);
}
