// The immunizer where the row or the share limit binds, on a generated
// database of 300 bonds (tests/data/u300.bnd). Each best whole-unit Square-M
// below was found by searching every set of N bonds among the 40 (for three
// rows 100) of least Square-M, each set on its own; the answer must come
// within 0.5 % of it.

#include "../model/testbonds.h"
#include "model/date.h"
#include "portfolio/core/immunize.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tenvix {
namespace {

const CBondList& U300()
{
    static const CBondList list = [] {
        std::ifstream in(TENVIX_SOURCE_DIR "/tests/data/u300.bnd", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        CBondList l;
        EXPECT_TRUE(test::Load(bytes, l));
        return l;
    }();
    return list;
}

struct Bound {
    const char* horizon;
    double amount;
    int rows;
    double share;
    double best; // the least whole-unit Square-M known under these limits
};

TEST(ImmunizingUnderBindingLimits, ComesWithinHalfAPercentOfTheBestKnown)
{
    const double stand = test::Day("2026-01-15");
    for (const Bound& b : {
             // Once 0.61997 (C0086 3206, C0048 329, C0173 2865, C0140 248,
             // C0284 1003); C0048 329, C0086 3206, C0140 305, C0173 2404,
             // C0214 90 keep every limit.
             Bound{"2033-01-13", 1e6, 5, 0.25, 0.564933},
             Bound{"2033-01-13", 1e6, 3, 0.40, 0.391566}, // once 1.20937
             Bound{"2030-01-15", 1e6, 4, 0.30, 0.028056}, // once 0.02828
             // Once 2.65563: four bonds of a tenth the units reach 1.798.
             Bound{"2038-06-30", 1e7, 4, 0.30, 1.799335},
         }) {
        ImmunizeLimits l;
        l.amount = b.amount;
        l.maxRows = b.rows;
        l.maxShare = b.share;
        const double horizon = test::Day(b.horizon);
        const ImmunizeResult r = ImmunizeList(U300().m_list, l, stand, horizon, SystemClock());
        const std::string what = std::string(b.horizon) + " rows " + std::to_string(b.rows);
        ASSERT_EQ(r.failure, ImmunizeFailure::None) << what;
        EXPECT_LE(r.figures.squareM, b.best * 1.005) << what;
        EXPECT_LE(r.rows.size(), static_cast<std::size_t>(b.rows)) << what;
        double invested = 0.0;
        for (const ImmunizedRow& row : r.rows) {
            EXPECT_LE(row.amount, b.share * b.amount) << what << " " << row.bond.id;
            invested += row.amount;
        }
        EXPECT_LE(invested, b.amount) << what;
        EXPECT_NEAR(r.figures.duration, YearFraction(horizon, stand), kImmunizeTolerance) << what;
    }
}

} // namespace
} // namespace tenvix
