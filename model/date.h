#pragma once

// Dates as the program keeps them: a date value is a double counting days from
// 30 December 1899 (day 0), the time of day as its fraction; records and files
// keep whole days only, as 32-bit day serials. Negative values count backwards
// by whole days with the time of day still added forwards (-1.25 is
// 29 December 1899, 06:00), which is why every truncation here is toward zero.

#include <cstdint>
#include <optional>

namespace tenvix {

class Clock;

// 1 January 100 and 31 December 9999: the span in which a date value is valid.
inline constexpr double kMinDateValue = -657434.0;
inline constexpr double kMaxDateValue = 2958465.0;

struct CivilDate {
    int year = -1;
    int month = -1;
    int day = -1;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

bool IsValidDate(double dt);

// Gregorian year, month (1-12) and day (1-31) of a date value; -1 for all
// three when the value is not a valid date. The time of day is rounded to the
// second first, as the date type has always done.
CivilDate Civil(double dt);

// The date value of a calendar day at 00:00, or nothing when the day does not
// exist or lies outside the valid span.
std::optional<double> MakeDate(int year, int month, int day);

// The whole-day serial of a date value: truncated toward zero. Values beyond
// the 32-bit range saturate and NaN gives 0, so no caller can hit undefined
// behaviour; valid dates never come near those edges.
std::int32_t DaySerial(double dt);

// Today's date as a day serial, from the given clock's local time.
std::int32_t TodaySerial(const Clock& clock);

// The calendar-parts year fraction of a after b: every month is 1/12 year and
// every day 1/365 year, whatever the calendar says. The constants are
// multiplied and the month and day terms summed before the years are added,
// so the sums come out exactly as they always have.
double YearFraction(double a, double b);
// The same of the two dates' calendar parts, for a loop that measures many
// dates from one.
double YearFraction(const CivilDate& a, const CivilDate& b);

// The day-count year fraction of a after b: whole days times 1/365.
double YearFractionDays(double a, double b);

// The two year methods of the analysis window, by their index in its list.
enum class YearMethod { CalendarParts = 0, DayCount = 1 };
double YearFraction(YearMethod method, double a, double b);
// The other way round: the date value `years` after `stand` in the given year
// measure, with the part of a day between the two whole days around it (where
// the duration falls, for a chart).
double DateAfterYears(double stand, double years, YearMethod method);

inline constexpr double kOneTwelfth = 0.08333333333333333;
inline constexpr double kOneDay = 0.0027397260273972603;

} // namespace tenvix
