// Figures explained payment by payment: the rows must add up to exactly the
// duration and Square-M the analysis reports, their present values to the
// price, and a Type I date counted back from maturity must land within a few
// days of the time the engine uses.

#include "model/analysiscalc.h"
#include "model/explain.h"
#include "model/format.h"
#include "portfolio/core/horizonvalue.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

namespace tenvix {
namespace {

using test::Day;
using test::FreeBond;
using test::StdBond;

// The rows' parts summed in the order listed, as a reader of the table would.
void ExpectRowsAddUpTo(const Explanation& e, double d, double m2)
{
    double sumD = 0, sumM2 = 0;
    for (const ExplainedPayment& p : e.payments) {
        sumD += p.durationPart;
        sumM2 += p.squareMPart;
    }
    EXPECT_EQ(std::tuple(sumD, sumM2, e.duration, e.squareM), std::tuple(d, m2, d, m2));
}

struct Record {
    const char* what;
    std::shared_ptr<const CBond> bond; // copied for each use
    double stand, horizon;
    std::size_t rows; // payments after the stand date
};

std::vector<Record> Records()
{
    // clang-format off
    return {
        {"Type I between coupon dates", StdBond("I-BROKEN", 12, 5, 100, 97.5f, Day(2000, 1, 1), Day(2005, 1, 1)),
         Day(2001, 1, 2), Day(2003, 1, 1), 4 + 1},
        {"Type I on a coupon date", StdBond("I-WHOLE", 6, 2.25f, 100, 101.5f, Day(2000, 1, 1), Day(2005, 7, 15)),
         Day(2002, 1, 15), Day(2004, 1, 1), 7 + 1},
        {"Type I inside its last period", StdBond("I-ONE", 12, 3, 100, 100.5f, Day(2000, 1, 1), Day(2003, 3, 1)),
         Day(2002, 9, 10), Day(2004, 1, 1), 1 + 1},
        {"Type I without coupons", StdBond("I-ZERO", 3, 0, 100, 80, Day(2000, 1, 1), Day(2010, 5, 31)),
         Day(2002, 9, 10), Day(2008, 1, 1), 1},
        {"Type I horizon before the stand date", StdBond("I-11", 6, 4, 100, 104, Day(2000, 1, 1), Day(2012, 8, 31)),
         Day(2004, 11, 30), Day(2003, 1, 1), 16 + 1},
        {"Type II with payments on and before the stand date",
         FreeBond("II-MANY", 96.0f, {{Day(2003, 6, 1), 4.0f}, {Day(2004, 1, 15), 4.0f}, {Day(2004, 6, 1), 4.0f},
                                     {Day(2005, 6, 1), 4.0f}, {Day(2006, 6, 1), 104.0f}}),
         Day(2004, 1, 15), Day(2005, 1, 15), 3},
        {"Type II of one payment", FreeBond("II-ONE", 100.0f, {{Day(2005, 1, 15), 110.0f}}),
         Day(2004, 1, 15), Day(2006, 1, 15), 1},
        {"Type II horizon on the stand date",
         FreeBond("II-11", 50.0f, {{Day(2005, 2, 1), 30.0f}, {Day(2007, 2, 1), 30.0f}}),
         Day(2004, 1, 15), Day(2004, 1, 15), 2},
    };
    // clang-format on
}

TEST(ExplainBond, RowsAddUpToExactlyTheFiguresTheAnalysisReports)
{
    for (const Record& r : Records()) {
        SCOPED_TRACE(r.what);
        // The engine's own figures, on a copy of the record.
        auto reference = test::CopyOf(*r.bond);
        reference->SetDates(r.stand, r.horizon);
        reference->Prepare();
        const double ytm = reference->GetYTM(SystemClock());
        double d = 0, m2 = 0;
        reference->GetDurationM2(ytm, reference->m_fPrice, d, m2);

        auto b = test::CopyOf(*r.bond);
        const BondExplanation x = AnalyseAndExplain(*b, r.stand, r.horizon, b->m_fPrice, SystemClock());
        ASSERT_EQ(x.status, ExplainStatus::Ok);
        const Explanation& e = x.explanation;
        EXPECT_EQ(e.ytm, ytm);
        ASSERT_EQ(e.payments.size(), r.rows);
        ExpectRowsAddUpTo(e, d, m2);
        // The yield makes the present values meet the stored price within the
        // search's tolerance on the gap.
        EXPECT_NEAR(e.presentValue, b->m_fPrice, 1.0000001e-6);
        EXPECT_NEAR(e.share, e.presentValue / e.price, 1e-14);
        const bool typeI = b->GetType() == BOND_TYPE_STD;
        for (const ExplainedPayment& p : e.payments) {
            const bool face = typeI && &p == &e.payments.back();
            EXPECT_EQ(p.member, b->m_strID);
            EXPECT_GT(p.years, 0.0);
            EXPECT_NEAR(p.presentValue, p.amount * p.discount, 1e-12 * p.amount);
            EXPECT_NEAR(p.discount, std::pow(1 + e.ytm, -p.years), 1e-15);
            EXPECT_DOUBLE_EQ(p.squareMPart, p.share * p.distance * p.distance);
            // Type II measures from the horizon by the payment's own time; Type I
            // by the engine's running distance, which agrees within a day, and
            // the face value's from maturity back to the horizon: only its
            // square counts.
            EXPECT_NEAR(face ? -p.distance : p.distance, p.years - e.horizonYears, typeI ? 3.0 / 365 : 1e-15);
        }

        // The record form weighs by the price as typed, not the stored float.
        const double typed = static_cast<double>(b->m_fPrice) + 0.0000123;
        b->GetDurationM2(ytm, typed, d, m2);
        const Explanation form = ExplainBond(*b, ytm, typed);
        EXPECT_EQ(form.price, typed);
        ExpectRowsAddUpTo(form, d, m2);
    }
}

TEST(ExplainBond, RefusedRecordsAndFailedSearchesExplainNothing)
{
    using Outcome = std::tuple<ExplainStatus, int>;
    auto matured = StdBond("OLD", 12, 5, 100, 90, Day(1990, 1, 1), Day(2000, 1, 1));
    BondExplanation x = AnalyseAndExplain(*matured, Day(2001, 1, 1), Day(2002, 1, 1), 90, SystemClock());
    EXPECT_EQ(std::tuple(x.status, x.code), Outcome(ExplainStatus::Refused, BOND_STAND_AFTER_MATURITY));
    EXPECT_TRUE(x.explanation.payments.empty());
    // Which codes refuse: AnalyseRecord.OnlyTheCodesTheCallerNeedsReachTheSearch.

    test::ScriptedBond hopeless; // every trial yield refused
    x = AnalyseAndExplain(hopeless, Day(2004, 1, 1), Day(2006, 1, 1), 100, SystemClock());
    EXPECT_EQ(x.status, ExplainStatus::BadYtm);
    EXPECT_TRUE(x.explanation.payments.empty());

    // On the horizon the yield still stands, as the command line's analysis has it.
    auto late = FreeBond("LATE", 100.0f, {{Day(2005, 1, 1), 110.0f}});
    x = AnalyseAndExplain(*late, Day(2004, 1, 1), Day(2003, 1, 1), 100, SystemClock());
    EXPECT_EQ(std::tuple(x.status, x.code), Outcome(ExplainStatus::Ok, BOND_STAND_AFTER_HORIZON));
    EXPECT_EQ(x.explanation.payments.size(), 1u);
}

std::string Iso(std::int32_t day) { return FormatIsoDate(day); }

TEST(ExplainBond, TypeIDatesCountBackFromMaturityToWithinThreeDaysOfTheirTimes)
{
    // A maturity on the last of August clamps the February dates to the
    // month's end (MonthsBefore's test), three days short of the engine's time.
    const int periods[] = {1, 3, 6, 12, 24};
    for (double maturity : {Day(2031, 8, 31), Day(2032, 2, 29), Day(2030, 3, 30), Day(2033, 12, 15)})
        for (int period : periods)
            for (double stand : {Day(2024, 2, 29), Day(2025, 7, 31), Day(2026, 11, 3)}) {
                auto s = StdBond("S", period, 1.5f, 100, 90, Day(2020, 1, 1), maturity);
                const BondExplanation x = AnalyseAndExplain(*s, stand, stand + 1000, 90, SystemClock());
                ASSERT_EQ(x.status, ExplainStatus::Ok);
                const auto& rows = x.explanation.payments;
                ASSERT_FALSE(rows.empty());
                // The last coupon and the face value.
                EXPECT_EQ(std::tuple(rows[rows.size() - 2].day, rows.back().day),
                          std::tuple(s->m_nMaturity, s->m_nMaturity));
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    EXPECT_TRUE(rows[i].dayDerived);
                    const double calendar = YearFraction(rows[i].day, s->m_nStandDate);
                    // Three days of clamping, and the float the engine keeps its times in.
                    EXPECT_LE(std::fabs(calendar - rows[i].years), 3.0 / 365 + 1e-6)
                        << Iso(rows[i].day) << " period " << period << " stand " << Iso(s->m_nStandDate);
                    if (i > 0 && i + 1 < rows.size()) {
                        EXPECT_LT(rows[i - 1].day, rows[i].day);
                    }
                }
            }
}

// Held to its duration, a barbell of one near and one far payment loses
// nothing under any shift of the yield, and gains at either end.
TEST(ExplainBond, HeldToItsDurationTheHorizonValueGainsUnderEveryShift)
{
    auto barbell = FreeBond("BAR", 100.0f, {{Day(2027, 6, 30), 50.0f}, {Day(2045, 6, 30), 150.0f}});
    BondExplanation x = AnalyseAndExplain(*barbell, Day(2025, 6, 30), Day(2032, 6, 30), 100, SystemClock());
    ASSERT_EQ(x.status, ExplainStatus::Ok);
    x.explanation.horizonYears = x.explanation.duration;
    const std::vector<ShiftPoint> points = HorizonValues(x.explanation, -300, 300, 25);
    ASSERT_EQ(points.size(), 25u);
    for (const ShiftPoint& p : points)
        EXPECT_GE(p.changePercent, 0.0) << p.shiftBp;
    EXPECT_GT(std::min(points.front().changePercent, points.back().changePercent), 0.1);
}

TEST(MonthsBefore, ClampsToTheEndOfAShorterMonth)
{
    auto back = [](int y, int m, int d, int months) { return Iso(MonthsBefore(DaySerial(Day(y, m, d)), months)); };
    EXPECT_EQ(
        (std::vector{back(2024, 2, 29, 12), back(2024, 2, 29, 48), back(2031, 3, 31, 1), back(2025, 1, 31, 13),
                     back(2025, 1, 15, 0), back(2025, 5, 31, 3)}),
        (std::vector<std::string>{"2023-02-28", "2020-02-29", "2031-02-28", "2023-12-31", "2025-01-15", "2025-02-28"}));
}

TEST(ExplanationCsv, SmallBondsWrittenWhole)
{
    // Priced at exactly 5%, so the search stops at its first trial and every
    // figure below follows from 1.05 alone.
    auto two =
        FreeBond("A,1", 100.0f, {{Day(2020, 3, 15), 5.0f}, {Day(2021, 3, 15), 5.0f}, {Day(2022, 3, 15), 105.0f}});
    BondExplanation x = AnalyseAndExplain(*two, Day(2020, 3, 15), Day(2022, 3, 15), 100, SystemClock());
    ASSERT_EQ(x.status, ExplainStatus::Ok);
    ASSERT_EQ(x.explanation.ytm, 0.05);
    EXPECT_EQ(ExplanationCsv(x.explanation),
              "no,member,date,date_derived,t,amount,discount_factor,present_value,share,duration_part,square_m_part\r\n"
              "1,\"A,1\",2021-03-15,0,1,5,0.9523809523809523,4.761904761904762,0.047619047619047616,"
              "0.047619047619047616,0.047619047619047616\r\n"
              "2,\"A,1\",2022-03-15,0,2,105,0.9070294784580498,95.23809523809523,0.9523809523809522,"
              "1.9047619047619044,0\r\n"
              "total,,,,,110,,99.99999999999999,0.9999999999999998,1.952380952380952,0.047619047619047616\r\n");

    // A member's quote is doubled, a line break written out as its code; a
    // date counted back from maturity is marked (which rows Type I counts
    // back, and to which dates: ExplainBond.TypeIDatesCountBackFromMaturityToWithinThreeDaysOfTheirTimes).
    Explanation odd;
    odd.payments.push_back({});
    odd.payments[0].no = 1;
    odd.payments[0].member = "say \"hi\"\nthere";
    odd.payments[0].day = DaySerial(Day(1999, 1, 2));
    odd.payments[0].dayDerived = true;
    EXPECT_EQ(ExplanationCsv(odd).substr(ExplanationCsv(odd).find("\r\n") + 2),
              "1,\"say \"\"hi\"\"\\x0Athere\",1999-01-02,1,0,0,0,0,0,0,0\r\ntotal,,,,,0,,0,0,0,0\r\n");
}

// ---- the Bond Analysis window --------------------------------------------------

TEST(ExplainAnalysis, RowsAddUpToTheWindowsFiguresUnderBothYearMethods)
{
    const std::vector<GridRow> rows = {{"4.5", "2003-06-01"}, {"4.5", "2004-01-15"}, {"0", "2004-03-01"},
                                       {"4.5", "2004-07-31"}, {"4.5", "2005-02-28"}, {"104.5", "2006-02-28"},
                                       {"4.5", "2005-07-31"}};
    for (YearMethod method : {YearMethod::CalendarParts, YearMethod::DayCount}) {
        SCOPED_TRACE(method == YearMethod::CalendarParts ? "12 months" : "365 days");
        const AnalysisInput in{"101.25", rows, Day("2004-01-15") + 0.7, Day("2005-09-30"), method, true};
        const AnalysisResult plain = CalculateAnalysis(in, test::kIso, SystemClock());
        const AnalysisExplanation x = ExplainAnalysis(in, test::kIso, SystemClock());
        ASSERT_TRUE(x.result.Ok());
        EXPECT_EQ(std::tuple(x.result.ytm, x.result.duration, x.result.squareM),
                  std::tuple(plain.ytm, plain.duration, plain.squareM));
        const Explanation& e = x.explanation;
        ExpectRowsAddUpTo(e, plain.duration, plain.squareM);
        EXPECT_NEAR(e.presentValue, 101.25, 1.0000001e-7);
        EXPECT_EQ(e.horizonYears, HorizonYears(method, in.stand, in.horizon));
        // The rows after the stand date, as typed and in grid order; the zero
        // payment keeps its place.
        std::vector<std::string> dates;
        for (const ExplainedPayment& p : e.payments) {
            dates.push_back(Iso(p.day));
            EXPECT_FALSE(p.dayDerived);
            EXPECT_EQ(p.years, YearFraction(method, p.day, DaySerial(in.stand)));
        }
        EXPECT_EQ(dates,
                  (std::vector<std::string>{"2004-03-01", "2004-07-31", "2005-02-28", "2006-02-28", "2005-07-31"}));
        EXPECT_EQ(e.payments[0].presentValue, 0.0);
    }
}

TEST(ExplainAnalysis, NothingExplainedWithoutAResult)
{
    const std::vector<GridRow> rows = {{"50", "2005-01-15"}};
    AnalysisExplanation x =
        ExplainAnalysis({"100", rows, Day("2004-01-15"), Day("2006-01-15")}, test::kIso, SystemClock());
    EXPECT_TRUE(x.result.error); // less to come than the price
    EXPECT_TRUE(x.explanation.payments.empty());
    x = ExplainAnalysis({"cheap", rows, Day("2004-01-15"), Day("2006-01-15")}, test::kIso, SystemClock());
    EXPECT_EQ(x.result.fault, kAnalysisPriceNotANumber);
    EXPECT_TRUE(x.explanation.payments.empty());
}

} // namespace
} // namespace tenvix
