// Dates: the calendar conversion over the whole span, the edges outside it,
// and the two year fractions with the figures analysts check by hand.

#include "model/date.h"
#include "model/format.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <limits>

using namespace tenvix;

namespace {
double D(int y, int m, int d) { return *MakeDate(y, m, d); }
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(Date, EveryDayOfTheSpanConvertsBothWays)
{
    // No 29 February 1900.
    EXPECT_EQ((std::vector{D(1899, 12, 30), D(1900, 3, 1), D(2002, 1, 1), D(100, 1, 1), D(9999, 12, 31)}),
              (std::vector{0.0, 61.0, 37257.0, kMinDateValue, kMaxDateValue}));
    CivilDate previous = Civil(kMinDateValue);
    EXPECT_EQ(previous, (CivilDate{100, 1, 1}));
    for (double day = kMinDateValue + 1; day <= kMaxDateValue; ++day) {
        const CivilDate c = Civil(day);
        // Through the ISO text, whose reader makes the date of its parts.
        ASSERT_EQ(ParseIsoDate(FormatIsoDate(static_cast<std::int32_t>(day))), day);
        // Consecutive days are consecutive calendar dates.
        const bool sameMonth = c.year == previous.year && c.month == previous.month && c.day == previous.day + 1;
        const bool nextMonth = c.year == previous.year && c.month == previous.month + 1 && c.day == 1;
        const bool nextYear = c.year == previous.year + 1 && c.month == 1 && c.day == 1 && previous.month == 12;
        ASSERT_TRUE(sameMonth || nextMonth || nextYear) << day;
        previous = c;
    }
}

// The textbook conversion by eras, centuries, four-year cycles and months
// (H. Hinnant's), which the program's faster one must match day for day.
CivilDate TextbookCivil(std::int64_t daysFrom1970)
{
    const std::int64_t z = daysFrom1970 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

TEST(Date, EveryDayOfTheSpanIsTheTextbookDate)
{
    for (double day = kMinDateValue; day <= kMaxDateValue; ++day)
        ASSERT_EQ(Civil(day), TextbookCivil(static_cast<std::int64_t>(day) - 25569)) << day;
    // With the time of day, on either side of day 0.
    for (const double day : {-657433.75, -1.5, -0.25, 0.0, 0.999, 1.25, 2958464.5})
        ASSERT_EQ(Civil(day), TextbookCivil(static_cast<std::int64_t>(day + (day > 0 ? 1.0 : -1.0) / 172800) - 25569))
            << day;
}

TEST(Date, TimeOfDayAndNegativeValues)
{
    // 15 March 2004 at 17:30 is 15 March 2004 everywhere.
    const double picked = D(2004, 3, 15) + 17.5 / 24;
    EXPECT_EQ(Civil(picked), (CivilDate{2004, 3, 15}));
    EXPECT_EQ(DaySerial(picked), D(2004, 3, 15));
    // Before day 0 the whole day truncates toward zero and the time counts on.
    EXPECT_EQ(Civil(-1.25), (CivilDate{1899, 12, 29}));
    EXPECT_EQ(DaySerial(-1.25), -1);
    // Half a second before midnight rounds up to the next day, as the date
    // type always did, while the day serial still truncates.
    EXPECT_EQ(Civil(D(2004, 3, 15) + 1 - 0.4 / 86400), (CivilDate{2004, 3, 16}));
}

TEST(Date, OutsideTheSpanIsInvalidAndSafe)
{
    for (double v : {kMinDateValue - 1, kMaxDateValue + 1, -1e300, 1e300, kNaN, kInf, -kInf}) {
        EXPECT_FALSE(IsValidDate(v)) << v;
        EXPECT_EQ(Civil(v), (CivilDate{-1, -1, -1})) << v;
    }
    EXPECT_EQ((std::vector{DaySerial(1e300), DaySerial(-1e300), DaySerial(kNaN)}),
              (std::vector{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(), 0}));
    // clang-format off
    for (auto [y, m, d] : {std::tuple{2001, 2, 29}, {1900, 2, 29}, {2004, 4, 31}, {2004, 13, 1}, {2004, 0, 1},
                           {2004, 1, 0}, {99, 12, 31}, {10000, 1, 1}, {-1, -1, -1}})
        // clang-format on
        EXPECT_FALSE(MakeDate(y, m, d)) << y << "-" << m << "-" << d;
    // Year fractions of invalid dates are computed from the -1 parts: a number,
    // never a crash.
    EXPECT_TRUE(std::isfinite(YearFraction(1e12, D(2004, 1, 1))));
}

TEST(YearFraction, CalendarPartsFigures)
{
    EXPECT_DOUBLE_EQ(YearFraction(D(2005, 1, 1), D(2001, 1, 2)), 4 - 1.0 / 365);
    EXPECT_NEAR(YearFraction(D(2001, 2, 1), D(2001, 1, 31)), 0.0011415525, 1e-10);
    EXPECT_NEAR(YearFraction(D(2002, 1, 1), D(2001, 12, 31)), 0.0011415525, 1e-10);
    EXPECT_NEAR(YearFraction(D(2004, 3, 1), D(2004, 2, 29)), 1.0 / 12 - 28.0 / 365, 1e-15);
    // The exact sums: month term, then day term, then the years.
    EXPECT_EQ(YearFraction(D(2002, 1, 1), D(2001, 12, 29)), 1 + (-28 * kOneDay + -11 * kOneTwelfth));
}

TEST(YearFraction, DayCount)
{
    EXPECT_NEAR(YearFractionDays(D(2001, 3, 1), D(2001, 1, 31)), 29.0 / 365, 1e-15);
    EXPECT_EQ(YearFractionDays(D(2004, 3, 1) + 0.9, D(2003, 3, 1) + 0.1), 366 * kOneDay);
    EXPECT_EQ(YearFraction(YearMethod::DayCount, D(2004, 3, 1), D(2003, 3, 1)), 366 * kOneDay);
    EXPECT_EQ(YearFraction(YearMethod::CalendarParts, D(2004, 3, 1), D(2003, 3, 1)), 1.0);
}

// The duration's date on a chart lies between the whole days around the years
// asked for, under both measures; no years leave the date where it is, and
// years no date reaches stop at the last date there is.
TEST(DateAfterYears, InvertsTheYearFraction)
{
    const double stand = DaySerial(*MakeDate(2026, 12, 6));
    for (const YearMethod method : {YearMethod::CalendarParts, YearMethod::DayCount}) {
        for (const double years : {0.0027, 0.5, 1.0, 6.13116925, 16.92622586, 29.99}) {
            const double date = DateAfterYears(stand, years, method);
            const double day = std::floor(date);
            EXPECT_LE(YearFraction(method, day, stand), years) << years;
            EXPECT_GE(YearFraction(method, day + 1, stand), years) << years;
        }
        for (const double none : {0.0, -1.0, std::nan("")})
            EXPECT_EQ(DateAfterYears(stand, none, method), stand);
        EXPECT_LE(DateAfterYears(stand, 1e6, method), kMaxDateValue);
    }
}
