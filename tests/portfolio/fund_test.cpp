// Funding a schedule: cases worked out by hand (bonds that pay once, on a
// liability's date), every limit, held units, reinvestment, and the bound
// against a program over every bond built here directly.

#include "model/date.h"
#include "portfolio/core/fund.h"
#include "tests/model/testbonds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;

const double kStand = Day(2026, 1, 15);

Liability Owe(int year, double amount) { return {DaySerial(Day(year, 1, 15)), amount}; }

// A bond of one payment of 100 on 15 January of `year`.
void AddZero(CBondList& list, const std::string& id, float price, int year)
{
    list.m_list.push_back(test::FreeBond(id, price, {{Day(year, 1, 15), 100.0f}}));
}

// Z1, Z2, Z3 pay 100 in 2027, 2028, 2029 for 98, 96 and 94.
CBondList Zeros()
{
    CBondList list;
    AddZero(list, "Z1", 98, 2027);
    AddZero(list, "Z2", 96, 2028);
    AddZero(list, "Z3", 94, 2029);
    return list;
}

const std::vector<Liability> kThreeYears = {Owe(2027, 1000), Owe(2028, 1000), Owe(2029, 1000)};

FundResult Funded(const CBondList& list, const std::vector<Liability>& schedule, const FundLimits& limits = {},
               std::span<const FundHolding> held = {})
{
    return FundList(list.m_list, schedule, kStand, limits, held, SystemClock());
}

double UnitsOf(const FundResult& r, const std::string& id)
{
    for (const FundedRow& row : r.rows)
        if (row.id == id)
            return row.units;
    return 0.0;
}

// Every surplus of the answer's own walk is at least 0, the rows are in
// descending cost and add up to the cost with the cash.
void ExpectSound(const FundResult& r)
{
    ASSERT_FALSE(r.stopped);
    double sum = r.cash;
    for (std::size_t k = 0; k < r.rows.size(); ++k) {
        sum += r.rows[k].cost;
        EXPECT_EQ(r.rows[k].cost, r.rows[k].units * r.rows[k].price);
        EXPECT_EQ(r.rows[k].units, std::floor(r.rows[k].units));
        if (k > 0) {
            EXPECT_GE(r.rows[k - 1].cost, r.rows[k].cost);
        }
    }
    EXPECT_NEAR(sum, r.cost, 1e-6);
    for (const LadderRow& row : r.ladder.rows)
        EXPECT_GE(row.surplus, 0.0) << FormatIsoDate(row.day);
    EXPECT_LE(r.lowerBound, r.cost);
    EXPECT_EQ(r.cash, std::round(r.cash * 100) / 100);
}

TEST(Fund, BuysEachLiabilityItsOwnBondWhenTheyPayOnItsDate)
{
    const FundResult r = Funded(Zeros(), kThreeYears);
    ExpectSound(r);
    EXPECT_EQ(UnitsOf(r, "Z1"), 10);
    EXPECT_EQ(UnitsOf(r, "Z2"), 10);
    EXPECT_EQ(UnitsOf(r, "Z3"), 10);
    EXPECT_DOUBLE_EQ(r.cost, 2880);
    EXPECT_EQ(r.cash, 0);
    EXPECT_DOUBLE_EQ(r.lowerBound, 2880);
    EXPECT_EQ(r.GapPercent(), 0);
    // Amounts that are no multiple of the face: a unit of Z3 costs more
    // than the 1 owed in 2029, which is the unit of 2028 paid a year early;
    // and a unit of Z1 more than the 1 owed above a thousand in 2027.
    const FundResult odd = Funded(Zeros(), {Owe(2027, 1001), Owe(2028, 999), Owe(2029, 1)});
    ExpectSound(odd);
    EXPECT_EQ(UnitsOf(odd, "Z1"), 10);
    EXPECT_EQ(UnitsOf(odd, "Z2"), 10);
    EXPECT_EQ(odd.cash, 1.0);
    EXPECT_DOUBLE_EQ(odd.cost, 980 + 960 + 1.0);
    // The relaxation's 10.01, 9.99 and 0.01 units, rounded down to the cent.
    const double relaxed = 10.01 * 98 + 9.99 * 96 + 0.01 * 94;
    EXPECT_LE(odd.lowerBound, relaxed);
    EXPECT_GE(odd.lowerBound, relaxed - 0.01);
}

