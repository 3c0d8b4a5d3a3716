// The curve's pieces: the formula and its derivatives, the payment book
// against the records' own walk, the cost function against the bonds' terms
// worked out one by one, and the spread.

#include "curvebonds.h"

#include "curve/curvecost.h"
#include "curve/curvemessages.h"
#include "curve/fit.h"
#include "curve/flatindex.h"
#include "curve/spread.h"

#include <gtest/gtest.h>

#include <bit>

namespace tenvix::test {
namespace {

using curve::CurveParams;

TEST(CurveFormula, FlatCurveHasTheSameParYieldAtEveryMaturity)
{
    // With only b0 the zero rate is b0 everywhere, and an annual-coupon
    // bond at par pays e^b0 - 1, below one year as at whole years beyond.
    const CurveParams flat = CurveParams{{0.03, 0, 0, 0}, {2, 7}};
    for (double T : {0.25, 0.9, 1.0, 2.0, 7.0, 30.0}) {
        EXPECT_NEAR(curve::ZeroRate(flat, T), 0.03, 1e-15) << T;
        EXPECT_NEAR(curve::ParYield(flat, T), std::expm1(0.03), 1e-12) << T;
    }
    EXPECT_NEAR(curve::Discount(flat, 10), std::exp(-0.3), 1e-15);
}

TEST(CurveFormula, ShortAndLongEndsAreTheFormulasLimits)
{
    const CurveParams p = CurveParams{{0.04, -0.03, 0.05, -0.06}, {0.5, 5}};
    EXPECT_NEAR(curve::ZeroRate(p, 1e-9), 0.01, 1e-9);
    EXPECT_NEAR(curve::ZeroRate(p, 5000), 0.04, 1e-3);
    // Par yield of a two-year annual bond, worked by hand from the discounts.
    const double d1 = curve::Discount(p, 1), d2 = curve::Discount(p, 2);
    EXPECT_NEAR(curve::ParYield(p, 2), (1 - d2) / (d1 + d2), 1e-15);
    EXPECT_NEAR(curve::ParYield(p, 2.5), (1 - curve::Discount(p, 2.5)) / (d1 + d2), 1e-15);
}

TEST(CurveFormula, TauDerivativesAgreeWithDifferences)
{
    for (double t : {0.01, 0.3, 2.0, 11.0, 40.0})
        for (auto [t1, t2] : {std::pair{0.05, 30.0}, std::pair{1.7, 0.4}, std::pair{6.0, 6.5}}) {
            const curve::Loadings l = curve::LoadingsAt(t, t1, t2, true);
            const double h1 = t1 * 1e-6, h2 = t2 * 1e-6;
            const curve::Loadings up1 = curve::LoadingsAt(t, t1 + h1, t2, false);
            const curve::Loadings dn1 = curve::LoadingsAt(t, t1 - h1, t2, false);
            const curve::Loadings up2 = curve::LoadingsAt(t, t1, t2 + h2, false);
            const curve::Loadings dn2 = curve::LoadingsAt(t, t1, t2 - h2, false);
            EXPECT_NEAR(l.dl1, (up1.l1 - dn1.l1) / (2 * h1), 1e-7) << t << " " << t1;
            EXPECT_NEAR(l.dl2, (up1.l2 - dn1.l2) / (2 * h1), 1e-7) << t << " " << t1;
            EXPECT_NEAR(l.dl3, (up2.l3 - dn2.l3) / (2 * h2), 1e-7) << t << " " << t2;
        }
}

// Bonds of every shape the book tells apart: two sharing a schedule, one
// whose coupons run longer on the same chain, an unbroken one (the stand on
// a coupon date), Type II with two payments on one day.
CBondList BookBonds(double stand)
{
    CBondList list;
    list.m_list.push_back(StdBond("A", 6, 2.0f, 100.0f, 95.0f, stand - 100, Day(2031, 3, 15)));
    list.m_list.push_back(StdBond("B", 6, 3.5f, 100.0f, 99.0f, stand - 100, Day(2031, 3, 15)));
    list.m_list.push_back(StdBond("C", 6, 1.0f, 100.0f, 90.0f, stand - 100, Day(2036, 3, 15)));
    list.m_list.push_back(StdBond("D", 12, 4.0f, 100.0f, 101.0f, stand - 100, Day(2029, 12, 6)));
    list.m_list.push_back(StdBond("E", 3, 0.5f, 50.0f, 47.0f, stand - 100, Day(2027, 2, 1)));
    list.m_list.push_back(
        FreeBond("F", 120.0f, {{Day(2028, 1, 1), 40.0f}, {Day(2030, 6, 30), 70.0f}, {Day(2028, 1, 1), 15.0f}}));
    list.m_list.push_back(FreeBond("G", 80.0f, {{stand - 10, 5.0f}, {Day(2033, 7, 7), 100.0f}}));
    return list;
}

TEST(PaymentBook, HoldsEveryPaymentAtTheWalksTimeAndSharesChains)
{
    const double stand = Day(2026, 12, 6);
    CBondList list = BookBonds(stand);
    curve::PaymentBook book;
    std::vector<std::vector<curve::Payment>> walked;
    std::size_t paymentsWalked = 0;
    for (auto& bond : list.m_list) {
        bond->SetDates(stand, stand);
        bond->Prepare();
        std::vector<curve::Payment> payments;
        const std::size_t coupons = curve::AppendPayments(*bond, payments);
        const int period = bond->GetType() == BOND_TYPE_STD ? static_cast<CBondStd&>(*bond).m_nPeriodMonths : 0;
        book.Add(payments, coupons, period);
        paymentsWalked += payments.size();
        walked.push_back(std::move(payments));
    }
    book.Finish();
    ASSERT_EQ(book.Bonds(), walked.size());
    // A and B share all their coupon times, C extends the same chain, so
    // the book holds fewer times than there are payments.
    EXPECT_LT(book.Nodes(), paymentsWalked - 2 * 9);
    EXPECT_EQ(book.FeaturesOf(0)[0].node, book.FeaturesOf(1)[0].node);

    // Every payment, spelled out from the book, is the walk's: the same
    // amount at the same time, bit for bit, in the same order.
    const auto times = book.Times();
    const auto starts = book.ChainStarts();
    for (std::uint32_t b = 0; b < walked.size(); ++b) {
        std::vector<curve::Payment> spelled;
        for (const auto& f : book.FeaturesOf(b))
            for (std::uint32_t n = starts[f.node]; n <= f.node; ++n)
                spelled.push_back({times[n], f.amount});
        ASSERT_EQ(spelled.size(), walked[b].size()) << b;
        for (std::size_t i = 0; i < spelled.size(); ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(spelled[i].years), std::bit_cast<std::uint64_t>(walked[b][i].years))
                << b << " " << i;
            EXPECT_EQ(spelled[i].amount, walked[b][i].amount) << b << " " << i;
        }
    }

