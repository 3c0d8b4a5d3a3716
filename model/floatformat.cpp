#include "model/format.h"

#include "model/digits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace tenvix {

using digits::DigitCount;
using digits::kPow10;
using digits::PutDigits;

namespace {

// "%.9g" of a float from its 24-bit significand m and binary exponent e
// (|value| = m * 2^e), by 64-bit integer arithmetic: nine significant
// digits N = round(m * 10^d / 2^-e) for the d decimals the decimal exponent
// gives, half to even as the C library rounds, then written as fixed
// notation with the trailing zeros dropped. Covers the values that print
// without an exponent, from 1e-4 up to 2^24 for fractions and every whole
// number below 10^9; returns null for the rest, writing nothing.
char* PutFloatFixed9(char* p, float value, bool negative, std::uint32_t m, int e)
{
    constexpr std::uint64_t kLow = 100'000'000;     // 10^8: N has nine digits
    constexpr std::uint64_t kHigh = 1'000'000'000; // 10^9
    std::uint64_t n = 0;
    int decimals = 0;
    if (e >= 0) {
        if (e > 6)
            return nullptr; // 2^30 and more: beyond 10^9 or near it
        n = static_cast<std::uint64_t>(m) << e;
        if (n >= kHigh)
            return nullptr; // exponent form
        // A whole number below 10^9 is its own nine digits.
        if (negative)
            *p++ = '-';
        const int digits = std::max(1, DigitCount(n));
        PutDigits(p + digits, n, digits);
        return p + digits;
    }
    const int shift = -e;
    if (shift > 40)
        return nullptr; // below 2^-16: perhaps below 10^-4, the exponent form
    // The decimal exponent X of m / 2^shift from the double, which holds it
    // exactly: 10^X <= |value| < 10^(X+1), perhaps one off near a power of
    // ten, which the digit count below puts right.
    const double magnitude = std::fabs(static_cast<double>(value));
    int x = 0;
    if (magnitude >= 1) {
        x = DigitCount(static_cast<std::uint64_t>(magnitude)) - 1;
    } else {
        x = -1;
        while (x > -5 && magnitude < 1.0 / static_cast<double>(kPow10[static_cast<std::size_t>(-x)]))
            --x;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        decimals = 8 - x;
        if (decimals < 0 || decimals > 12)
            return nullptr; // 10^9 and up, or below 10^-4: the exponent form
        // Below 2^24 * 10^12 < 2^64.
        const std::uint64_t scaled = static_cast<std::uint64_t>(m) * kPow10[static_cast<std::size_t>(decimals)];
        n = scaled >> shift;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (n & 1) != 0))
            ++n;
        if (n >= kHigh)
            ++x; // the estimate was low, or the rounding carried into the next power
        else if (n < kLow)
            --x;
        else
            break;
    }
    if (n < kLow || n >= kHigh)
        return nullptr;
    // The nine digits, the full stop after the whole part's, the trailing
    // zeros of the decimals dropped (and the stop with them).
    char digits[9];
    PutDigits(digits + 9, n, 9);
    if (negative)
        *p++ = '-';
    const int whole = 9 - decimals; // digits before the stop, when positive
    int last = 8;
    while (last >= std::max(whole, 0) && digits[last] == '0')
        --last;
    if (whole > 0) {
        std::memcpy(p, digits, static_cast<std::size_t>(whole));
        p += whole;
        if (last >= whole) {
            *p++ = '.';
            std::memcpy(p, digits + whole, static_cast<std::size_t>(last + 1 - whole));
            p += last + 1 - whole;
        }
        return p;
    }
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', static_cast<std::size_t>(-whole));
    p += -whole;
    std::memcpy(p, digits, static_cast<std::size_t>(last + 1));
    return p + last + 1;
}

} // namespace

char* PutFloat(char* p, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const auto biased = static_cast<int>((bits >> 23) & 0xff);
    // Zero, subnormals, infinities and NaN go the general way.
    if (biased != 0 && biased != 0xff) {
        const std::uint32_t m = (bits & 0x7fffff) | 0x800000;
        if (char* end = PutFloatFixed9(p, value, (bits >> 31) != 0, m, biased - 150))
            return end;
    }
    std::string text;
    AppendGeneral(text, static_cast<double>(value), 9);
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

void AppendFloat(std::string& out, float value)
{
    char buf[kFloatTextMax];
    out.append(buf, PutFloat(buf, value));
}

} // namespace tenvix
