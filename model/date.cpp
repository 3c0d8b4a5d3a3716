#include "model/date.h"

#include "model/clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

// Days from 1 January 1970 to 30 December 1899.
constexpr std::int64_t kEpochShift = 25569;
constexpr double kHalfSecond = 1.0 / 172800.0;

// Proleptic Gregorian conversions on a day count from 1 January 1970, valid
// far beyond the date span (H. Hinnant's civil algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The other way, by C. Neri and L. Schneider's Euclidean affine functions
// ("Euclidean affine functions and their application to calendar
// algorithms", 2022): the same dates as the textbook division by eras,
// centuries, four-year cycles and months, in multiplications and shifts,
// since every figure the program reports converts a date or two. Counts are
// moved 82 eras of 400 years later so that all of them are positive
// (from 30,000 years before the common era on).
CivilDate CivilFromDays(std::int64_t z)
{
    constexpr std::uint32_t kEras = 82;
    constexpr std::uint32_t kShift = 719468 + 146097 * kEras; // 1970-01-01 after 0000-03-01, moved
    const auto n = static_cast<std::uint32_t>(z + kShift);
    // Centuries of 36524 or 36525 days, then the day of the century.
    const std::uint32_t n1 = 4 * n + 3;
    const std::uint32_t century = n1 / 146097;
    const std::uint32_t ofCentury = n1 % 146097 / 4;
    // Years of the century, then the day of the year (from 1 March).
    const std::uint32_t n2 = 4 * ofCentury + 3;
    const std::uint64_t p2 = std::uint64_t{2939745} * n2;
    const auto yearOfCentury = static_cast<std::uint32_t>(p2 >> 32);
    const std::uint32_t ofYear = static_cast<std::uint32_t>(p2) / 2939745 / 4;
    // Months of 153 days in five, from March.
    const std::uint32_t n3 = 2141 * ofYear + 197913;
    const std::uint32_t month = n3 >> 16;
    const std::uint32_t day = (n3 & 0xffff) / 2141 + 1;
    // January and February end the year that began in March.
    const bool early = ofYear >= 306;
    const auto year = static_cast<std::int64_t>(100 * century + yearOfCentury) - 400 * kEras + (early ? 1 : 0);
    return {static_cast<int>(year), static_cast<int>(early ? month - 12 : month), static_cast<int>(day)};
}

} // namespace

bool IsValidDate(double dt)
{
    return dt >= kMinDateValue && dt <= kMaxDateValue; // false for NaN
}

CivilDate Civil(double dt)
{
    if (!IsValidDate(dt))
        return {};
    const double rounded = dt + (dt > 0.0 ? kHalfSecond : -kHalfSecond);
    const auto day = static_cast<std::int64_t>(rounded); // toward zero
    return CivilFromDays(day - kEpochShift);
}

std::optional<double> MakeDate(int year, int month, int day)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    // A day past the end of its month comes back as another date.
    if (CivilFromDays(days) != CivilDate{year, month, day})
        return std::nullopt;
    return static_cast<double>(days + kEpochShift);
}

std::int32_t DaySerial(double dt)
{
    if (std::isnan(dt))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (dt <= lo)
        return std::numeric_limits<std::int32_t>::min();
    if (dt >= hi)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(dt);
}

std::int32_t TodaySerial(const Clock& clock) { return DaySerial(clock.Now()); }

double YearFraction(double a, double b) { return YearFraction(Civil(a), Civil(b)); }

double YearFraction(const CivilDate& ca, const CivilDate& cb)
{
    const int dm = ca.month - cb.month;
    const int dd = ca.day - cb.day;
    const int dy = ca.year - cb.year;
    double f = dm * kOneTwelfth;
    f = dd * kOneDay + f;
    return dy + f;
}

double YearFractionDays(double a, double b)
{
    const std::int64_t n = static_cast<std::int64_t>(DaySerial(a)) - DaySerial(b);
    return static_cast<double>(n) * kOneDay;
}

double YearFraction(YearMethod method, double a, double b)
{
    return method == YearMethod::CalendarParts ? YearFraction(a, b) : YearFractionDays(a, b);
}

double DateAfterYears(double stand, double years, YearMethod method)
{
    if (!(years > 0.0) || !std::isfinite(years))
        return stand;
    const auto reached = [&](double day) { return YearFraction(method, day, stand) >= years; };
    // The first whole day that reaches the years, by halving; no year has
    // more than 366 days. Years beyond the last date stop there.
    double low = stand;
    double high = std::min(kMaxDateValue, stand + std::ceil(years * 366.0) + 31.0);
    if (!reached(high))
        return high;
    while (high - low > 1.0) {
        const double mid = std::floor((low + high) / 2.0);
        (reached(mid) ? high : low) = mid;
    }
    const double before = YearFraction(method, low, stand);
    const double after = YearFraction(method, high, stand);
    return after > before ? low + (years - before) / (after - before) : high;
}

} // namespace tenvix
