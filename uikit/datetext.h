#pragma once

// The one place where dates meet text on screen: the user's locale short date,
// always with a four-digit year, so that whatever the program writes parses
// back to the same day. The core keeps date values; only this turns them into
// words and back.

#include "model/bond.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tenvix::ui {

// The locale's short date pattern with its year widened to four digits.
QString DateFormat();

// Date values and Qt dates: day 0 is 30 December 1899.
double ToDateValue(const QDate& date);
double ToDateValue(const QDateTime& dateTime);
QDate ToQDate(double dateValue); // the whole day; invalid outside years 100 to 9999

// Date-only text of a date value, or an empty text for an invalid one.
QString FormatDate(double dateValue);

// A date typed or stored as text: the short date of the locale, with a
// four-digit year or a two-digit one (taken as 1930 to 2029). Leading and
// trailing blanks are allowed; a time part is not. Returns the whole day.
std::optional<double> ParseDate(const QString& text);

// A date typed into a picker: the short date of the locale as FormatDate
// writes it, or as a keyboard gives it: without the marks that order a
// right-to-left text, in ASCII digits or the locale's own, the day and the
// month with or without a leading zero. With `wholeYear` only a year of four
// digits counts, so that a date typed halfway is not taken for another one;
// without it a two-digit year is widened as ParseDate widens it.
std::optional<double> ParseTypedDate(const QString& text, bool wholeYear);

// ParseDate for the core, which passes UTF-8.
DateParser LocaleDateParser();

} // namespace tenvix::ui
