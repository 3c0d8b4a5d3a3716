#pragma once

// The digits the formatters of model/format.h share: powers of ten, the
// pairs "00" to "99", and writing and counting the digits of a whole number.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tenvix::digits {

// 10^0 to 10^19, every power of ten a 64-bit integer holds.
inline constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 20> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k)
        powers[k] = powers[k - 1] * 10;
    return powers;
}();

// "00" to "99", for writing two digits at a time.
inline constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t k = 0; k < 100; ++k) {
        pairs[2 * k] = static_cast<char>('0' + k / 10);
        pairs[2 * k + 1] = static_cast<char>('0' + k % 10);
    }
    return pairs;
}();

// Writes the `count` lowest decimal digits of v (with leading zeros) so that
// they end at `end`; returns where they begin.
inline char* PutDigits(char* end, std::uint64_t v, int count)
{
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (v % 100)], 2);
        v /= 100;
    }
    if (count > 0)
        *--end = static_cast<char>('0' + v % 10);
    return end;
}

// The number of decimal digits of v; none for 0. 1233 / 4096 is just above
// log10(2), so the guess from the bits is the count or one short of it.
inline int DigitCount(std::uint64_t v)
{
    if (v == 0)
        return 0;
    const int guess = (std::bit_width(v) * 1233) >> 12;
    return guess + (v >= kPow10[static_cast<std::size_t>(guess)] ? 1 : 0);
}

} // namespace tenvix::digits