    // The model price through the chains' running sums is the plain sum.
    const CurveParams p = CurveParams{{0.03, -0.01, 0.02, 0.01}, {1.2, 9}};
    const curve::CurveValues values(book, p);
    for (std::uint32_t b = 0; b < walked.size(); ++b) {
        double direct = 0;
        for (const auto& pay : walked[b])
            direct += pay.amount * curve::Discount(p, pay.years);
        EXPECT_NEAR(values.ModelPrice(b), direct, 1e-12 * direct) << b;
    }
}

// The objective of a problem worked out bond by bond, as the fit defines it.
double TermsOneByOne(const curve::Market& market, const CurveParams& p)
{
    const curve::CurveValues values(market.Book(), p);
    double sum = 0;
    for (const auto& b : market.Bonds())
        if (b.Fitted()) {
            const double term = (values.ModelPrice(b.book) - b.price) / (b.price * b.duration);
            sum += term * term;
        }
    return sum;
}

std::vector<curve::FitBond> FittedOf(const curve::Market& market)
{
    std::vector<curve::FitBond> out;
    for (const auto& b : market.Bonds())
        if (b.Fitted())
            out.push_back({b.book, b.price, b.duration, b.ytm});
    return out;
}

TEST(CurveCost, GroupedRowsGiveTheBondsTermsAndTheirDerivatives)
{
    const double stand = Day(2026, 12, 6);
    CBondList list = BookBonds(stand);
    // Many bonds to a maturity, so that groups are factored into fewer rows.
    for (int copy = 0; copy < 5; ++copy)
        AddCurveBonds(list, stand, CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}}, 200, 97,
                      [copy](int k) { return ((k + copy) % 7) * 3.0 - 9; });
    const curve::Market market = AnalyseList(list, stand, 1);
    const auto fitted = FittedOf(market);
    const curve::CurveProblem problem(market.Book(), fitted);
    EXPECT_LT(problem.Rows(), fitted.size());

    for (const CurveParams& p : {CurveParams{{0.03, -0.01, 0.02, 0.01}, {1.2, 9}}, CurveParams{{0.05, 0.02, -0.04, 0.03}, {0.3, 0.31}}}) {
        const double direct = TermsOneByOne(market, p);
        EXPECT_NEAR(problem.Objective(p), direct, 1e-10 * direct);

        // Derivatives against central differences, parameter by parameter.
        curve::CurveCost cost(problem);
        std::vector<double> r(problem.Rows()), jb(problem.Rows() * 4), jt(problem.Rows() * 2);
        double beta[4] = {p.beta[0], p.beta[1], p.beta[2], p.beta[3]};
        double tau[2] = {p.tau[0], p.tau[1]};
        const double* params[2] = {beta, tau};
        double* jacobians[2] = {jb.data(), jt.data()};
        ASSERT_TRUE(cost.Evaluate(params, r.data(), jacobians));
        for (int i = 0; i < 6; ++i) {
            double* x = i < 4 ? &beta[i] : &tau[i - 4];
            const double h = 1e-6 * std::max(1.0, std::fabs(*x));
            std::vector<double> up(problem.Rows()), down(problem.Rows());
            const double keep = *x;
            *x = keep + h;
            cost.Evaluate(params, up.data(), nullptr);
            *x = keep - h;
            cost.Evaluate(params, down.data(), nullptr);
            *x = keep;
            for (std::size_t row = 0; row < problem.Rows(); ++row) {
                const double analytic = i < 4 ? jb[row * 4 + i] : jt[row * 2 + (i - 4)];
                EXPECT_NEAR(analytic, (up[row] - down[row]) / (2 * h), 1e-6 * (1 + std::fabs(analytic)))
                    << "row " << row << " parameter " << i;
            }
        }
    }
}

