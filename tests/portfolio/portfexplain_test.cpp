// The composite bond explained payment by payment: every member's payments
// scaled by its units, in date order, adding up to the composite's figures.

#include "../model/testbonds.h"
#include "portfolio/core/portfexplain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::StdBond;

const double kStand = Day(2021, 3, 10);
const double kHorizon = Day(2026, 3, 10);

TEST(ExplainPortfolio, PooledRowsAddUpToTheCompositesFigures)
{
    auto a = StdBond("A", 6, 2.0f, 100.0f, 97.5f, Day(2015, 7, 1), Day(2030, 8, 31));
    auto b = FreeBond("B", 90.0f, {{Day(2020, 3, 10), 9.0f}, {Day(2022, 3, 10), 10.0f}, {Day(2024, 9, 10), 110.0f}});
    auto c = StdBond("C", 12, 0.0f, 100.0f, 80.0f, Day(2015, 7, 1), Day(2029, 1, 15));
    auto idle = FreeBond("IDLE", 50.0f, {{Day(2023, 1, 1), 60.0f}});
    const std::vector<CBond*> bonds = {a.get(), b.get(), idle.get(), c.get(), a.get()};
    const std::vector<double> units = {3.0, 2.5, 0.0, 7.0, 1.5};

    const PortfolioFigures figures = CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
    ASSERT_EQ(figures.outcome, PortfolioOutcome::Ready);
    const PortfolioExplanation x = ExplainPortfolio(bonds, units, kStand, kHorizon, SystemClock());
    ASSERT_EQ(x.figures.outcome, PortfolioOutcome::Ready);
    const Explanation& e = x.explanation;
    EXPECT_EQ(std::tuple(e.ytm, e.duration, e.squareM), std::tuple(figures.ytm, figures.duration, figures.squareM));
    const double value = 3.0 * 97.5 + 2.5 * 90.0 + 7.0 * 80.0 + 1.5 * 97.5;
    EXPECT_DOUBLE_EQ(e.price, value);

    double d = 0, m2 = 0, pv = 0;
    for (const ExplainedPayment& p : e.payments) {
        d += p.durationPart;
        m2 += p.squareMPart;
        pv += p.presentValue;
    }
    EXPECT_NEAR(d, figures.duration, 1e-13 * figures.duration);
    EXPECT_NEAR(m2, figures.squareM, 1e-13 * figures.squareM);
    // The composite's yield closes the pooled gap to 1e-6.
    EXPECT_NEAR(pv, value, 1.0000001e-6);
    EXPECT_EQ(pv, e.presentValue);

    // Each member's rows are its own explanation at the composite's yield and
    // value, scaled by its units; a member holding nothing is left out.
    std::map<std::string, std::size_t> perMember;
    for (const ExplainedPayment& p : e.payments)
        ++perMember[p.member];
    EXPECT_EQ(perMember, (std::map<std::string, std::size_t>{{"A", 2 * 20}, {"B", 2}, {"C", 1}}));
    const Explanation own = ExplainBond(*b, e.ytm, value);
    std::vector<ExplainedPayment> pooledB;
    std::copy_if(e.payments.begin(), e.payments.end(), std::back_inserter(pooledB),
                 [](const ExplainedPayment& p) { return p.member == "B"; });
    ASSERT_EQ(pooledB.size(), own.payments.size());
    for (std::size_t i = 0; i < own.payments.size(); ++i) {
        const ExplainedPayment &p = pooledB[i], &o = own.payments[i];
        EXPECT_EQ(std::tuple(p.day, p.years, p.amount, p.presentValue, p.durationPart),
                  std::tuple(o.day, o.years, 2.5 * o.amount, 2.5 * o.presentValue, 2.5 * o.durationPart))
            << i;
    }

    // One ladder in date order, numbered as listed.
    for (std::size_t i = 0; i < e.payments.size(); ++i)
        EXPECT_EQ(e.payments[i].no, i + 1);
    EXPECT_TRUE(std::is_sorted(e.payments.begin(), e.payments.end(),
                               [](const auto& a, const auto& b) { return a.day < b.day; }));
}

TEST(ExplainPortfolio, NothingExplainedWithoutFigures)
{
    auto a = StdBond("A", 12, 4.0f, 100.0f, 95.0f, Day(2015, 7, 1), Day(2030, 7, 1));
    const std::vector<CBond*> bonds = {a.get()};
    PortfolioExplanation x = ExplainPortfolio(bonds, std::vector<double>{0.0}, kStand, kHorizon, SystemClock());
    EXPECT_EQ(x.figures.outcome, PortfolioOutcome::NoUnits);
    EXPECT_TRUE(x.explanation.payments.empty());

    auto matured = StdBond("M", 12, 4.0f, 100.0f, 95.0f, Day(2000, 7, 1), Day(2010, 7, 1));
    const std::vector<CBond*> two = {a.get(), matured.get()};
    x = ExplainPortfolio(two, std::vector<double>{1.0, 1.0}, kStand, kHorizon, SystemClock());
    EXPECT_EQ(x.figures.outcome, PortfolioOutcome::MemberIncompatible);
    EXPECT_TRUE(x.explanation.payments.empty());
}

} // namespace
} // namespace tenvix
