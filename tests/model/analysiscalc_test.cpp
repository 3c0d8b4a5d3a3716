// The hand-typed cashflow analysis: which entry is refused first, what the
// yield search finds under both year methods, and that it gives up on time.

#include "model/analysiscalc.h"
#include "model/format.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <tuple>

#include <array>
#include <cmath>

namespace tenvix {
namespace {

using test::Day;
using test::ScriptedClock;

struct Case {
    std::string price = "100";
    std::vector<GridRow> rows;
    double stand = Day("2004-01-15");
    double horizon = Day("2006-01-15");
    YearMethod method = YearMethod::CalendarParts;
    bool squareM = false;

    // A tenth of a second per look at the clock by default: a search that
    // should have ended long before fails instead of hanging the test.
    AnalysisResult Run(const Clock& clock = ScriptedClock([](int n) { return 100 * n; })) const
    {
        return CalculateAnalysis({price, rows, stand, horizon, method, squareM}, test::kIso, clock);
    }
};

TEST(CashflowCalc, OnePaymentAYearOutAcrossTheLeapDay)
{
    // 1 March 2003 to 1 March 2004: one year by calendar parts, 366/365 by day
    // count. Times of day on the pickers do not count.
    Case c;
    c.stand = Day("2003-03-01") + 0.99;
    c.horizon = Day("2005-03-01") + 0.25;
    c.rows = {{"110", "2004-03-01"}};
    c.squareM = true;
    // A year short of the horizon either way: the horizon is measured as the payment is.
    for (const auto& [method, ytm, duration, horizonYears] :
         {std::tuple{YearMethod::CalendarParts, 0.1, 1.0, 2.0},
          {YearMethod::DayCount, std::pow(1.1, 365.0 / 366.0) - 1, 366.0 / 365.0, 731 * kOneDay}}) {
        c.method = method;
        const AnalysisResult r = c.Run();
        ASSERT_TRUE(r.Ok());
        EXPECT_NEAR(r.ytm, ytm, 1e-9);
        EXPECT_NEAR(r.duration, duration, 1e-9);
        EXPECT_NEAR(r.squareM, 1.0, 1e-9);
        EXPECT_DOUBLE_EQ(HorizonYears(c.method, c.stand, c.horizon), horizonYears);
    }
}

TEST(CashflowCalc, RecoversTheYieldThatPricedTheRows)
{
    // Far-off and near payments, rows out of order, a row already paid and a
    // zero row: the yield that made the price comes back under both methods,
    // whether it lies above the trials (found by doubling) or below (halving).
    for (YearMethod method : {YearMethod::CalendarParts, YearMethod::DayCount})
        for (double y : {0.0725, 0.05000003, 3.5, 0.0004}) {
            Case c;
            c.method = method;
            c.squareM = true;
            c.rows = {{"4.5", "2004-07-31"}, {"0", "2005-02-28"},  {"104.5", "2012-07-31"},
                      {"4.5", "2005-07-31"}, {"50", "2003-12-31"}, {"4.5  ", "2008-02-29"}};
            // Present value and the duration and Square-M sums at a yield.
            const double ih = YearFraction(method, c.horizon, c.stand);
            auto sums = [&](double at) {
                std::array<double, 3> s{};
                for (const GridRow& row : c.rows) {
                    const double t = YearFraction(method, Day(row.date), c.stand);
                    const double w = t > 0 ? std::stod(row.amount) / std::pow(1 + at, t) : 0;
                    s[0] += w;
                    s[1] += w * t;
                    s[2] += w * (t - ih) * (t - ih);
                }
                return s;
            };
            c.price = FormatShortest(sums(y)[0]);
            const AnalysisResult r = c.Run();
            ASSERT_TRUE(r.Ok()) << y;
            EXPECT_NEAR(r.ytm, y, 1e-8 * (1 + y)) << y;
            const auto at = sums(r.ytm);
            EXPECT_NEAR(r.duration, at[1] / std::stod(c.price), 1e-12);
            EXPECT_NEAR(r.squareM, at[2] / std::stod(c.price), 1e-11);
            EXPECT_LT(r.evaluations, 200);
        }
}

TEST(CashflowCalc, FaultsComeInTheirOrder)
{
    auto with = [](auto change) {
        Case c;
        c.rows = {{"50", "2005-01-15"}, {"60", "2006-01-15"}};
        change(c);
        return c;
    };
    // clang-format off
    const struct {
        const char* what;
        Case c;
        int fault;
    } cases[] = {
        {"horizon on the stand date, Square-M wanted, before a bad price",
         with([](Case& c) { c.squareM = true; c.horizon = c.stand; c.price = "x"; }), 5},
        {"letters after the price, before a bad row", with([](Case& c) { c.price = "100abc"; c.rows[0].amount = "x"; }), 6},
        {"blank price reads as nothing", with([](Case& c) { c.price = " \t"; }), 7},
        {"price with a blank inside", with([](Case& c) { c.price = "1 00"; }), 6},
        {"price above 1e20", with([](Case& c) { c.price = "1e21"; }), 8},
        {"untouched row", with([](Case& c) { c.rows[0].amount = "??????????"; }), 17},
        {"negative second row", with([](Case& c) { c.rows[1].amount = "-5"; }), 34},
        {"bad amount before bad date in a row", with([](Case& c) { c.rows[1] = {"x", "never"}; }), 33},
        {"first row's date before second row's amount", with([](Case& c) { c.rows[0].date = ""; c.rows[1].amount = "x"; }), 19},
        {"bad date in second row", with([](Case& c) { c.rows[1].date = "2006-02-30"; }), 35},
        {"every payment before the stand date, after the rows",
         with([](Case& c) { c.rows = {{"50", "2003-01-15"}, {"50", "2004-01-14"}}; }), 4},
    };
    // clang-format on
    for (const auto& e : cases) {
        const AnalysisResult r = e.c.Run();
        EXPECT_EQ(std::tuple(r.fault, r.error, r.evaluations), std::tuple(e.fault, false, 0)) << e.what;
    }
    EXPECT_EQ(AnalysisFaultMessage(8), "Too big Spot Price  !");
    EXPECT_EQ(AnalysisFaultMessage(17), "Invalid cashflow  in row 1 !");
    EXPECT_EQ(AnalysisFaultMessage(34), "Cashflow in row 2 should be positive \nor not so big !");
    EXPECT_EQ(AnalysisFaultMessage(16 * 199 + 19), "Invalid date in row 200 !");
    EXPECT_EQ(AnalysisFaultMessage(16), "");
}

TEST(CashflowCalc, LimitsThatStillPass)
{
    Case c;
    c.rows = {{"0", "2005-01-15"}, {"1e20", "2006-01-15"}, {"  7 \t", "2004-01-15"}};
    c.price = "1e20 \t\n";
    EXPECT_TRUE(c.Run().Ok());
    c.price = "0.000001";
    EXPECT_TRUE(c.Run().Ok());
    c.rows = {{"110", "2005-01-15"}};
    c.price = "1d2"; // the exponent letters of the number reader
    c.horizon = c.stand;
    EXPECT_TRUE(c.Run().Ok()) << "a horizon on the stand date is fine without Square-M";
}

TEST(CashflowCalc, ErrorsWithoutAFault)
{
    Case c;
    c.rows = {{"80", "2003-06-01"}, {"110", "2004-01-15"}};
    AnalysisResult r = c.Run();
    EXPECT_EQ(r.fault, 0) << "the latest row on the stand date passes the checks";
    EXPECT_TRUE(r.error) << "but nothing is due after it";

    c.rows = {{"60", "2005-01-15"}, {"39.99", "2006-01-15"}, {"500", "2003-01-15"}};
    r = c.Run();
    EXPECT_TRUE(r.error) << "less to come than the price";
    EXPECT_EQ(r.evaluations, 0) << "known before any search";

    c.rows = {{"1", "2004-01-16"}};
    c.price = "1e-6"; // a day's wait for a millionfold gain: a yield beyond 1e18
    EXPECT_TRUE(c.Run().error);

    c.rows = {{"60", "2005-01-15"}, {"40", "2009-01-15"}};
    c.price = "100";
    r = c.Run();
    ASSERT_TRUE(r.Ok()) << "exactly the price to come: a yield of nothing";
    EXPECT_GE(r.ytm, 0.0);
    EXPECT_LT(r.ytm, 1e-9);
}

TEST(CashflowCalc, RunsOutOfTimeOnEvery2048thEvaluation)
{
    // A payment eight thousand years out against a tiny price: the gap is so
    // curved that false position keeps one end fixed and creeps.
    Case creeping;
    creeping.stand = Day("2000-01-01");
    creeping.rows = {{"1e20", "9999-01-01"}};
    creeping.price = "1e-6";

    // The start is read once, then every 2048th evaluation; a second per read
    // spends the five seconds at the sixth look.
    ScriptedClock perSecond([](int n) { return 1000 * (n + 1); });
    AnalysisResult r = creeping.Run(perSecond);
    EXPECT_EQ(std::tuple(r.error, r.evaluations, perSecond.reads), std::tuple(true, 6 * 2048, 7));

    // Five seconds exactly is still in time.
    EXPECT_EQ(creeping.Run(ScriptedClock([](int n) { return n == 0  ? 0
                                                            : n < 3 ? 5000
                                                                    : 5001; })).evaluations,
              3 * 2048);

    // No band of estimates close enough: this one is within a thousandth of
    // the price when time runs out, and still refused.
    r = creeping.Run(ScriptedClock([](int n) { return n == 0 ? 0 : 6000; }));
    EXPECT_EQ(std::tuple(r.error, r.evaluations), std::tuple(true, 2048));
}

} // namespace
} // namespace tenvix