TEST(CurveSpread, IsTheParallelMoveThatGivesThePrice)
{
    const double stand = Day(2026, 12, 6);
    const CurveParams p = CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}};
    CBondList list = BookBonds(stand);
    curve::PaymentBook book;
    std::vector<double> prices;
    std::vector<curve::Payment> payments;
    int k = 0;
    for (auto& bond : list.m_list) {
        // -60, -20, 20, ... basis points: cheap and dear.
        prices.push_back(CurvePrice(*bond, stand, p, (40.0 * k++ - 60) / 10000));
        payments.clear();
        const std::size_t coupons = curve::AppendPayments(*bond, payments);
        const int period = bond->GetType() == BOND_TYPE_STD ? static_cast<CBondStd&>(*bond).m_nPeriodMonths : 0;
        book.Add(payments, coupons, period);
    }
    book.Finish();
    const curve::CurveValues values(book, p);
    for (std::uint32_t b = 0; b < prices.size(); ++b) {
        const auto spread = values.Spread(b, prices[b]);
        ASSERT_TRUE(spread) << b;
        EXPECT_NEAR(*spread * 10000, 40.0 * b - 60, 1e-6) << b;
    }
    // A price more than the payments (undiscounted) needs a negative spread
    // of many percent; still found, and still exact.
    const double dear = 2 * prices[3];
    const auto far = values.Spread(3, dear);
    ASSERT_TRUE(far);
    EXPECT_LT(*far, -0.05);

    // Payments of both signs that no spread values at the price: none, at once.
    curve::PaymentBook mixed;
    const curve::Payment both[] = {{1.0, 100.0}, {2.0, -100.0}};
    mixed.Add(both, 0, 0);
    mixed.Finish();
    const curve::CurveValues mixedValues(mixed, p);
    EXPECT_FALSE(mixedValues.Spread(0, 50.0));
}

} // namespace
} // namespace tenvix::test

