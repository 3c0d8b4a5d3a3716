#include "model/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Scanned {
    std::size_t end = 0; // one past the last character of the number; 0 when there is none
    bool negative = false;
    std::string normalized;  // digits, point and exponent in from_chars form, without sign
    long long magnitude = 0; // rough decimal exponent of the value, to tell overflow from underflow
    bool zero = true;        // every mantissa digit is 0
};

// Finds the longest prefix of `s` that is a decimal number after leading blanks.
Scanned ScanNumber(std::string_view s)
{
    Scanned r;
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        r.negative = s[i] == '-';
        ++i;
    }
    std::size_t intDigits = 0, fracDigits = 0;
    long long leadingPos = 0; // position of the first non-zero digit relative to the point
    bool seenNonZero = false;
    std::string mantissa;
    while (i < s.size() && IsDigit(s[i])) {
        if (s[i] != '0' && !seenNonZero) {
            seenNonZero = true;
            leadingPos = 0;
        }
        if (seenNonZero)
            ++leadingPos;
        mantissa += s[i];
        ++i;
        ++intDigits;
    }
    std::size_t afterMantissa = i;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        long long fracPos = 0;
        std::string frac;
        while (j < s.size() && IsDigit(s[j])) {
            --fracPos;
            if (s[j] != '0' && !seenNonZero) {
                seenNonZero = true;
                leadingPos = fracPos + 1;
            }
            frac += s[j];
            ++j;
            ++fracDigits;
        }
        if (intDigits + fracDigits > 0) {
            mantissa += '.';
            mantissa += frac.empty() ? std::string("0") : frac;
            afterMantissa = j;
        }
    }
    if (intDigits + fracDigits == 0)
        return r; // no number at all
    r.zero = !seenNonZero;
    r.end = afterMantissa;
    r.normalized = intDigits == 0 ? "0" + mantissa : std::move(mantissa);
    r.magnitude = leadingPos;

    // An exponent counts only when digits follow it; otherwise the number ends
    // before the letter and the letter is left over.
    std::size_t k = afterMantissa;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E' || s[k] == 'd' || s[k] == 'D')) {
        ++k;
        bool expNegative = false;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) {
            expNegative = s[k] == '-';
            ++k;
        }
        if (k < s.size() && IsDigit(s[k])) {
            long long exp = 0;
            while (k < s.size() && IsDigit(s[k])) {
                if (exp < 1'000'000'000)
                    exp = exp * 10 + (s[k] - '0');
                ++k;
            }
            if (expNegative)
                exp = -exp;
            r.end = k;
            r.magnitude += exp;
            // from_chars copes with any exponent, but a capped one keeps the
            // text short and the meaning the same.
            r.normalized += 'e';
            r.normalized += std::to_string(exp);
        }
    }
    return r;
}

double ValueOf(const Scanned& n)
{
    if (n.zero)
        return n.negative ? -0.0 : 0.0;
    double v = 0.0;
    const char* first = n.normalized.data();
    const char* last = first + n.normalized.size();
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        v = n.magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    (void)ptr;
    return n.negative ? -v : v;
}

// Leading blanks, sign and digits; the position after them (0 without digits).
struct ScannedInt {
    std::size_t end = 0;
    std::int32_t value = 0;
};

ScannedInt ScanInteger(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    long long v = 0;
    constexpr long long cap = 1LL << 40; // far beyond 32 bits; clamped below
    while (i < s.size() && IsDigit(s[i])) {
        if (v < cap)
            v = v * 10 + (s[i] - '0');
        ++i;
    }
    if (i == digitsStart)
        return {};
    if (negative)
        v = -v;
    v = std::clamp<long long>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    return {i, static_cast<std::int32_t>(v)};
}

} // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::optional<double> ReadDecimal(std::string_view text)
{
    if (text.empty())
        return 0.0;
    const Scanned n = ScanNumber(text);
    if (n.end != text.size())
        return std::nullopt;
    return ValueOf(n);
}

double ReadLeadingDecimal(std::string_view text)
{
    const Scanned n = ScanNumber(text);
    return n.end == 0 ? 0.0 : ValueOf(n);
}

std::optional<std::int32_t> ReadWholeNumber(std::string_view text)
{
    if (text.empty())
        return 0;
    const ScannedInt n = ScanInteger(text);
    if (n.end != text.size())
        return std::nullopt;
    return n.value;
}

std::optional<std::int32_t> ReadPayPeriod(std::string_view text) { return ReadWholeNumber(TrimRight(text)); }

std::int32_t ReadLeadingInteger(std::string_view text, std::size_t maxChars)
{
    return ScanInteger(text.substr(0, std::min(maxChars, text.size()))).value;
}

} // namespace tenvix
