// The immunization search: portfolios whose best is known in closed form,
// every limit, every refusal in its order, stopping, and the answer measured
// against a fractional bound worked out here on its own, by GLPK over a fine
// grid of yields.

#include "../model/testbonds.h"
#include "examples/sample_data.h"
#include "model/date.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/portfoliomessages.h"

#include <glpk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::StdBond;

const double kStand = Day(2025, 6, 30);
const double kHorizon = Day(2032, 6, 30); // H = 7 years

// A zero paying 100 `years` whole years after the stand date, priced to yield `rate`.
std::unique_ptr<CBondFree> Zero(const std::string& id, int years, double rate = 0.04)
{
    return FreeBond(id, static_cast<float>(100 / std::pow(1 + rate, years)), {{Day(2025 + years, 6, 30), 100.0f}});
}

ImmunizeLimits Limits(double amount, int rows = 20, double share = 1.0)
{
    ImmunizeLimits l;
    l.amount = amount;
    l.maxRows = rows;
    l.maxShare = share;
    return l;
}

class Immunizing : public ::testing::Test {
protected:
    CBondList list;
    void Add(std::unique_ptr<CBond> b) { list.m_list.push_back(std::move(b)); }
    // Zeros at 4 % named by their years, as Zero makes them.
    void Zeros(const std::vector<int>& years)
    {
        for (int t : years)
            Add(Zero("Z" + std::to_string(t), t));
    }
    ImmunizeResult Run(const ImmunizeLimits& l, const ImmunizeProgress& progress = {})
    {
        return ImmunizeList(list.m_list, l, kStand, kHorizon, SystemClock(), progress);
    }
    // An answer that must keep every limit.
    ImmunizeResult Solved(const ImmunizeLimits& l)
    {
        const ImmunizeResult r = Run(l);
        ExpectKeepsLimits(r, l);
        return r;
    }
    // What every answer keeps, whatever the case.
    static void ExpectKeepsLimits(const ImmunizeResult& r, const ImmunizeLimits& l)
    {
        ASSERT_EQ(r.failure, ImmunizeFailure::None);
        ASSERT_FALSE(r.rows.empty());
        EXPECT_LE(r.rows.size(), static_cast<std::size_t>(l.maxRows));
        double V = 0, dearest = 0;
        for (const ImmunizedRow& row : r.rows) {
            EXPECT_EQ(row.units, std::floor(row.units));
            EXPECT_GE(row.units, 1);
            EXPECT_LE(row.amount, l.maxShare * l.amount) << row.bond.id;
            V += row.amount;
            dearest = std::max(dearest, row.bond.price);
        }
        EXPECT_LE(V, l.amount);
        EXPECT_GT(V, l.amount - dearest);
        EXPECT_NEAR(r.figures.duration, 7.0, kImmunizeTolerance);
        for (std::size_t k = 1; k < r.rows.size(); ++k)
            EXPECT_GE(r.rows[k - 1].amount, r.rows[k].amount);
    }
};

TEST_F(Immunizing, AZeroMaturingAtTheHorizonHoldsItAlone)
{
    Zeros({4, 7, 11});
    const ImmunizeLimits l = Limits(1000);
    const ImmunizeResult r = Solved(l);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].bond.id, "Z7");
    EXPECT_EQ(r.rows[0].units, std::floor(1000 / r.rows[0].bond.price));
    EXPECT_NEAR(r.figures.squareM, 0.0, 1e-12);
}

// Value weights v around H = 7 with sum v (t - H) = 0: the least
// sum v (t - H)^2 under the share limits is known.
TEST_F(Immunizing, ZerosAroundTheHorizonMakeTheKnownBarbell)
{
    struct Case {
        std::vector<int> years;
        double share;
        double squareM;
    };
    const Case cases[] = {
        {{6, 9}, 1.0, 2.0},        // 2/3 at 6, 1/3 at 9: 1 * 2
        {{6, 7, 9}, 0.5, 1.0},     // half at 7, the rest as the barbell above
        {{4, 6, 8, 10}, 0.4, 2.6}, // 0.4 at 6 and at 8, 0.1 at 4 and at 10
    };
    for (const Case& c : cases) {
        list.m_list.clear();
        Zeros(c.years);
        const ImmunizeLimits l = Limits(1e6, 20, c.share);
        const ImmunizeResult r = Solved(l);
        EXPECT_NEAR(r.figures.squareM, c.squareM, c.squareM * 0.005) << c.years.size();
        EXPECT_LE(r.bound, c.squareM + 1e-9);
    }
}

