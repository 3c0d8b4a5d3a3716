// Suggesting: which bonds qualify, how the few best of each group are kept in
// their fixed places, and how many rows are offered.

#include "../model/testbonds.h"
#include "portfolio/core/suggest.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tenvix {
namespace {

using test::Day;

// A record ranked `rank` by both yield and score, told apart by its tag.
SUGGESTION Rec(double rank, int tag = 0)
{
    SUGGESTION s;
    s.dYield = s.dScore = rank;
    s.dDuration = tag;
    return s;
}

std::vector<double> Ranks(const std::array<SUGGESTION, kSuggestPlaces>& a, int count)
{
    std::vector<double> out;
    for (int i = 0; i < count; ++i)
        out.push_back(a[i].dScore);
    return out;
}

TEST(SuggestLists, InsertionKeepsTheBestInOrderAndEqualsInScanOrder)
{
    SuggestLists l;
    for (double r : {0.3, 0.5, 0.1, 0.5, 0.4})
        l.AddLonger(Rec(r, l.m_nLongCount));
    EXPECT_EQ(Ranks(l.m_long, l.m_nLongCount), (std::vector<double>{0.5, 0.5, 0.4, 0.3, 0.1}));
    EXPECT_EQ(l.m_long[0].dDuration, 1); // the first 0.5 found stays first
    // Full: a better record pushes the worst out, a worse or equal one is dropped.
    for (double r : {0.2, 0.2, 0.2, 0.2, 0.2, 0.25, 0.2, 0.01})
        l.AddLonger(Rec(r));
    EXPECT_EQ(Ranks(l.m_long, l.m_nLongCount),
              (std::vector<double>{0.5, 0.5, 0.4, 0.3, 0.25, 0.2, 0.2, 0.2, 0.2, 0.2}));
}

TEST(SuggestLists, ExactMatchesShareTheShorterPlacesAndComeFirst)
{
    SuggestLists l;
    for (int i = 0; i < 10; ++i)
        l.AddShorter(Rec(0.10 + 0.01 * i));
    l.AddExact(Rec(0.02)); // ranked by yield, and ahead of every shorter record
    EXPECT_EQ(std::pair(l.m_nExactCount, l.m_nShortCount), std::pair(1, 10));
    EXPECT_EQ(std::pair(l.m_short[0].dYield, l.m_short[9].dScore), std::pair(0.02, 0.11)); // 0.10 fell off
    // A shorter record competes only among the shorter ones.
    l.AddShorter(Rec(0.5));
    EXPECT_EQ(std::pair(l.m_short[0].dYield, l.m_short[1].dScore), std::pair(0.02, 0.5));

    for (int i = 0; i < 12; ++i)
        l.AddExact(Rec(0.03 + 0.001 * i));
    EXPECT_EQ(l.m_nExactCount, 10);
    EXPECT_EQ(std::pair(l.m_short[0].dYield, l.m_short[9].dYield), std::pair(0.03 + 0.001 * 11, 0.03 + 0.001 * 2));
    l.AddShorter(Rec(9.0)); // no room left for shorter records
    EXPECT_EQ(l.m_short[9].dYield, 0.03 + 0.001 * 2);

    SuggestLists fresh;
    fresh.AddShorter(Rec(0.2));
    fresh.AddExact(Rec(0.01));
    fresh.AddExact(Rec(0.03));
    EXPECT_EQ(fresh.m_nExactCount, 2);
    EXPECT_EQ(Ranks(fresh.m_short, fresh.m_nShortCount), (std::vector<double>{0.03, 0.01, 0.2}));
}

TEST(PresentSuggestions, ExactFirstThenPairs)
{
    using G = SuggestGroup;
    using V = std::vector<std::pair<G, int>>;
    auto picked = [](int exact, int shorter, int longer, int rows) {
        SuggestLists l;
        for (int i = 0; i < shorter; ++i)
            l.AddShorter(Rec(0.2 - 0.01 * i, 100 + i));
        for (int i = 0; i < exact; ++i)
            l.AddExact(Rec(0.1 - 0.01 * i, i));
        for (int i = 0; i < longer; ++i)
            l.AddLonger(Rec(0.3 - 0.01 * i, 200 + i));
        V out;
        for (const SuggestedRow& r : PresentSuggestions(l, rows))
            out.emplace_back(r.group, static_cast<int>(r.suggestion.dDuration));
        return out;
    };
    // Two free rows.
    EXPECT_EQ(picked(3, 2, 2, 18), (V{{G::Exact, 0}, {G::Exact, 1}}));
    EXPECT_EQ(picked(1, 2, 2, 18), (V{{G::Exact, 0}}));
    EXPECT_EQ(picked(0, 2, 2, 18), (V{{G::Shorter, 100}, {G::Longer, 200}}));
    EXPECT_EQ(picked(0, 8, 0, 0), V{}); // one side only, however many
    // Pairs are limited by the smaller side.
    EXPECT_EQ(
        picked(2, 3, 2, 0),
        (V{{G::Exact, 0}, {G::Exact, 1}, {G::Shorter, 100}, {G::Shorter, 101}, {G::Longer, 200}, {G::Longer, 201}}));
    // Full ten of each: the exact group holds six places, so 6 + 4 shorter + 4 longer.
    const V many = picked(6, 10, 10, 0);
    EXPECT_EQ(many.size(), 14u);
    EXPECT_EQ(many[9], std::pair(G::Shorter, 103));
    EXPECT_EQ(many[13], std::pair(G::Longer, 203));
    EXPECT_EQ(picked(6, 10, 10, 20), V{});
}

// Zero-coupon bonds paying 1e6 on one day: their duration is the time to
// that day, their Square-M the squared distance from the horizon, and a large
// amount keeps the solved yield precise enough for an exact match.
class Scan : public ::testing::Test {
protected:
    const double stand = Day(2020, 1, 1);
    const double horizon = Day(2024, 1, 1); // four years

