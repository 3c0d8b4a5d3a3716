#include "model/format.h"

#include "model/date.h"
#include "model/digits.h"
#include "model/numbers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace tenvix {
namespace {

// Fixed notation of a double never needs more than this: 309 integer digits,
// a sign, a full stop and the decimals asked for (capped below).
constexpr int kMaxDecimals = 60;
constexpr std::size_t kFixedBuffer = 400; // 309 + 2 + 60, with room

constexpr int kFastDecimals = 19;
// Wide enough for 2^53 * 10^19; GCC and Clang have it on every 64-bit target.
__extension__ typedef unsigned __int128 Wide;
constexpr double kTwo53 = 9007199254740992.0;

using digits::DigitCount;
using digits::kDigitPairs;
using digits::kPow10;
using digits::PutDigits;

// |value| rounded to `decimals` places by exact integer arithmetic on its
// binary value, half to even as the C library rounds: the whole part and the
// decimals as an integer. For |value| < 2^53 and up to 19 decimals only.
struct FixedParts {
    std::uint64_t integer = 0;
    std::uint64_t decimals = 0; // the first `count` decimals, as digits
};

FixedParts RoundFixed(double magnitude, int decimals)
{
    FixedParts parts;
    parts.integer = static_cast<std::uint64_t>(magnitude); // toward zero
    // Taking away the integer part of a double is exact.
    const double fraction = magnitude - static_cast<double>(parts.integer);
    bool up = false;
    if (fraction != 0) {
        // fraction = m * 2^-shift exactly, with m below 2^53.
        const auto bits = std::bit_cast<std::uint64_t>(fraction);
        const int exponent = static_cast<int>(bits >> 52);
        const std::uint64_t m = exponent ? (bits & ((1ULL << 52) - 1)) | (1ULL << 52) : bits & ((1ULL << 52) - 1);
        const int shift = exponent ? 1075 - exponent : 1074;
        if (shift < 128) {
            // fraction * 10^decimals = scaled / 2^shift, below 2^117.
            const Wide scaled = static_cast<Wide>(m) * kPow10[static_cast<std::size_t>(decimals)];
            parts.decimals = static_cast<std::uint64_t>(scaled >> shift);
            const Wide rest = scaled - (static_cast<Wide>(parts.decimals) << shift);
            const Wide half = static_cast<Wide>(1) << (shift - 1);
            const bool odd = decimals > 0 ? (parts.decimals & 1) != 0 : (parts.integer & 1) != 0;
            up = rest > half || (rest == half && odd);
        } // else below 2^-75 times 10^-decimals: rounds to nothing
    }
    if (up && ++parts.decimals == kPow10[static_cast<std::size_t>(decimals)]) {
        parts.decimals = 0;
        ++parts.integer;
    }
    return parts;
}

// Writes -integer.decimals (the sign when `negative`, no full stop without
// decimals).
void AppendParts(std::string& out, bool negative, const FixedParts& parts, int decimals)
{
    char buf[48];
    char* const end = buf + sizeof buf;
    char* p = end;
    if (decimals > 0) {
        p = PutDigits(p, parts.decimals, decimals);
        *--p = '.';
    }
    p = PutDigits(p, parts.integer, std::max(1, DigitCount(parts.integer)));
    if (negative)
        *--p = '-';
    out.append(p, end);
}

// Fixed notation for the numbers a database is full of, without the general
// conversion. Covers |value| < 2^53 with up to 19 decimals; returns false,
// writing nothing, for anything else.
bool AppendFixedExact(std::string& out, double value, int decimals)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < kTwo53) || decimals > kFastDecimals)
        return false;
    AppendParts(out, std::signbit(value), RoundFixed(magnitude, decimals), decimals);
    return true;
}

