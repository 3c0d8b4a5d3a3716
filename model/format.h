#pragma once

// Numbers as text for the screen, the files and the command line: ASCII digits
// and the full stop whatever the locale, so that every text the program writes
// reads back through ReadDecimal. Nothing here can see the C locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tenvix {

// Fixed notation with `decimals` digits after the full stop, exactly as the C
// library's "%.*f" prints in the "C" locale ("nan", "-inf", "-0.00" included).
std::string FormatFixed(double value, int decimals);
void AppendFixed(std::string& out, double value, int decimals);

// The shortest text that reads back as the same double; exponent form where
// that is shorter.
std::string FormatShortest(double value);
void AppendShortest(std::string& out, double value);

// Up to `precision` significant digits, exactly as "%.*g" prints in the "C"
// locale: trailing zeros dropped, exponent form for very large or small values.
// Nine digits bring every float back exactly.
void AppendGeneral(std::string& out, double value, int precision);

// A float as AppendGeneral(out, value, 9) writes it, which brings it back
// exactly: the amounts of a database file. The everyday ones by integer
// arithmetic on the float's own bits.
void AppendFloat(std::string& out, float value);
// The same written at `p`, which has room for kFloatTextMax characters;
// returns where the text ends.
inline constexpr std::size_t kFloatTextMax = 16;
char* PutFloat(char* p, float value);

// A whole number in decimal digits, with a minus sign when negative.
void AppendInteger(std::string& out, std::int64_t value);
std::string FormatInteger(std::int64_t value);

// YYYY-MM-DD of a day serial, or the bare serial when it is no valid date.
void AppendIsoDate(std::string& out, std::int32_t daySerial);
std::string FormatIsoDate(std::int32_t daySerial);
// The same written at `p`, which has room for kIsoDateTextMax characters;
// returns where the text ends.
inline constexpr std::size_t kIsoDateTextMax = 11;
char* PutIsoDate(char* p, std::int32_t daySerial);
// A strict YYYY-MM-DD date as a date value: the command line's dates and what
// FormatIsoDate writes read back to the same day.
std::optional<double> ParseIsoDate(std::string_view text);
// A date in a file other people wrote (a schedule, a bank's list): YYYY-MM-DD
// or DD.MM.YYYY (day and month of one or two digits), the field as it
// stands, without blanks; nothing for anything else.
std::optional<double> ParseFileDate(std::string_view text);

// An amount stored as a float, in fixed notation: two decimals when those read
// back as the same float, else the fewest that do (at most nine from a tenth
// up). So an amount shown and saved unchanged stays the stored value, while
// the common case keeps its two decimals.
std::string FormatAmount(float amount);

// One CSV field, quoted when it holds a comma, a quote or a line break.
void AppendCsvField(std::string& out, std::string_view text);

// A text field of a report (an identifier, a name, a message), as CSV that a
// spreadsheet shows and a terminal prints without acting on it: a text that
// begins with '=', '+', '-', '@', a tab or a carriage return, which a
// spreadsheet would take for a formula, gets a leading apostrophe, and each
// control character (C0, DEL and the C1 controls, as their UTF-8 bytes)
// becomes \xNN. Texts come from other people's files, so every report writes
// them so; only a faithful copy (export) and numbers use AppendCsvField.
void AppendReportText(std::string& out, std::string_view text);

} // namespace tenvix