    CBond* Add(const char* id, double payDay, float price)
    {
        list.push_back(test::FreeBond(id, price, {{payDay, 1e6f}}));
        return list.back().get();
    }

    SuggestLists ScanAll(double from, double to, const ScanStep& step = {})
    {
        SuggestLists l;
        ScanBonds(list, from, to, l, SystemClock(), step);
        return l;
    }

    CBondList::List list;
};

TEST_F(Scan, GroupsByDistanceFromTheHorizon)
{
    CBond* exactLow = Add("EXACT-LOW", horizon, 800000.0f);
    CBond* exactHigh = Add("EXACT-HIGH", horizon, 700000.0f);
    Add("EXACT-NOYIELD", horizon, 999999.0f); // yields less than 0.0001: dropped, not filed
    CBond* nearShort = Add("S3.25", Day(2023, 4, 1), 800000.0f);
    CBond* nearLong = Add("L4.75", Day(2024, 10, 1), 800000.0f);
    Add("S2.92", Day(2022, 12, 1), 700000.0f); // more than a quarter of the horizon away: out
    Add("L5.08", Day(2025, 2, 1), 700000.0f);
    Add("MATURED", Day(2019, 6, 1), 900000.0f);          // incompatible
    auto* pricey = Add("PRICEY", Day(2023, 6, 1), 1e6f); // price not below the payments: refused
    const SuggestLists l = ScanAll(stand, horizon);
    EXPECT_EQ(std::tuple(l.m_nExactCount, l.m_nShortCount, l.m_nLongCount), std::tuple(2, 3, 1));
    EXPECT_EQ((std::vector{l.m_short[0].pBond, l.m_short[1].pBond, l.m_short[2].pBond, l.m_long[0].pBond}),
              (std::vector{exactHigh, exactLow, nearShort, nearLong}));
    EXPECT_EQ(l.m_short[0].dScore, 0.0); // the exact group is ranked by yield alone
    const SUGGESTION& s = l.m_short[2];
    EXPECT_NEAR(s.dDuration, 3.25, 1e-9);
    EXPECT_NEAR(s.dSquareM, 0.75 * 0.75, 1e-9);
    EXPECT_NEAR(s.dScore, s.dYield / 0.75, 1e-9);
    // Every bond was dated, even the refused ones.
    EXPECT_EQ(pricey->m_nStandDate, DaySerial(stand));
    EXPECT_EQ(list.front()->m_nHorizon, DaySerial(horizon));

    // Nothing when the horizon is not ahead.
    for (double to : {stand, stand - 100}) {
        const SuggestLists none = ScanAll(stand, to);
        EXPECT_EQ(none.m_nShortCount + none.m_nLongCount, 0);
    }
}

TEST_F(Scan, StepSeesEveryBondAndCanStop)
{
    for (int i = 0; i < 6; ++i)
        Add("S", Day(2023, 4, 1), 800000.0f - 1000.0f * i);
    std::vector<std::size_t> seen;
    const SuggestLists all = ScanAll(stand, horizon, [&](std::size_t reached, std::size_t total) {
        EXPECT_EQ(total, 6u);
        seen.push_back(reached);
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(all.m_nShortCount, 6);

    list.front()->SetDates(0, 0);
    list.back()->SetDates(0, 0);
    const SuggestLists stopped = ScanAll(stand, horizon, [&](std::size_t reached, std::size_t) { return reached < 3; });
    EXPECT_EQ(stopped.m_nShortCount, 2); // the third was dated but not judged
    EXPECT_EQ(list.front()->m_nStandDate, DaySerial(stand));
    EXPECT_EQ(list.back()->m_nStandDate, 0);

    list.clear(); // an empty list never calls the step
    ScanAll(stand, horizon, [](std::size_t, std::size_t) -> bool { throw 1; });
}

} // namespace
} // namespace tenvix
