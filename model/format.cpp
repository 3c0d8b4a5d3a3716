#include "model/format.h"

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