TEST_F(Immunizing, LeastYieldExclusionsAndHiddenIdentifiersKeepBondsOut)
{
    Add(Zero("Z6", 6));
    Add(Zero("Z7", 7, 0.03));
    Add(Zero("Z9", 9));
    ImmunizeLimits l = Limits(1e6);
    l.minYtm = 0.035;
    ImmunizeResult r = Solved(l);
    EXPECT_EQ(r.rows.size(), 2u); // the barbell, Z7 yields too little
    for (const ImmunizedRow& row : r.rows)
        EXPECT_GE(row.bond.ytm, 0.035);

    l.minYtm.reset();
    l.exclude = {"z7"};
    r = Solved(l);
    EXPECT_EQ(r.rows.size(), 2u); // the barbell again, ZerosAroundTheHorizonMakeTheKnownBarbell's first case

    // A portfolio file names Z7 by its identifier, which finds the first
    // bond that has it: a later one of the same name is never chosen.
    list.m_list.clear();
    Zeros({6, 9});
    Add(Zero("z6", 7));
    r = Solved(Limits(1e6));
    EXPECT_EQ(r.rows.size(), 2u);
}

// Each refusal with a case that every later check would refuse as well.
TEST_F(Immunizing, RefusalsComeInTheirOrderWithTheirTexts)
{
    auto failure = [&](const ImmunizeLimits& l) {
        const ImmunizeResult r = Run(l);
        EXPECT_TRUE(r.rows.empty());
        return std::make_pair(r.failure, ImmunizeFailureText(r, l.maxRows, "30", 7.0));
    };
    Add(FreeBond("OLD", 90, {{Day(2020, 1, 1), 100.0f}})); // matured: never ready
    EXPECT_EQ(failure(Limits(1e6, 3, 0.3)),
              std::make_pair(ImmunizeFailure::LimitsTooTight,
                             std::string("The limits leave no portfolio : 3 rows of at most 30 % of the amount "
                                         "cannot hold all of it .")));
    EXPECT_EQ(failure(Limits(1)).second, "No bond can be analysed for these dates .");

    Zeros({2, 3});
    ImmunizeLimits l = Limits(1);
    l.exclude = {"z2"};
    l.minYtm = 0.05;
    EXPECT_EQ(failure(l).second, "No bond is left after the least YTM and the exclusions .");
    l.minYtm = 0.01;
    EXPECT_EQ(failure(l).second, "The amount buys no bond .");
    // One unit costs 92.46, more than a share of 50 % of 150.
    EXPECT_EQ(failure(Limits(150, 20, 0.5)).second, "The amount buys no bond .");
    EXPECT_EQ(failure(Limits(1e6)).second,
              "No portfolio of these bonds reaches a duration of 7.00 years : their durations run from 2.00 to 3.00 .");

    // Two rows of half the amount each: 6 and 7, 7 and 9 or 6 and 9 average
    // 6.5, 8 or 7.5 years, never 7.
    list.m_list.clear();
    Zeros({6, 7, 9});
    EXPECT_EQ(failure(Limits(1e6, 2, 0.5)),
              std::make_pair(ImmunizeFailure::NotWithinLimits,
                             std::string("No portfolio within these limits reaches a duration of 7.00 years .")));
    // With a third row the barbell is back.
    Solved(Limits(1e6, 3, 0.5));
}