TEST(Fund, FindsTheCheaperMixThatRoundingUpMisses)
{
    // 1050 in 2027 and 1000 in 2028. Rounding the relaxation's 10.5 units
    // of Z1 up costs 2039; ten units and 50 in cash cost 1990.
    CBondList list;
    AddZero(list, "Z1", 99, 2027);
    AddZero(list, "Z2", 95, 2028);
    const FundResult r = Funded(list, {Owe(2027, 1050), Owe(2028, 1000)});
    ExpectSound(r);
    EXPECT_EQ(UnitsOf(r, "Z1"), 10);
    EXPECT_EQ(UnitsOf(r, "Z2"), 10);
    EXPECT_EQ(r.cash, 50);
    EXPECT_DOUBLE_EQ(r.cost, 1990);
    EXPECT_DOUBLE_EQ(r.lowerBound, 1989.5);
}

TEST(Fund, KeepsEveryLimit)
{
    {
        // One bond only: twenty units of Z2 carry into 2029, the rest cash.
        FundLimits l;
        l.maxRows = 1;
        const FundResult r = Funded(Zeros(), kThreeYears, l);
        ExpectSound(r);
        ASSERT_EQ(r.rows.size(), 1u);
        EXPECT_DOUBLE_EQ(r.cost, 2920);
        EXPECT_EQ(UnitsOf(r, "Z2"), 20);
        EXPECT_LE(r.lowerBound, 2880);
        l.maxRows = 2;
        const FundResult two = Funded(Zeros(), kThreeYears, l);
        ExpectSound(two);
        EXPECT_EQ(two.rows.size(), 2u);
        EXPECT_DOUBLE_EQ(two.cost, 2900);
    }
    {
        // Left out by identifier, whatever the case: 2029 is paid by Z2.
        FundLimits l;
        l.exclude = {"z3"};
        const FundResult r = Funded(Zeros(), kThreeYears, l);
        ExpectSound(r);
        EXPECT_EQ(UnitsOf(r, "Z3"), 0);
        EXPECT_DOUBLE_EQ(r.cost, 2900);
    }
    {
        // The least yield leaves out the dearest: Z1 yields about 2.04 %.
        FundLimits l;
        l.minYtm = 0.0205;
        const FundResult r = Funded(Zeros(), kThreeYears, l);
        ExpectSound(r);
        EXPECT_EQ(UnitsOf(r, "Z1"), 0);
        EXPECT_GT(UnitsOf(r, "Z2"), 0);
        for (const FundedRow& row : r.rows)
            EXPECT_GE(row.ytm, 0.0205);
    }
    {
        // No bond above 30 % of the whole cost: cash makes up the rest.
        FundLimits l;
        l.maxShare = 0.3;
        const FundResult r = Funded(Zeros(), kThreeYears, l);
        ExpectSound(r);
        EXPECT_GT(r.cost, 2880);
        for (const FundedRow& row : r.rows)
            EXPECT_LE(row.cost, 0.3 * r.cost);
        EXPECT_LE(r.lowerBound, r.cost);
        EXPECT_GE(r.lowerBound, 2880);
    }
}

