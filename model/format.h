#pragma once

// Numbers as text for the screen, the files and the command line: ASCII digits
// and the full stop whatever the locale, so that every text the program writes
// reads back through ReadDecimal. Nothing here can see the C locale.

#include <string>

namespace tenvix {

// Fixed notation with `decimals` digits after the full stop, exactly as the C
// library's "%.*f" prints in the "C" locale ("nan", "-inf", "-0.00" included).
std::string FormatFixed(double value, int decimals);
void AppendFixed(std::string& out, double value, int decimals);

// The shortest text that reads back as the same double; exponent form where
// that is shorter.
std::string FormatShortest(double value);
void AppendShortest(std::string& out, double value);

// An amount stored as a float, in fixed notation: two decimals when those read
// back as the same float, else the fewest that do (at most nine from a tenth
// up). So an amount shown and saved unchanged stays the stored value, while
// the common case keeps its two decimals.
std::string FormatAmount(float amount);

} // namespace tenvix