// An amount beyond what the search holds whole has a refusal of its own,
// with the largest amount it takes, whatever the bonds: beyond the ceiling,
// and where the share buys more units of every bond than a double counts.
// At the ceiling the composite's yield is still found (its budget spent, on a
// clock that runs out at once, within the acceptance band).
TEST_F(Immunizing, AmountsItCannotHoldWholeAreRefusedAsSuch)
{
    Zeros({6, 9});
    for (const double amount : {kImmunizeMaxAmount * 1.01, 1e15, 1e19, 1e300}) {
        const ImmunizeResult r = Run(Limits(amount));
        EXPECT_EQ(
            std::pair(r.failure, ImmunizeFailureText(r, 20, "100", 7.0)),
            std::pair(ImmunizeFailure::AmountTooLarge, std::string("The amount is too large : at most 100000000000 .")))
            << amount;
    }
    class RunsOut final : public Clock {
    public:
        std::int64_t Milliseconds() const override { return m_nMs += 1000; }
        double Now() const override { return kStand; }

    private:
        mutable std::int64_t m_nMs = 0;
    } runsOut;
    const ImmunizeLimits l = Limits(kImmunizeMaxAmount);
    const ImmunizeResult atCeiling = ImmunizeList(list.m_list, l, kStand, kHorizon, runsOut);
    ExpectKeepsLimits(atCeiling, l);

    // A bond at the form's least price: the ceiling buys more units of it
    // than are told apart, and the largest amount is the one that does not.
    list.m_list.clear();
    Add(StdBond("TINY", 12, 0.0f, 0.00002f, 0.00001f, Day(2020, 1, 1), Day(2032, 6, 30)));
    const ImmunizeResult tiny = Run(Limits(kImmunizeMaxAmount));
    EXPECT_EQ(
        std::pair(tiny.failure, ImmunizeFailureText(tiny, 20, "100", 7.0)),
        std::pair(ImmunizeFailure::AmountTooLarge, std::string("The amount is too large : at most 9999999747 .")));
    EXPECT_NE(Run(Limits(tiny.largestAmount)).failure, ImmunizeFailure::AmountTooLarge);
    EXPECT_EQ(Run(Limits(tiny.largestAmount + 1)).largestAmount, tiny.largestAmount);
}

TEST_F(Immunizing, OneRowTakesTheBondThatHoldsTheHorizonAlone)
{
    // Z6 and Z8 half and half reach 7 years with Square-M 1; alone, only the
    // bond paying alike at 5 and 9 years does, with Square-M 4, at a yield
    // of its own far from theirs.
    Zeros({6, 8});
    Add(FreeBond("B59", 200.0f,
                 {{Day(2030, 6, 30), static_cast<float>(100 * std::pow(1.06, 5))},
                  {Day(2034, 6, 30), static_cast<float>(100 * std::pow(1.06, 9))}}));
    const ImmunizeResult two = Solved(Limits(1e6));
    EXPECT_NEAR(two.figures.squareM, 1.0, 0.005);
    const ImmunizeResult one = Solved(Limits(1e6, 1));
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(one.rows[0].bond.id, "B59");
    EXPECT_NEAR(one.figures.squareM, 4.0, 1e-4);
}

TEST_F(Immunizing, TheProgressHookStopsTheRun)
{
    Zeros({4, 6, 8, 10});
    for (int stopAfter : {1, 30}) {
        int calls = 0;
        const ImmunizeResult r = Run(Limits(1e6, 20, 0.4), [&](std::size_t done, std::size_t total) {
            EXPECT_LE(done, total);
            return ++calls < stopAfter;
        });
        EXPECT_EQ(r.failure, ImmunizeFailure::Stopped) << stopAfter;
        EXPECT_TRUE(r.rows.empty());
        EXPECT_EQ(calls, stopAfter);
        EXPECT_EQ(ImmunizeFailureText(r, 20, "40", 7.0), "");
    }
}

// The least Square-M of fractional value weights, worked out here with the
// engine's own sums at each of a fine grid of yields: no whole-unit answer
// may lie more than 0.5 % above it.
double GridBound(const std::vector<CBond*>& bonds, double H)
{
    double lo = 1, hi = -1;
    for (CBond* b : bonds) {
        const RowFigures r = AnalyseRow(*b, kStand, kHorizon, SystemClock());
        lo = std::min(lo, r.ytm);
        hi = std::max(hi, r.ytm);
    }
    const int n = static_cast<int>(bonds.size());
    glp_term_out(GLP_OFF);
    glp_prob* lp = glp_create_prob();
    glp_add_rows(lp, 3);
    glp_set_row_bnds(lp, 1, GLP_FX, 1, 1);
    glp_set_row_bnds(lp, 2, GLP_FX, 0, 0);
    glp_set_row_bnds(lp, 3, GLP_DB, -kImmunizeTolerance, kImmunizeTolerance);
    glp_add_cols(lp, n);
    double best = INFINITY;
    for (int k = 0; k <= 4000; ++k) {
        const double y = lo + (hi - lo) * k / 4000;
        for (int j = 1; j <= n; ++j) {
            CBond& b = *bonds[static_cast<std::size_t>(j - 1)];
            const double P = b.m_fPrice;
            double sd = 0, sm = 0;
            b.GetDurationM2(y, 1.0, sd, sm);
            int ind[4] = {0, 1, 2, 3};
            double val[4] = {0, 1, (b.PriceGap(y) + P) / P - 1, sd / P - H};
            glp_set_mat_col(lp, j, 3, ind, val);
            glp_set_col_bnds(lp, j, GLP_DB, 0, 1);
            glp_set_obj_coef(lp, j, sm / P);
        }
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.msg_lev = GLP_MSG_OFF;
        glp_std_basis(lp);
        if (glp_simplex(lp, &parm) == 0 && glp_get_status(lp) == GLP_OPT)
            best = std::min(best, glp_get_obj_val(lp));
    }
    glp_delete_prob(lp);
    glp_free_env();
    return best;
}

