#include "model/format.h"

#include "model/date.h"
#include "model/numbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tenvix {
namespace {

// Fixed notation of a double never needs more than this: 309 integer digits,
// a sign, a full stop and the decimals asked for (capped below).
constexpr int kMaxDecimals = 60;
constexpr std::size_t kFixedBuffer = 400; // 309 + 2 + 60, with room

} // namespace

void AppendFixed(std::string& out, double value, int decimals)
{
    decimals = decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals;
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

} // namespace tenvix