TEST(Fund, CountsTheUnitsHeldAndBuysWhatTheyLeave)
{
    const CBondList list = Zeros();
    std::unique_ptr<CBond> z3 = test::CopyOf(*list.m_list.back());
    FundHolding held;
    held.id = "Z3";
    held.units = 5;
    held.payments = PaymentsOf(*z3, kStand, Day(2029, 1, 15));
    const FundResult r = Funded(list, kThreeYears, {}, std::span(&held, 1));
    ExpectSound(r);
    EXPECT_EQ(UnitsOf(r, "Z3"), 5);
    EXPECT_DOUBLE_EQ(r.cost, 980 + 960 + 470);
    // Held units that pay everything leave nothing to buy, and no gap.
    std::unique_ptr<CBond> z1 = test::CopyOf(*list.m_list.front());
    held.payments = PaymentsOf(*z1, kStand, Day(2027, 1, 15));
    held.units = 40;
    const FundResult none = Funded(list, {Owe(2027, 1000)}, {}, std::span(&held, 1));
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.cost, 0);
    EXPECT_EQ(none.lowerBound, 0);
    EXPECT_EQ(none.GapPercent(), 0);
}

TEST(Fund, CarriesTheSurplusAtTheReinvestmentRate)
{
    // One bond in 2027 for 1000 in 2027 and 1000 in 2028 at 2 %: 19 units
    // leave 900 for 2028, which the cash makes up: (1.02 c + 900) 1.02 >= 1000
    // wants c = 78.816..., kept as 78.82. Twenty units would cost 1960.
    CBondList list;
    AddZero(list, "Z1", 98, 2027);
    FundLimits l;
    l.reinvest = 0.02;
    const FundResult r = Funded(list, {Owe(2027, 1000), Owe(2028, 1000)}, l);
    ExpectSound(r);
    EXPECT_EQ(UnitsOf(r, "Z1"), 19);
    EXPECT_EQ(r.cash, 78.82);
    EXPECT_DOUBLE_EQ(r.cost, 19 * 98 + 78.82);
    // The relaxation: 19.8039... units.
    EXPECT_DOUBLE_EQ(r.lowerBound, std::floor((1000 + 1000 / 1.02) / 100 * 98 * 100) / 100);
    ASSERT_EQ(r.ladder.rows.size(), 2u);
    const LadderRow& first = r.ladder.rows[0];
    EXPECT_EQ(first.inflow, 1900);
    EXPECT_NEAR(first.reinvestment, 78.82 * 0.02, 1e-9);
    EXPECT_NEAR(first.surplus, 78.82 * 1.02 + 900, 1e-9);
    const LadderRow& second = r.ladder.rows[1];
    EXPECT_EQ(second.inflow, 0);
    EXPECT_NEAR(second.reinvestment, first.surplus * 0.02, 1e-9);
    EXPECT_NEAR(second.surplus, first.surplus * 1.02 - 1000, 1e-9);
}

TEST(Fund, PaysWithCashWhenNoBondIsCheaper)
{
    CBondList list;
    AddZero(list, "DEAR", 101, 2027);
    AddZero(list, "LATE", 50, 2031);     // pays after the last liability
    AddZero(list, "ABSURD", 0.005f, 2027); // twenty thousand times its price: no bond a yield describes
    const FundResult r = Funded(list, {Owe(2027, 1234.567)});
    ExpectSound(r);
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(r.cash, 1234.57);
    EXPECT_DOUBLE_EQ(r.lowerBound, 1234.56);
    const FundResult empty = Funded(CBondList(), {Owe(2027, 10)});
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(empty.cash, 10);
}

TEST(Fund, StopsWhenTheHookSaysSo)
{
    std::size_t asked = 0;
    const FundResult whole = FundList(Zeros().m_list, kThreeYears, kStand, {}, {}, SystemClock(),
                                      [&](std::size_t done, std::size_t total) {
                                          EXPECT_LE(done, total);
                                          ++asked;
                                          return true;
                                      });
    ASSERT_FALSE(whole.stopped);
    ASSERT_GT(asked, 2u);
    for (std::size_t after = 0; after < asked; ++after) {
        std::size_t calls = 0;
        const FundResult r = FundList(Zeros().m_list, kThreeYears, kStand, {}, {}, SystemClock(),
                                      [&](std::size_t, std::size_t) { return calls++ < after; });
        EXPECT_TRUE(r.stopped) << after;
        EXPECT_TRUE(r.rows.empty());
    }
}

} // namespace
} // namespace tenvix