TEST_F(Immunizing, AnswerLiesWithinHalfAPercentOfTheFractionalBound)
{
    std::mt19937 rng(19);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    for (int i = 0; i < 14; ++i) {
        const int years = 2 + i;
        const float coupon = static_cast<float>(uniform(0, 6));
        const double rate = uniform(0.02, 0.05);
        // Priced to yield about `rate`, annual coupons.
        double price = 100 / std::pow(1 + rate, years);
        for (int t = 1; t <= years; ++t)
            price += coupon / std::pow(1 + rate, t);
        Add(StdBond("C" + std::to_string(i), 12, coupon, 100.0f, static_cast<float>(price), Day(2020, 6, 30),
                    Day(2025 + years, 6, 30)));
    }
    std::vector<CBond*> bonds;
    for (auto& b : list.m_list)
        bonds.push_back(b.get());
    const double bound = GridBound(bonds, 7.0);
    ASSERT_TRUE(std::isfinite(bound));
    const ImmunizeLimits l = Limits(1e7);
    const ImmunizeResult r = Solved(l);
    EXPECT_LE(r.figures.squareM, bound * 1.005);
    EXPECT_LE(r.bound, bound * (1 + 1e-6)); // the search's own relaxation finds the grid's best, or better
}

// Whole-unit portfolios of the sample found by a search of its own (GLPK's
// integer program at each of a fine grid of composite yields, every answer
// checked by Calculate): on small amounts the best whole units lie far above
// the fractional bound and at yields of their own.
TEST(ImmunizingTheSample, ComesWithinHalfAPercentOfTheBestWholeUnitsFound)
{
    struct Case {
        double amount;
        std::vector<std::pair<std::string, double>> units;
    };
    const Case cases[] = {
        {1e3, {{"ZERO-2032", 8}, {"GOV-2034-A", 2}}},                      // Square-M 2.175
        {1e4, {{"ZERO-2032", 104}, {"CORP-2031-A", 3}, {"MUNI-2035", 1}}}, // 1.234
        {1e5,
         {{"ZERO-2032", 1098}, {"MUNI-2035", 7}, {"GOV-2034-A", 3}, {"TSY-2033-S", 2}, {"GOV-2040-A", 1}}}, // 0.880
    };
    CBondList list = MakeSampleDatabase();
    for (const Case& c : cases) {
        std::vector<CBond*> bonds;
        std::vector<double> units;
        for (const auto& [id, u] : c.units) {
            ASSERT_TRUE(bonds.emplace_back(FindBondByID(list.m_list, id))) << id;
            units.push_back(u);
        }
        const PortfolioFigures known = CalculatePortfolio(bonds, units, kStand, kHorizon, SystemClock());
        ASSERT_EQ(known.outcome, PortfolioOutcome::Ready);
        ASSERT_NEAR(known.duration, 7.0, kImmunizeTolerance);

        const ImmunizeLimits l = Limits(c.amount);
        const ImmunizeResult r = ImmunizeList(list.m_list, l, kStand, kHorizon, SystemClock());
        EXPECT_EQ(r.failure, ImmunizeFailure::None) << c.amount;
        if (r.failure != ImmunizeFailure::None)
            continue;
        EXPECT_NEAR(r.figures.duration, 7.0, kImmunizeTolerance);
        EXPECT_LE(r.figures.squareM, known.squareM * 1.005) << c.amount;
    }
}
} // namespace
} // namespace tenvix
