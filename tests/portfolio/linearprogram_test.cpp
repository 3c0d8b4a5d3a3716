// The one layer over GLPK both optimizers use: bounds and rows as given, the
// duals, and the branch and bound's counted limit and first solution.

#include "portfolio/core/linearprogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tenvix {
namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

// minimise 3x + 2y with x + y >= 4, x + 3y >= 6, x <= 3.
void Small(LinearProgram& lp)
{
    lp.AddColumns(2);
    lp.AddRows(2);
    lp.Cost(1, 3);
    lp.Cost(2, 2);
    lp.ColumnBounds(1, 0, 3);
    lp.ColumnBounds(2, 0, kNone);
    lp.RowBounds(1, 4, kNone);
    lp.RowBounds(2, 6, kNone);
    lp.SetMatrix({1, 1, 2, 2}, {1, 2, 1, 2}, {1, 1, 1, 3});
}

TEST(LinearProgram, SolvesWithItsDuals)
{
    LinearProgram lp;
    Small(lp);
    ASSERT_TRUE(lp.Simplex({}));
    ASSERT_EQ(lp.LpStatus(), LinearProgram::Status::Optimal);
    // y = 4 alone: the first row binds, and its dual prices it.
    EXPECT_NEAR(lp.Objective(), 8.0, 1e-9);
    EXPECT_NEAR(lp.Value(1), 0.0, 1e-9);
    EXPECT_NEAR(lp.Value(2), 4.0, 1e-9);
    EXPECT_NEAR(lp.RowDual(1) * 4 + lp.RowDual(2) * 6, lp.Objective(), 1e-9);
    EXPECT_GE(lp.ReducedCost(1), -1e-9);
    // A row set again, row-wise; a column fixed.
    lp.SetRow(1, {1, 2}, {1, 2});
    lp.ColumnFixed(2, 0);
    EXPECT_TRUE(lp.IsColumnFixed(2));
    ASSERT_TRUE(lp.Simplex({}));
    EXPECT_EQ(lp.LpStatus(), LinearProgram::Status::NoFeasible); // x <= 3 cannot reach 4 alone
}

TEST(LinearProgram, WholeUnitsWithinACountedLimitFromAFirstSolution)
{
    // minimise 5x + 4y + 3z with 2x + 3y + 4z >= 11.1, all whole: the
    // fractional 3z = 8.325 becomes whole units costing 9 (z = 3).
    auto build = [](LinearProgram& lp) {
        lp.AddColumns(3);
        lp.AddRows(1);
        for (int j = 1; j <= 3; ++j) {
            lp.Integer(j);
            lp.ColumnBounds(j, 0, 10);
        }
        lp.Cost(1, 5);
        lp.Cost(2, 4);
        lp.Cost(3, 3);
        lp.RowBounds(1, 11.1, kNone);
        lp.SetMatrix({1, 1, 1}, {1, 2, 3}, {2, 3, 4});
    };
    LinearProgram whole;
    build(whole);
    LinearProgram::WholeOptions options;
    options.relativeGap = 1e-9;
    options.nodeLimit = 1000;
    whole.SolveWhole(options);
    ASSERT_EQ(whole.WholeStatus(), LinearProgram::Status::Optimal);
    EXPECT_EQ(whole.WholeObjective(), 9.0);
    // Stopped at once, the search keeps the solution it was offered.
    LinearProgram first;
    build(first);
    options.nodeLimit = 1;
    options.start = {0, 0, 3};
    first.SolveWhole(options);
    ASSERT_TRUE(first.WholeStatus() == LinearProgram::Status::Feasible ||
                first.WholeStatus() == LinearProgram::Status::Optimal);
    EXPECT_LE(first.WholeObjective(), 9.0);
    // Told to stop, it stops.
    LinearProgram stopped;
    build(stopped);
    options.start.clear();
    options.nodeLimit = 1000;
    options.going = [] { return false; };
    EXPECT_LE(stopped.SolveWhole(options), 1);
}

} // namespace
} // namespace tenvix