// The decimal exponent of |value| for 1e-5 <= |value| < 1e19: the X with
// 10^X <= |value| < 10^(X+1).
int DecimalExponent(double value)
{
    const double a = std::fabs(value);
    int x = 0;
    if (a >= 1) {
        // 10^k is a whole number: the whole part reaches it when a does.
        x = a < 1e19 ? DigitCount(static_cast<std::uint64_t>(a)) - 1 : kFastDecimals;
    } else {
        while (x > -5 && a < 1.0 / static_cast<double>(kPow10[-x]))
            --x;
    }
    return x;
}

} // namespace

void AppendFixed(std::string& out, double value, int decimals)
{
    decimals = decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals;
    if (AppendFixedExact(out, value, decimals))
        return;
    char buf[kFixedBuffer];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec == std::errc())
        out.append(buf, r.ptr);
}

std::string FormatFixed(double value, int decimals)
{
    std::string text;
    AppendFixed(text, value, decimals);
    return text;
}

void AppendShortest(std::string& out, double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    if (r.ec == std::errc())
        out.append(buf, r.ptr);
}

std::string FormatShortest(double value)
{
    std::string text;
    AppendShortest(text, value);
    return text;
}

void AppendGeneral(std::string& out, double value, int precision)
{
    precision = precision < 1 ? 1 : precision > kMaxDecimals ? kMaxDecimals : precision;
    // The common case, a number written without an exponent, by the fixed
    // notation: "%.Pg" is "%.(P-1-X)f" with trailing zeros dropped, X being
    // the decimal exponent after rounding to P digits.
    const double magnitude = std::fabs(value);
    if (value == 0 || (magnitude >= 1e-4 && magnitude < kTwo53)) {
        int x = value == 0 ? 0 : DecimalExponent(value);
        // 1/10^k is not exact, so the estimate may be one too low near a
        // power of ten; rounding can also carry into the next power.
        for (int attempt = 0; attempt < 3 && x >= -4 && x < precision; ++attempt) {
            int decimals = precision - 1 - x;
            if (decimals > kFastDecimals)
                break;
            FixedParts parts = RoundFixed(magnitude, decimals);
            // Significant digits: the integer part's and every decimal, or
            // the decimals after the leading zeros of a number below 1.
            const int written = parts.integer != 0 ? DigitCount(parts.integer) + decimals : DigitCount(parts.decimals);
            if (value != 0 && written != precision) {
                x += written > precision ? 1 : -1;
                continue;
            }
            for (; decimals > 0 && parts.decimals % 10 == 0; --decimals)
                parts.decimals /= 10;
            AppendParts(out, std::signbit(value), parts, decimals);
            return;
        }
    }
    // The longest is a sign, the digits, a full stop and a four-character exponent.
    char buf[kMaxDecimals + 16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    if (r.ec == std::errc())
        out.append(buf, r.ptr);
}

void AppendInteger(std::string& out, std::int64_t value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

std::string FormatInteger(std::int64_t value)
{
    std::string text;
    AppendInteger(text, value);
    return text;
}

char* PutIsoDate(char* p, std::int32_t daySerial)
{
    const CivilDate c = CivilOfDay(daySerial);
    if (c.year < 0) {
        const auto r = std::to_chars(p, p + kIsoDateTextMax, daySerial);
        return r.ptr;
    }
    // Valid dates lie in the years 100 to 9999: always four digits.
    const auto year = static_cast<unsigned>(c.year);
    std::memcpy(p, &kDigitPairs[2 * (year / 100)], 2);
    std::memcpy(p + 2, &kDigitPairs[2 * (year % 100)], 2);
    p[4] = '-';
    std::memcpy(p + 5, &kDigitPairs[2 * static_cast<unsigned>(c.month)], 2);
    p[7] = '-';
    std::memcpy(p + 8, &kDigitPairs[2 * static_cast<unsigned>(c.day)], 2);
    return p + 10;
}

void AppendIsoDate(std::string& out, std::int32_t daySerial)
{
    char text[kIsoDateTextMax];
    out.append(text, PutIsoDate(text, daySerial));
}

std::string FormatIsoDate(std::int32_t daySerial)
{
    std::string text;
    AppendIsoDate(text, daySerial);
    return text;
}

std::optional<double> ParseIsoDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k)
        for (std::size_t j = 0; j < lengths[k]; ++j) {
            const char c = text[starts[k] + j];
            if (c < '0' || c > '9')
                return std::nullopt;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    return MakeDate(parts[0], parts[1], parts[2]);
}

std::optional<double> ParseFileDate(std::string_view text)
{
    if (const auto iso = ParseIsoDate(text))
        return iso;
    // DD.MM.YYYY, the day and the month perhaps of one digit.
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (const char c : text) {
        if (c == '.') {
            if (++part > 2)
                return std::nullopt;
        } else if (c >= '0' && c <= '9' && digits[part] < 4) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits[part];
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4)
        return std::nullopt;
    return MakeDate(parts[2], parts[1], parts[0]);
}

std::string FormatAmount(float amount)
{
    const double wide = static_cast<double>(amount);
    if (!std::isfinite(wide))
        return FormatFixed(wide, 2);
    // Nine decimals hold every amount from a tenth up; smaller ones (a coupon of
    // a few millionths, say) take as many as they need, never a rounded value.
    constexpr int kFewest = 2;
    for (int decimals = kFewest; decimals < kMaxDecimals; ++decimals) {
        std::string text = FormatFixed(wide, decimals);
        // Read back as the form reads an amount: a double, then stored as a float.
        const std::optional<double> back = ReadDecimal(text);
        if (back && static_cast<float>(*back) == amount)
            return text;
    }
    return FormatFixed(wide, kMaxDecimals);
}

namespace {
// What a CSV field quotes.
constexpr auto kCsvSpecial = [] {
    std::array<bool, 256> special{};
    special[','] = special['"'] = special['\r'] = special['\n'] = true;
    return special;
}();
} // namespace

void AppendCsvField(std::string& out, std::string_view text)
{
    // One look at each byte: find_first_of would search the text once for
    // each of the four.
    bool special = false;
    for (const char c : text)
        special |= kCsvSpecial[static_cast<unsigned char>(c)];
    if (!special) {
        out.append(text);
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

namespace {

bool StartsAsFormula(std::string_view text)
{
    if (text.empty())
        return false;
    const char c = text.front();
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

bool IsControlByte(unsigned char c) { return c < 0x20 || c == 0x7f; }

// The C1 controls, U+0080 to U+009F, are C2 80 to C2 9F in UTF-8.
bool IsC1At(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]) == 0xc2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9f;
}

void AppendEscapedByte(std::string& out, unsigned char c)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xf];
}

// The bytes that make a report text more than a plain copy: the C0
// controls, DEL, the first byte of a C1 control's UTF-8, and what a CSV field
// quotes.
constexpr auto kReportSpecial = [] {
    std::array<bool, 256> special{};
    for (std::size_t c = 0; c < 0x20; ++c)
        special[c] = true;
    special[0x7f] = special[0xc2] = special[','] = special['"'] = true;
    return special;
}();

} // namespace

void AppendReportText(std::string& out, std::string_view text)
{
    // Most texts are plain, and a report may have a million of them: one
    // look at each byte settles it.
    bool special = false;
    for (const char c : text)
        special |= kReportSpecial[static_cast<unsigned char>(c)];
    if (!special && !StartsAsFormula(text)) {
        out.append(text);
        return;
    }
    bool controls = false;
    for (std::size_t i = 0; i < text.size() && !controls; ++i)
        controls = IsControlByte(static_cast<unsigned char>(text[i])) || IsC1At(text, i);
    const bool formula = StartsAsFormula(text);
    if (!controls && !formula) {
        AppendCsvField(out, text);
        return;
    }
    std::string safe;
    safe.reserve(text.size() + 8);
    if (formula)
        safe += '\'';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsC1At(text, i)) {
            AppendEscapedByte(safe, c);
            AppendEscapedByte(safe, static_cast<unsigned char>(text[++i]));
        } else if (IsControlByte(c)) {
            AppendEscapedByte(safe, c);
        } else {
            safe += static_cast<char>(c);
        }
    }
    AppendCsvField(out, safe);
}

} // namespace tenvix
