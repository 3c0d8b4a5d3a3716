// The analysis road every caller walks: which of the check's codes reach the
// yield search, what a failed search leaves, and that the figures are the
// record's own, weighed by the price the caller gives.

#include "model/analyse.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tenvix;
using test::Day;
using test::ScriptedBond;

TEST(AnalyseRecord, OnlyTheCodesTheCallerNeedsReachTheSearch)
{
    // A falling gap with its root at 7 %.
    const auto gap = [](double y) { return 0.07 - y; };
    for (int code : {BOND_STAND_AFTER_MATURITY, BOND_STAND_BEFORE_RELEASE, BOND_PRICE_TOO_HIGH, BOND_BAD_TERMS})
        for (Needs needs : {Needs::YieldAndDuration, Needs::SquareM}) {
            ScriptedBond b(gap, code);
            const RecordAnalysis r = AnalyseRecord(b, Day(2020, 1, 1), Day(2025, 1, 1), 100, SystemClock(), needs);
            EXPECT_EQ(std::tuple(r.outcome, r.code, b.calls), std::tuple(RecordOutcome::Refused, code, 0)) << code;
        }

    // A stand date on the horizon stops only a caller that needs Square-M.
    ScriptedBond late(gap, BOND_STAND_AFTER_HORIZON);
    RecordAnalysis r = AnalyseRecord(late, Day(2020, 1, 1), Day(2020, 1, 1), 100, SystemClock(), Needs::SquareM);
    EXPECT_EQ(r.outcome, RecordOutcome::Refused);
    EXPECT_EQ(late.calls, 0);
    r = AnalyseRecord(late, Day(2020, 1, 1), Day(2020, 1, 1), 100, SystemClock(), Needs::YieldAndDuration);
    EXPECT_EQ(r.outcome, RecordOutcome::Solved);
    EXPECT_EQ(r.code, BOND_STAND_AFTER_HORIZON);
    EXPECT_NEAR(r.ytm, 0.07, 1e-6);
}

TEST(AnalyseRecord, AFailedSearchLeavesNoFigures)
{
    ScriptedBond hopeless; // every trial yield is refused
    const RecordAnalysis r =
        AnalyseRecord(hopeless, Day(2020, 1, 1), Day(2025, 1, 1), 100, SystemClock(), Needs::SquareM);
    EXPECT_EQ(r.outcome, RecordOutcome::NoYield);
    EXPECT_EQ(r.code, BOND_OK);
    EXPECT_GT(hopeless.calls, 0);
    EXPECT_EQ(std::tuple(r.ytm, r.duration, r.squareM), std::tuple(0.0, 0.0, 0.0));
}

TEST(AnalyseRecord, DatesTheRecordAndWeighsByTheGivenPrice)
{
    auto b = test::StdBond("A", 12, 5, 100, 96, Day(2010, 1, 1), Day(2030, 6, 1));
    // The time of day plays no part; the check sees the new dates.
    RecordAnalysis r =
        AnalyseRecord(*b, Day(2031, 1, 1) + 0.9, Day(2032, 1, 1), 96, SystemClock(), Needs::YieldAndDuration);
    EXPECT_EQ(std::pair(b->m_nStandDate, b->m_nHorizon),
              std::pair(DaySerial(Day(2031, 1, 1)), DaySerial(Day(2032, 1, 1))));
    EXPECT_EQ(r.code, BOND_STAND_AFTER_MATURITY);

    r = AnalyseRecord(*b, Day(2024, 1, 1) + 0.9, Day(2027, 1, 1), 96, SystemClock(), Needs::SquareM);
    ASSERT_EQ(r.outcome, RecordOutcome::Solved);
    // The record's own search and sums, on the same dates.
    const double y = b->GetYTM(SystemClock());
    double d = 0, m2 = 0;
    b->GetDurationM2(y, 96, d, m2);
    EXPECT_EQ(std::tuple(r.ytm, r.duration, r.squareM), std::tuple(y, d, m2));
    // Another price weighs the same payments: the figures scale inversely.
    const RecordAnalysis dearer =
        AnalyseRecord(*b, Day(2024, 1, 1), Day(2027, 1, 1), 192, SystemClock(), Needs::SquareM);
    EXPECT_EQ(dearer.ytm, y);
    EXPECT_NEAR(dearer.duration, d / 2, 1e-12);
    EXPECT_NEAR(dearer.squareM, m2 / 2, 1e-12);
}
