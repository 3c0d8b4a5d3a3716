#pragma once

// A schedule of liabilities: the sums owed and the days they are due, read
// from a file of two columns (the date, then the amount) through the price
// files' own reader, or typed into the Fund schedule dialog. Rows of one date
// are added together, their total held to what one row may owe; the
// schedule is kept in date order.

#include "model/csvrows.h"
#include "model/pricefield.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// The most rows a schedule may have, before rows of one date are added.
inline constexpr std::size_t kMaxLiabilities = 1000;
// The largest amount one row may owe: the sums of a thousand such stay
// exact to the cent in a double.
inline constexpr double kMaxLiabilityAmount = 1e12;

struct Liability {
    std::int32_t day = 0; // the day serial of the date
    double amount = 0.0;  // above 0
};

// Why a schedule is refused. A row's reason comes with its line.
enum class ScheduleProblem {
    None,
    File, // the file cannot be read: see fileError
    InvalidDate,
    DateNotAfterStand,
    InvalidAmount,
    AmountNotAboveZero,
    AmbiguousNumber,
    NoLiabilities,
    TooMany,
};

struct Schedule {
    ScheduleProblem problem = ScheduleProblem::None;
    std::int64_t line = 0; // of a row's reason: the file's line (the heading counted), or the row typed
    RowsFileError fileError = RowsFileError::None;
    std::int64_t fileDetail = 0;
    std::vector<Liability> liabilities; // in date order, one a date; empty when refused
};

// Reads a schedule file: an optional heading ("date,amount" in any case, or
// "Datum;Betrag"), then rows of a date (YYYY-MM-DD or DD.MM.YYYY) after the
// stand day and an amount above 0 read as a price file's prices are (the
// decimal comma of a file not separated by commas; a number that could be a
// thousand read by `mark`, else by what the file's other amounts show). A
// third field, where there is one, must be empty. The file is refused whole
// at its first bad row.
Schedule ReadSchedule(std::string_view bytes, std::int32_t standDay, DecimalMark mark = DecimalMark::Undecided);

// The rows as typed: each a day and an amount already read (NaN where the
// amount could not be); the reasons are those of the file, with the row's
// place from 1 as its line.
Schedule MakeSchedule(const std::vector<Liability>& rows, std::int32_t standDay);

// "Line %1 : %2" for a row, the file's reasons in the price files' words,
// "No liabilities !" or "More than 1000 liabilities !".
std::string ScheduleErrorText(const Schedule& schedule);

// An amount as the schedule writes it: the fewest decimals, at least two,
// that read back as the same double, and never three after a whole part
// (which could be read as a thousand).
std::string FormatLiability(double amount);

// The schedule as a file ReadSchedule reads back: the heading date,amount,
// then a row a liability, the date as YYYY-MM-DD and the amount as
// FormatLiability writes it.
std::string ScheduleCsv(const std::vector<Liability>& liabilities);

} // namespace tenvix