namespace tenvix::test {
namespace {

TEST(FlatIndex, NumbersKeysInTheOrderFirstSeenThroughItsGrowth)
{
    curve::FlatIndex index;
    bool added = false;
    // Keys that differ in one word only, and many of them: the table grows
    // several times and must keep every number.
    for (std::uint64_t k = 0; k < 5000; ++k) {
        EXPECT_EQ(index.Find(k % 7, k * 0x100000001ull, added), k);
        EXPECT_TRUE(added);
    }
    for (std::uint64_t k = 0; k < 5000; k += 37) {
        EXPECT_EQ(index.Find(k % 7, k * 0x100000001ull, added), k);
        EXPECT_FALSE(added);
    }
    EXPECT_EQ(index.Find(1, 0, added), 5000u);
    EXPECT_TRUE(added);
    EXPECT_EQ(index.Size(), 5001u);
}

TEST(PaymentBook, KeepsCouponsThatLeaveTheirChainAsTimesOfTheirOwn)
{
    // Two bonds of one pay period and first coupon time whose second coupons
    // differ: the second cannot be valued on the first one's chain.
    curve::PaymentBook book;
    const curve::Payment first[] = {{0.5, 2.0}, {1.0, 2.0}, {1.5, 2.0}, {1.5, 100.0}};
    const curve::Payment second[] = {{0.5, 3.0}, {1.25, 3.0}, {1.25, 100.0}};
    book.Add(first, 3, 6);
    book.Add(second, 2, 6);
    book.Finish();
    const CurveParams p = CurveParams{{0.03, 0.01, -0.02, 0.01}, {2, 6}};
    const curve::CurveValues values(book, p);
    double direct = 0;
    for (const auto& pay : second)
        direct += pay.amount * curve::Discount(p, pay.years);
    EXPECT_NEAR(values.ModelPrice(1), direct, 1e-13);
    EXPECT_EQ(book.FeaturesOf(1).size(), 3u);
}

TEST(CurveCost, BondsWithManyPaymentsKeepTheirOwnRows)
{
    // Type II bonds of many payments, all ending on one day with a Type I
    // bond: past the group's width each keeps a row of its own, and the sum
    // of squares is still the bonds'.
    const double stand = Day(2026, 12, 6);
    const CurveParams truth = CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}};
    CBondList list;
    for (int b = 0; b < 6; ++b) {
        std::vector<std::pair<double, float>> pays;
        for (int k = 1; k <= 12 + b; ++k)
            pays.push_back({stand + 91 * k + b, 1.5f});
        pays.push_back({stand + 3000, 100.0f});
        list.m_list.push_back(FreeBond("F" + std::to_string(b), 1.0f, pays, stand - 10));
        list.m_list.back()->m_fPrice = static_cast<float>(CurvePrice(*list.m_list.back(), stand, truth, 0.001 * b));
    }
    list.m_list.push_back(StdBond("S", 6, 2.0f, 100.0f, 1.0f, stand - 400, stand + 3000));
    list.m_list.back()->m_fPrice = static_cast<float>(CurvePrice(*list.m_list.back(), stand, truth, -0.002));
    const curve::Market market = AnalyseList(list, stand, 1);
    const auto fitted = FittedOf(market);
    ASSERT_EQ(fitted.size(), 7u);
    const curve::CurveProblem problem(market.Book(), fitted);
    EXPECT_EQ(problem.Rows(), 7u);
    for (const CurveParams& p : {truth, CurveParams{{0.02, 0.01, 0.03, -0.02}, {0.7, 3}}}) {
        const double direct = TermsOneByOne(market, p);
        EXPECT_NEAR(problem.Objective(p), direct, 1e-10 * direct);
    }
}

TEST(CurveFit, StopsWhenAskedAndSaysSo)
{
    const double stand = Day(2026, 12, 6);
    CBondList list;
    AddCurveBonds(list, stand, CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}}, 30, 61, [](int) { return 0.0; });
    const std::string bytes = StoreBondDatabase(list);
    const auto index = IndexBondDatabase(Span(bytes), 16);
    curve::Market market;
    curve::FitControl analysis;
    ASSERT_TRUE(market.Analyse(Span(bytes), *index, {stand, stand, &Still(), 2}, &analysis));
    EXPECT_EQ(analysis.done.load(), analysis.total.load());
    EXPECT_EQ(analysis.total.load(), static_cast<int>(index->Units()));

    curve::FitControl stopped;
    stopped.stop = true;
    EXPECT_EQ(market.Fit(2, &stopped), curve::FitOutcome::Stopped);
    EXPECT_FALSE(market.HasCurve());
    EXPECT_TRUE(std::isnan(market.Bonds()[10].spread));
    curve::Market again;
    EXPECT_FALSE(again.Analyse(Span(bytes), *index, {stand, stand, &Still(), 2}, &stopped));

    curve::FitControl counted;
    ASSERT_EQ(market.Fit(2, &counted), curve::FitOutcome::Fitted);
    EXPECT_GT(counted.total.load(), 90);
    EXPECT_EQ(counted.done.load(), counted.total.load());
}

} // namespace
} // namespace tenvix::test

namespace tenvix::test {
namespace {

TEST(CurveFit, RefusesBondsThatPayOnMoreDatesThanItCanHold)
{
    // Monthly coupons until the calendar's last year, each bond from another
    // day of the month, so that none shares another's times: a few such
    // bonds ask for more payment times than a book holds.
    const double stand = Day(2026, 12, 6);
    const CurveParams p = CurveParams{{0.035, -0.02, 0.015, -0.01}, {1.5, 8}};
    CBondList list;
    AddCurveBonds(list, stand, p, 400, 997, [](int) { return 0.0; });
    for (int day = 1; day <= 12; ++day) {
        list.m_list.push_back(StdBond("Far" + std::to_string(day), 1, 0.3f, 100.0f, 1.0f, stand - 400,
                                      Day(9999, 11, day)));
        list.m_list.back()->m_fPrice = static_cast<float>(CurvePrice(*list.m_list.back(), stand, p));
    }
    curve::Market market = AnalyseList(list, stand, 2);
    EXPECT_TRUE(market.Book().Overflowed());
    EXPECT_LE(market.Book().Nodes(), curve::PaymentBook::kMostNodes);
    EXPECT_EQ(market.Fit(2, nullptr), curve::FitOutcome::TooManyDates);
    EXPECT_EQ(curve::FitOutcomeText(curve::FitOutcome::TooManyDates),
              "The bonds pay on too many dates to fit a curve .");
}

} // namespace
} // namespace tenvix::test
