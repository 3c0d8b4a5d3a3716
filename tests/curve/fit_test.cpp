// The fit as a whole: a known curve recovered from bonds priced off it, a
// search that escapes the local minima a single start falls into, the same
// answer on any number of threads, and which bonds move the curve.

#include "curvebonds.h"

#include "curve/curvemessages.h"
#include "curve/fit.h"
#include "model/date.h"

#include <gtest/gtest.h>

#include <bit>

namespace tenvix::test {
namespace {

using curve::CurveParams;

const double kStand = Day(2026, 12, 6);
// A humped curve whose valleys in the taus lie apart.
const CurveParams kHumped = CurveParams{{0.04, -0.03, 0.05, -0.06}, {0.5, 5}};

std::vector<curve::FitBond> FittedOf(const curve::Market& market)
{
    std::vector<curve::FitBond> out;
    for (const auto& b : market.Bonds())
        if (b.Fitted())
            out.push_back({b.book, b.price, b.duration, b.ytm});
    return out;
}

TEST(CurveFit, RecoversTheCurveTheBondsArePricedOff)
{
    for (const CurveParams& truth : {kHumped, CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}}}) {
        CBondList list;
        AddCurveBonds(list, kStand, truth, 30, 61, [](int) { return 0.0; });
        // Two months, 20 bp cheap: valued, but it does not move the curve.
        auto shortOne = StdBond("short", 6, 2.0f, 100.0f, 1.0f, kStand - 400, kStand + 60);
        shortOne->m_fPrice = static_cast<float>(CurvePrice(*shortOne, kStand, truth, 0.0020));
        list.m_list.push_front(std::move(shortOne));
        curve::Market market = AnalyseList(list, kStand, 2);
        ASSERT_EQ(market.Fit(2, nullptr), curve::FitOutcome::Fitted);
        EXPECT_EQ(curve::MarketStatusText(market.Bonds()[0]), "short");
        EXPECT_NEAR(market.Bonds()[0].spread * 10000, 20, 0.1);
        EXPECT_LT(market.RmseBp(), 0.01);
        for (int years = 1; years <= 30; ++years)
            EXPECT_NEAR(curve::ZeroRate(market.Params(), years) * 10000, curve::ZeroRate(truth, years) * 10000, 0.1)
                << years;
        for (std::size_t k = 1; k < market.Bonds().size(); ++k) {
            const auto& b = market.Bonds()[k];
            ASSERT_TRUE(b.Solved()) << market.Id(k);
            EXPECT_NEAR(b.spread * 10000, 0, 0.1) << market.Id(k);
            EXPECT_NEAR(b.modelPrice, b.price, 2e-5 * b.price) << market.Id(k);
        }
    }
}

TEST(CurveFit, FindsTheBestValleyWhereOneStartStopsInAnother)
{
    CBondList list;
    // Prices a few basis points off the curve, so that no valley is exact.
    AddCurveBonds(list, kStand, kHumped, 30, 61, [](int k) { return 3 * std::sin(k * 12.9898); });
    const curve::Market market = AnalyseList(list, kStand, 1);
    const auto fitted = FittedOf(market);
    const curve::CurveProblem problem(market.Book(), fitted);
    const curve::CurveFitResult fit = curve::FitCurve(problem, 2, nullptr);
    ASSERT_TRUE(fit.ok);

    // Many independent starts spread over the whole box, each polished.
    double best = HUGE_VAL;
    for (int i = 0; i < 48; ++i) {
        const double u = (i * 0.618034) - std::floor(i * 0.618034), v = (i * 0.754878) - std::floor(i * 0.754878);
        CurveParams start = CurveParams{{0.01 + 0.05 * u, 0.04 * v - 0.02, 0.1 * u - 0.05, 0.05 - 0.1 * v}, {0, 0}};
        start.tau = {0.05 * std::pow(600.0, u), 0.05 * std::pow(600.0, v)};
        best = std::min(best, problem.Solve(start, false, 500, nullptr).objective);
    }
    EXPECT_LE(fit.objective, best * (1 + 1e-9));
    EXPECT_NEAR(fit.params.tau[0], 0.5, 0.05);
    EXPECT_NEAR(fit.params.tau[1], 5, 0.5);

    // A plain start, a flat curve with the taus the other way round, settles
    // in a valley of its own, well above the best.
    const auto single = problem.Solve(CurveParams{{0.03, 0, 0, 0}, {5, 2}}, false, 500, nullptr);
    ASSERT_TRUE(single.ok);
    EXPECT_GT(single.objective, 1.05 * fit.objective);
}

TEST(CurveFit, GivesTheSameAnswerOnAnyNumberOfThreads)
{
    CBondList list;
    AddCurveBonds(list, kStand, kHumped, 15, 23, [](int k) { return 10 * std::sin(k * 7.1); });
    curve::Market one = AnalyseList(list, kStand, 1);
    curve::Market three = AnalyseList(list, kStand, 3);
    ASSERT_EQ(one.Fit(1, nullptr), curve::FitOutcome::Fitted);
    ASSERT_EQ(three.Fit(3, nullptr), curve::FitOutcome::Fitted);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(one.Params().beta[i]),
                  std::bit_cast<std::uint64_t>(three.Params().beta[i]));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(one.Params().tau[i]), std::bit_cast<std::uint64_t>(three.Params().tau[i]));
    EXPECT_EQ(one.RmseBp(), three.RmseBp());
    ASSERT_EQ(one.Bonds().size(), three.Bonds().size());
    for (std::size_t k = 0; k < one.Bonds().size(); ++k) {
        EXPECT_EQ(one.Id(k), three.Id(k));
        EXPECT_EQ(one.Bonds()[k].book, three.Bonds()[k].book);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(one.Bonds()[k].spread),
                  std::bit_cast<std::uint64_t>(three.Bonds()[k].spread));
    }
}

