// The composite bond: a portfolio must value exactly like the pooled cashflow
// stream it stands for, and refuse what cannot be valued.

#include "portfolio/core/bondportf.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::ScriptedBond;
using test::StdBond;

const double kStand = Day(2021, 3, 10);
const double kHorizon = Day(2026, 3, 10);

struct Figures {
    double ytm, duration, squareM;
};

Figures Single(CBond& b)
{
    const RowFigures row = AnalyseBond(b, kStand, kHorizon, SystemClock());
    EXPECT_EQ(row.status, RowStatus::Ready);
    return {row.ytm, row.duration, row.squareM};
}

PortfolioFigures Portfolio(std::vector<CBond*> bonds, std::vector<double> units)
{
    return CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
}

TEST(CBondPortf, OneMemberIsTheBondItself)
{
    auto annual = StdBond("A", 12, 5.0f, 100.0f, 97.25f, Day(2015, 7, 1), Day(2029, 7, 1));
    auto semi = StdBond("S", 6, 2.0f, 100.0f, 103.5f, Day(2018, 1, 15), Day(2027, 1, 15));
    auto free = FreeBond("F", 92.0f, {{Day(2022, 5, 1), 6.0f}, {Day(2024, 5, 1), 6.0f}, {Day(2027, 5, 1), 106.0f}});
    for (CBond* b : {static_cast<CBond*>(annual.get()), static_cast<CBond*>(semi.get()), static_cast<CBond*>(free.get())}) {
        const Figures alone = Single(*b);
        for (double units : {1.0, 7.0, 2500.0}) {
            const PortfolioFigures p = Portfolio({b}, {units});
            ASSERT_EQ(p.outcome, PortfolioOutcome::Ready) << b->m_strID << " " << units;
            EXPECT_NEAR(p.ytm, alone.ytm, 1e-6) << b->m_strID << " " << units;
            // At the same yield the shares are the bond's own weights exactly.
            double d = 0, m2 = 0;
            b->GetDurationM2(p.ytm, b->m_fPrice, d, m2);
            EXPECT_NEAR(p.duration, d, 1e-12 * d) << b->m_strID << " " << units;
            EXPECT_NEAR(p.squareM, m2, 1e-12 * m2) << b->m_strID << " " << units;
            EXPECT_NEAR(p.duration, alone.duration, 1e-5);
        }
    }
}

