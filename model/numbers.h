#pragma once

// Reading the numbers users type. Every field that takes a decimal number goes
// through ReadDecimal, so "12,5", "1e400" or " " mean the same everywhere; the
// other readers are the few places where a field has always been read in a
// different way. All of them are independent of the C locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tenvix {

// The white space the trimming rules remove: blank, tab, line feed, vertical
// tab, form feed, carriage return.
bool IsBlank(char c);
std::string_view TrimRight(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view Trim(std::string_view s);

// A decimal number: leading blanks, an optional sign, digits with an optional
// full stop, and an optional exponent (e, E, d or D, optional sign, digits).
// The whole text must be used. An empty text reads as 0; a text of blanks only
// is not a number. A value too large for a double reads as infinite, one too
// small as 0. "inf", "nan" and hexadecimal are not numbers.
std::optional<double> ReadDecimal(std::string_view text);

// The leading decimal number of a text, ignoring whatever follows it; 0 when
// the text does not start with a number (after leading blanks).
double ReadLeadingDecimal(std::string_view text);

// The pay period: trailing white space removed, then leading blanks, an
// optional sign and decimal digits with nothing left over. Empty reads as 0.
// Values beyond the 32-bit range are clamped to it.
std::optional<std::int32_t> ReadPayPeriod(std::string_view text);

// A whole number with nothing left over: leading blanks, optional sign, decimal
// digits; empty reads as 0; clamped to the 32-bit range. Used for units that
// must be whole.
std::optional<std::int32_t> ReadWholeNumber(std::string_view text);

// The leading integer of at most the first `maxChars` characters: leading
// blanks and a sign allowed, reading stops at the first other character, no
// digits gives 0. Clamped to the 32-bit range.
std::int32_t ReadLeadingInteger(std::string_view text, std::size_t maxChars = std::string_view::npos);

} // namespace tenvix