// Six fitted Type I bonds from 2 to 12 years, and whatever `more` adds.
CBondList SixBonds()
{
    CBondList list;
    for (int k = 0; k < 6; ++k) {
        auto bond = StdBond("S" + std::to_string(k), 12, 4.0f, 100.0f, 1.0f, kStand - 400, kStand + 730 * (k + 1));
        bond->m_fPrice = static_cast<float>(CurvePrice(*bond, kStand, kHumped, 0.001 * (k % 2)));
        list.m_list.push_back(std::move(bond));
    }
    return list;
}

TEST(CurveFit, LeavesOutShortExcludedAndUnanalysedBondsButValuesThem)
{
    CBondList list = SixBonds();
    // Two months to maturity: a duration under a quarter year.
    auto shortOne = StdBond("short", 12, 4.0f, 100.0f, 1.0f, kStand - 400, kStand + 60);
    shortOne->m_fPrice = static_cast<float>(CurvePrice(*shortOne, kStand, kHumped, 0.0020));
    list.m_list.push_back(std::move(shortOne));
    // Matured: the check refuses it. Priced so low that no yield in reach
    // gives the price.
    list.m_list.push_back(StdBond("old", 12, 4.0f, 100.0f, 100.0f, kStand - 4000, kStand - 5));
    list.m_list.push_back(StdBond("dear", 12, 4.0f, 100.0f, 0.00001f, kStand - 400, kStand + 30));
    // A Type II note: its years are its last payment's time.
    list.m_list.push_back(FreeBond("note", 1.0f, {{kStand + 1000, 50.0f}, {kStand + 800, 60.0f}}));
    list.m_list.back()->m_fPrice = static_cast<float>(CurvePrice(*list.m_list.back(), kStand, kHumped));

    curve::Market market = AnalyseList(list, kStand, 2);
    EXPECT_EQ(market.FittedCount(), 7u);
    // Excluding one of the six leaves six: still a curve.
    EXPECT_TRUE(market.Exclude(std::vector<std::string>{"s3"}).empty());
    EXPECT_EQ(market.FittedCount(), 6u);
    ASSERT_EQ(market.Fit(2, nullptr), curve::FitOutcome::Fitted);

    const auto bonds = market.Bonds();
    EXPECT_EQ(curve::MarketStatusText(bonds[0]), "");
    EXPECT_EQ(curve::MarketStatusText(bonds[3]), "excluded");
    EXPECT_EQ(curve::MarketStatusText(bonds[6]), "short");
    EXPECT_EQ(curve::MarketStatusText(bonds[7]), "incompatible");
    EXPECT_EQ(curve::MarketStatusText(bonds[8]), "bad_ytm");
    EXPECT_EQ(curve::MarketStatusText(bonds[9]), "");
    // The short bond is valued on the curve all the same.
    EXPECT_FALSE(std::isnan(bonds[6].spread));
    EXPECT_TRUE(std::isnan(bonds[7].spread));
    EXPECT_DOUBLE_EQ(bonds[0].years, YearFraction(kStand + 730, kStand));
    EXPECT_DOUBLE_EQ(bonds[9].years, YearFraction(kStand + 1000, kStand));

    // One more out and five are left: no curve.
    EXPECT_TRUE(market.Exclude(std::vector<std::string>{"S0"}).empty());
    EXPECT_EQ(market.Fit(2, nullptr), curve::FitOutcome::TooFewBonds);
    EXPECT_FALSE(market.HasCurve());
    EXPECT_EQ(curve::TooFewBondsText(), "At least 6 bonds are needed to fit a curve .");
}

TEST(CurveFit, ExcludesByTheSameTextElseWithoutRegardToCase)
{
    CBondList list = SixBonds();
    list.m_list.push_back(StdBond("Twin", 12, 4.0f, 100.0f, 99.0f, kStand - 400, kStand + 2000));
    list.m_list.push_back(StdBond("twin", 12, 4.0f, 100.0f, 99.0f, kStand - 400, kStand + 2100));
    list.m_list.push_back(StdBond("Solo", 12, 4.0f, 100.0f, 99.0f, kStand - 400, kStand + 2200));
    curve::Market market = AnalyseList(list, kStand, 1);
    const auto unknown = market.Exclude(std::vector<std::string>{"twin", "SOLO", "nobody", "Nobody"});
    EXPECT_EQ(unknown, (std::vector<std::string>{"nobody", "Nobody"}));
    EXPECT_FALSE(market.Bonds()[6].excluded);
    EXPECT_TRUE(market.Bonds()[7].excluded);
    EXPECT_TRUE(market.Bonds()[8].excluded);
    EXPECT_EQ(curve::NoBondText("nobody"), "No bond nobody .");
}

} // namespace
} // namespace tenvix::test