TEST(CBondPortf, SameBondInTwoRowsIsOneRowWithTheSum)
{
    auto a = StdBond("A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1));
    auto f = FreeBond("F", 88.0f, {{Day(2023, 1, 1), 5.0f}, {Day(2025, 1, 1), 105.0f}});
    const PortfolioFigures split = Portfolio({a.get(), f.get(), a.get()}, {3.0, 4.0, 5.0});
    const PortfolioFigures joined = Portfolio({a.get(), f.get()}, {8.0, 4.0});
    ASSERT_EQ(split.outcome, PortfolioOutcome::Ready);
    ASSERT_EQ(joined.outcome, PortfolioOutcome::Ready);
    EXPECT_NEAR(split.ytm, joined.ytm, 1e-10);
    EXPECT_NEAR(split.duration, joined.duration, 1e-10);
    EXPECT_NEAR(split.squareM, joined.squareM, 1e-10);
}

// Two payment streams held in whole units are one stream: the composite must
// give the figures of a single bond that pays and costs the sums.
TEST(CBondPortf, FiguresAreThoseOfThePooledStream)
{
    auto x = FreeBond("X", 90.0f, {{Day(2022, 3, 10), 10.0f}, {Day(2024, 9, 10), 110.0f}});
    auto y = FreeBond("Y", 75.5f, {{Day(2023, 3, 10), 4.0f}, {Day(2028, 3, 10), 104.0f}});
    auto pooled = FreeBond("P", 3 * 90.0f + 2 * 75.5f,
                           {{Day(2022, 3, 10), 30.0f},
                            {Day(2024, 9, 10), 330.0f},
                            {Day(2023, 3, 10), 8.0f},
                            {Day(2028, 3, 10), 208.0f}});
    const PortfolioFigures p = Portfolio({x.get(), y.get()}, {3.0, 2.0});
    ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
    const Figures one = Single(*pooled);
    EXPECT_NEAR(p.ytm, one.ytm, 1e-8);
    double d = 0, m2 = 0;
    pooled->GetDurationM2(p.ytm, pooled->m_fPrice, d, m2);
    EXPECT_NEAR(p.duration, d, 1e-12);
    EXPECT_NEAR(p.squareM, m2, 1e-11);
}

TEST(CBondPortf, NegligibleUnitsStayOutOfTheGapButCountInTheValue)
{
    auto a = StdBond("A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1));
    auto b = StdBond("B", 12, 9.0f, 100.0f, 120.0f, Day(2015, 7, 1), Day(2024, 7, 1));
    const PortfolioFigures alone = Portfolio({a.get()}, {10.0});
    for (double tiny : {0.0001, 0.0}) {
        const PortfolioFigures p = Portfolio({a.get(), b.get()}, {10.0, tiny});
        ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);
        // Same gap function, so the very same search.
        EXPECT_EQ(p.ytm, alone.ytm) << tiny;
        double da = 0, ma = 0, db = 0, mb = 0;
        const double value = 10.0 * a->m_fPrice + tiny * b->m_fPrice;
        a->GetDurationM2(p.ytm, value, da, ma);
        b->GetDurationM2(p.ytm, value, db, mb);
        EXPECT_NEAR(p.duration, 10.0 * da + tiny * db, 1e-14);
        EXPECT_NEAR(p.squareM, 10.0 * ma + tiny * mb, 1e-12);
        if (tiny > 0) {
            EXPECT_LT(p.duration, alone.duration);
        }
    }
    // Just above the threshold the member takes part.
    EXPECT_NE(Portfolio({a.get(), b.get()}, {10.0, 0.00011}).ytm, alone.ytm);

    // A refusing member with no units is never asked.
    ScriptedBond refusing;
    refusing.refuse = true;
    refusing.m_fPrice = 50.0f;
    const PortfolioFigures p = Portfolio({a.get(), &refusing}, {10.0, 0.0001});
    EXPECT_EQ(p.outcome, PortfolioOutcome::Ready);
    EXPECT_EQ(refusing.calls, 0);
    EXPECT_EQ(Portfolio({a.get(), &refusing}, {10.0, 0.001}).outcome, PortfolioOutcome::BadYtm);
}

TEST(CBondPortf, ValidateReportsUnitsAndMembers)
{
    ScriptedBond a, b, c;
    CBond* bonds[] = {&a, &b, &c};
    CBondPortf p;
    p.m_ppBonds = bonds;
    p.m_nCount = 3;
    auto validate = [&](std::vector<double> units) {
        p.m_pUnits = units.data();
        return p.Validate();
    };
    EXPECT_EQ(validate({1, 0, 0}), 0);
    EXPECT_EQ(validate({0, 0, 0}), -1);
    EXPECT_EQ(validate({5, -1, 5}), -1);              // negative, though the sum is positive
    EXPECT_EQ(validate({5e-9, 4e-9, 0}), -1);         // a sum below 1e-8 is no units
    EXPECT_EQ(validate({5e-9, 6e-9, 0}), 0);
    b.code = BOND_STAND_AFTER_HORIZON;
    EXPECT_EQ(validate({1, 1, 1}), 2);                 // code 11 refuses a member too
    EXPECT_EQ(validate({1, -1, 1}), 2);                // its check comes before its units
    EXPECT_EQ(validate({-1, 1, 1}), -1);               // an earlier negative comes first
    b.code = BOND_OK;
    c.code = BOND_PRICE_TOO_HIGH;
    EXPECT_EQ(validate({0, 0, 0}), 3);

    CBondPortf empty;
    EXPECT_EQ(empty.Validate(), -1);
    double d = 1, m2 = 1;
    empty.GetDurationM2(0.05, 0, d, m2);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(m2, 0.0);
    EXPECT_EQ(empty.m_nTimeLimit, 7000);
}

TEST(CBondPortf, CalculationRefusals)
{
    auto a = StdBond("A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1));
    auto old = StdBond("OLD", 12, 4.0f, 100.0f, 95.0f, Day(2005, 7, 1), Day(2020, 7, 1));
    EXPECT_EQ(Portfolio({a.get()}, {0.0}).outcome, PortfolioOutcome::NoUnits);
    EXPECT_EQ(Portfolio({a.get(), a.get()}, {10.0, -2.0}).outcome, PortfolioOutcome::NoUnits);
    const PortfolioFigures p = Portfolio({a.get(), old.get()}, {1.0, 1.0});
    EXPECT_EQ(p.outcome, PortfolioOutcome::MemberIncompatible);
    EXPECT_EQ(p.member, 2);
    EXPECT_EQ(Portfolio({}, {}).outcome, PortfolioOutcome::NoUnits);
}

TEST(CBondPortf, SolverBudgetIsThePortfolios)
{
    // A clock that jumps 1000 ms on every read: a bond's 1900 ms are gone
    // at the first look, a portfolio's 7000 ms are not.
    class JumpingClock final : public Clock {
    public:
        std::int64_t Milliseconds() const override { return m_n += 1000; }
        double Now() const override { return 40000; }
        mutable std::int64_t m_n = 0;
    };
    // A gap that never closes: a member worth a fixed amount at any yield.
    class FlatBond final : public CBond {
    public:
        FlatBond() : CBond(BOND_TYPE_FREE, 0) {}
        double PriceGap(double y) const override { return y < 0.3 ? 1.0 : -1.0; }
    } flat;
    CBond* bonds[] = {&flat};
    const double units[] = {1.0};
    JumpingClock clock;
    const PortfolioFigures p = CalculatePortfolio(bonds, units, kStand, kHorizon, clock);
    EXPECT_EQ(p.outcome, PortfolioOutcome::BadYtm);
    // Every read moved it on a second: started at 1000, gave up at the first
    // look past 7000 ms.
    EXPECT_EQ(clock.m_n, 1000 + 8 * 1000);
}

TEST(RowAnalysis, Statuses)
{
    auto live = StdBond("LIVE", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1));
    const RowFigures ready = AnalyseBond(*live, kStand, kHorizon, SystemClock());
    ASSERT_EQ(ready.status, RowStatus::Ready);
    double d = 0, m2 = 0;
    live->GetDurationM2(ready.ytm, live->m_fPrice, d, m2);
    EXPECT_EQ(ready.duration, d);
    EXPECT_EQ(ready.squareM, m2);
    EXPECT_STREQ(StatusText(ready.status), "");

    // Stand date on the horizon: the yield would exist, the row is refused.
    EXPECT_EQ(AnalyseBond(*live, kStand, kStand + 0.9, SystemClock()).status, RowStatus::Incompatible);
    EXPECT_EQ(AnalyseBond(*live, Day(2031, 1, 1), Day(2032, 1, 1), SystemClock()).status, RowStatus::Incompatible);
    EXPECT_STREQ(StatusText(RowStatus::Incompatible), "incompatible");

    ScriptedBond refusing;
    refusing.refuse = true;
    const RowFigures bad = AnalyseBond(refusing, kStand, kHorizon, SystemClock());
    EXPECT_EQ(bad.status, RowStatus::BadYtm);
    EXPECT_EQ(bad.ytm, 0.0);
    EXPECT_STREQ(StatusText(RowStatus::BadYtm), "bad YTM");
    EXPECT_STREQ(StatusText(RowStatus::NotFound), "not found");

    // Update re-analyses with the dates the row was added with.
    AnalyseBond(*live, kStand, kHorizon, SystemClock());
    live->m_fPrice = 80.0f;
    const RowFigures again = AnalyseDatedBond(*live, SystemClock());
    EXPECT_EQ(again.status, RowStatus::Ready);
    EXPECT_GT(again.ytm, ready.ytm);
    EXPECT_EQ(live->m_nStandDate, DaySerial(kStand));
}

TEST(RowAnalysis, LookupIgnoresCaseAndTakesTheFirst)
{
    CBondList list;
    list.m_list.push_back(StdBond("gov-2030", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)));
    list.m_list.push_back(StdBond("GOV-2030", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)));
    list.m_list.push_back(StdBond("\xc3\x89MIS", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1)));
    EXPECT_EQ(FindBondByID(list.m_list, "Gov-2030"), list.m_list.front().get());
    EXPECT_EQ(FindBondByID(list.m_list, "\xc3\xa9mis"), list.m_list.back().get());
    EXPECT_EQ(FindBondByID(list.m_list, "GOV-2030 "), nullptr);
    EXPECT_EQ(FindBondByID(list.m_list, ""), nullptr);
}

} // namespace
} // namespace tenvix
