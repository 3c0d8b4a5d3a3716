#include "model/format.h"

#include "model/date.h"
#include "model/numbers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tenvix {
namespace {

// Fixed notation of a double never needs more than this: 309 integer digits,
// a sign, a full stop and the decimals asked for (capped below).
constexpr int kMaxDecimals = 60;
constexpr std::size_t kFixedBuffer = 400; // 309 + 2 + 60, with room

// 10^0 to 10^19, every power of ten a 64-bit integer holds.
constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 20> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k)
        powers[k] = powers[k - 1] * 10;
    return powers;
}();
constexpr int kFastDecimals = 19;
// Wide enough for 2^53 * 10^19; GCC and Clang have it on every 64-bit target.
__extension__ typedef unsigned __int128 Wide;
constexpr double kTwo53 = 9007199254740992.0;

// Fixed notation for the numbers a database is full of, without the general
// conversion: exact integer arithmetic on the binary value, rounded half to
// even as the C library rounds. Covers |value| < 2^53 with up to 19 decimals;
// returns false, writing nothing, for anything else.
bool AppendFixedExact(std::string& out, double value, int decimals)
{
    if (!(std::fabs(value) < kTwo53) || decimals > kFastDecimals)
        return false;
    const bool negative = std::signbit(value);
    const double whole = std::trunc(std::fabs(value));
    std::uint64_t integer = static_cast<std::uint64_t>(whole);
    // Taking away the integer part of a double is exact.
    const double fraction = std::fabs(value) - whole;
    std::uint64_t digits = 0; // the fraction's first `decimals` digits
    bool up = false;
    if (fraction != 0) {
        // fraction = m * 2^-shift exactly, with m below 2^53.
        const auto bits = std::bit_cast<std::uint64_t>(fraction);
        const int exponent = static_cast<int>(bits >> 52);
        const std::uint64_t m = exponent ? (bits & ((1ULL << 52) - 1)) | (1ULL << 52) : bits & ((1ULL << 52) - 1);
        const int shift = exponent ? 1075 - exponent : 1074;
        if (shift < 128) {
            // fraction * 10^decimals = scaled / 2^shift, below 2^117.
            const Wide scaled = static_cast<Wide>(m) * kPow10[decimals];
            digits = static_cast<std::uint64_t>(scaled >> shift);
            const Wide rest = scaled - (static_cast<Wide>(digits) << shift);
            const Wide half = static_cast<Wide>(1) << (shift - 1);
            const bool odd = decimals > 0 ? (digits & 1) != 0 : (integer & 1) != 0;
            up = rest > half || (rest == half && odd);
        } // else below 2^-75 times 10^-decimals: rounds to nothing
    }
    if (up && ++digits == kPow10[decimals]) {
        digits = 0;
        ++integer;
    }
    char buf[48];
    char* p = buf;
    if (negative)
        *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, integer).ptr;
    if (decimals > 0) {
        *p++ = '.';
        for (int k = decimals - 1; k >= 0; --k) {
            p[k] = static_cast<char>('0' + digits % 10);
            digits /= 10;
        }
        p += decimals;
    }
    out.append(buf, p);
    return true;
}

// The decimal exponent of |value| for 1e-5 <= |value| < 1e19: the X with
// 10^X <= |value| < 10^(X+1).
int DecimalExponent(double value)
{
    const double a = std::fabs(value);
    int x = 0;
    if (a >= 1) {
        while (x < kFastDecimals && a >= static_cast<double>(kPow10[x + 1]))
            ++x;
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
    if (value == 0 || (std::fabs(value) >= 1e-4 && std::fabs(value) < 1e17)) {
        int x = value == 0 ? 0 : DecimalExponent(value);
        // 1/10^k is not exact, so the estimate may be one too low near a
        // power of ten; rounding can also carry into the next power.
        for (int attempt = 0; attempt < 3 && x >= -4 && x < precision; ++attempt) {
            const int decimals = precision - 1 - x;
            const std::size_t start = out.size();
            if (decimals > kFastDecimals || !AppendFixedExact(out, value, decimals))
                break;
            // Significant digits written: the integer part's, or the decimals
            // after the leading zeros of a number below 1.
            const std::size_t sign = out[start] == '-' ? 1 : 0;
            const std::size_t point = out.find('.', start);
            const std::size_t intDigits = (point == std::string::npos ? out.size() : point) - start - sign;
            int written = 0;
            if (out[start + sign] != '0') {
                written = static_cast<int>(intDigits) + decimals;
            } else {
                std::size_t k = point + 1;
                while (k < out.size() && out[k] == '0')
                    ++k;
                written = static_cast<int>(out.size() - k);
            }
            if (value != 0 && written != precision) {
                out.resize(start);
                x += written > precision ? 1 : -1;
                continue;
            }
            if (point != std::string::npos) {
                std::size_t end = out.size();
                while (out[end - 1] == '0')
                    --end;
                if (out[end - 1] == '.')
                    --end;
                out.resize(end);
            }
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

void AppendIsoDate(std::string& out, std::int32_t daySerial)
{
    const CivilDate c = Civil(daySerial);
    if (c.year < 0) {
        AppendInteger(out, daySerial);
        return;
    }
    // Valid dates lie in the years 100 to 9999: always four digits.
    const char text[10] = {static_cast<char>('0' + c.year / 1000),
                           static_cast<char>('0' + c.year / 100 % 10),
                           static_cast<char>('0' + c.year / 10 % 10),
                           static_cast<char>('0' + c.year % 10),
                           '-',
                           static_cast<char>('0' + c.month / 10),
                           static_cast<char>('0' + c.month % 10),
                           '-',
                           static_cast<char>('0' + c.day / 10),
                           static_cast<char>('0' + c.day % 10)};
    out.append(text, sizeof text);
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

void AppendCsvField(std::string& out, std::string_view text)
{
    // One pass over the bytes: find_first_of would search the text once for
    // each of the four.
    const bool plain =
        std::none_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (plain) {
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

} // namespace

void AppendReportText(std::string& out, std::string_view text)
{
    bool controls = false;
    for (std::size_t i = 0; i < text.size() && !controls; ++i)
        controls = IsControlByte(static_cast<unsigned char>(text[i])) || IsC1At(text, i);
    const bool formula = StartsAsFormula(text);
    // Most texts are plain, and a report may have a million of them.
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
