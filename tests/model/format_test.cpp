// The one number formatter: the texts must be what the C library prints in the
// "C" locale, whatever locale the program runs in, and what it writes must
// read back to the stored value.

#include "model/format.h"
#include "model/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace tenvix;

namespace {

std::string CFixed(double value, int decimals)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string CGeneral(double value, int precision)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    return buf;
}

std::string General(double value, int precision)
{
    std::string text = "=";
    AppendGeneral(text, value, precision);
    return text.substr(1);
}

// Doubles of every magnitude and sign, half of them random bit patterns.
double RandomDouble(std::mt19937_64& g)
{
    const std::uint64_t u = g();
    double v = 0.0;
    if (u & 2) {
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    return std::ldexp(static_cast<double>(u >> 11), -static_cast<int>(g() % 90)) * ((u & 1) ? -1.0 : 1.0);
}

} // namespace

TEST(FormatFixed, PrintsWhatTheCLibraryPrintsInTheCLocale)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const double specials[] = {0.0, -0.0, -1e-12, 0.125, 0.375, 0.5, 1.5, 2.5, 9.5, 0.005, 0.015, 0.1, 0.2, 100.0,
                               2.0625, 1e18, -1e18, 1e300, -1e300, 5e-324, 0.00095, 9.9999999995, 99999999.5,
                               999999999.5, inf, -inf, std::nan(""), -std::nan("")};
    // clang-format on
    for (double v : specials)
        for (int d = 0; d < 14; ++d)
            EXPECT_EQ(FormatFixed(v, d), CFixed(v, d)) << v << " with " << d;

    std::mt19937_64 g(20261207);
    for (int i = 0; i < 200000; ++i) {
        const double v = RandomDouble(g);
        for (int d : {0, 2, 8})
            ASSERT_EQ(FormatFixed(v, d), CFixed(v, d)) << d;
    }
    std::string out = "x=";
    AppendFixed(out, 1.5, 3);
    EXPECT_EQ(out, "x=1.500");
}

TEST(FormatFixed, IgnoresACommaDecimalLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    const char* const names[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8"};
    if (std::ranges::none_of(names, [](const char* name) { return std::setlocale(LC_NUMERIC, name) != nullptr; }))
        GTEST_SKIP() << "no comma-decimal locale installed";
    ASSERT_EQ(CFixed(2.5, 2), "2,50"); // the C library does follow the locale
    EXPECT_EQ((std::vector{FormatFixed(2.5, 2), FormatShortest(2.5), FormatAmount(2.0625f)}),
              (std::vector<std::string>{"2.50", "2.5", "2.0625"}));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatShortest, ReadsBackAsTheSameDouble)
{
    EXPECT_EQ((std::vector{FormatShortest(0.1), FormatShortest(100.0), FormatShortest(1e-7)}),
              (std::vector<std::string>{"0.1", "100", "1e-07"}));
    std::mt19937_64 g(7);
    for (int i = 0; i < 200000; ++i) {
        const double v = RandomDouble(g);
        if (!std::isfinite(v))
            continue;
        const auto back = ReadDecimal(FormatShortest(v));
        ASSERT_TRUE(back) << FormatShortest(v);
        ASSERT_EQ(std::memcmp(&*back, &v, sizeof v), 0) << FormatShortest(v);
    }
}

TEST(FormatAmount, TwoDecimalsUnlessTheyWouldChangeTheStoredFloat)
{
    const std::pair<float, const char*> cases[] = {
        {100.0f, "100.00"},    {2.0625f, "2.0625"},   {0.1f, "0.10"},        {99.99f, "99.99"},
        {0.0f, "0.00"},        {-3.5f, "-3.50"},      {0.00001f, "0.00001"}, {1e18f, "999999984306749440.00"},
        {101.123f, "101.123"}, {0.03125f, "0.03125"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatAmount(value), text) << value;

    // Every float a field can hold, sampled across its whole range, reads back
    // through the form's reader to itself.
    std::mt19937 g(11);
    std::uniform_real_distribution<double> exponent(-12.0, 18.0);
    for (int i = 0; i < 300000; ++i) {
        const float f = static_cast<float>(std::pow(10.0, exponent(g)));
        const std::string text = FormatAmount(f);
        const auto back = ReadDecimal(text);
        ASSERT_TRUE(back) << text;
        ASSERT_EQ(static_cast<float>(*back), f) << text;
        if (f >= 0.1f) {
            ASSERT_LE(text.size() - text.find('.') - 1, 9u) << text;
        }
    }
}

TEST(AppendGeneral, PrintsWhatTheCLibraryPrintsInTheCLocale)
{
    for (double v : {0.0, -0.0, 1e-5, 0.0001, 123456789.0, 1234567890.0, 99.4000015258789, 1e18, 5e-324,
                     std::numeric_limits<double>::infinity(), -std::nan("")})
        for (int p : {1, 6, 9, 17})
            EXPECT_EQ(General(v, p), CGeneral(v, p)) << v << " to " << p;
    // Every stored amount is a float; half of these are random bit patterns.
    std::mt19937_64 g(20261206);
    for (int i = 0; i < 300000; ++i) {
        const std::uint64_t u = g();
        float f;
        const auto bits = static_cast<std::uint32_t>(u);
        std::memcpy(&f, &bits, sizeof f);
        const double v = (u >> 63) ? static_cast<double>(f) : RandomDouble(g);
        ASSERT_EQ(General(v, 9), CGeneral(v, 9)) << v;
        ASSERT_EQ(General(v, 17), CGeneral(v, 17)) << v;
    }
}

// The figures reports are made of (yields, durations, prices, amounts of a
// few decimals), which the fast path writes: byte for byte the C library's.
TEST(FormatFixed, EverydayFiguresAsTheCLibraryPrintsThem)
{
    std::mt19937_64 g(32);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 300000; ++i) {
        const double scale = std::pow(10.0, static_cast<double>(g() % 12) - 6);
        double v = unit(g) * scale * (i % 5 == 0 ? -1 : 1);
        if (i % 7 == 0) // a price or amount as stored: a float of a few decimals
            v = static_cast<double>(static_cast<float>(std::round(v * 1000) / 1000));
        const int d = static_cast<int>(g() % 20);
        ASSERT_EQ(FormatFixed(v, d), CFixed(v, d)) << v << " with " << d;
        ASSERT_EQ(FormatFixed(v, 8), CFixed(v, 8)) << v;
        const int p = 1 + static_cast<int>(g() % 17);
        ASSERT_EQ(General(v, p), CGeneral(v, p)) << v << " to " << p;
        ASSERT_EQ(General(v, 9), CGeneral(v, 9)) << v;
    }
}

TEST(AppendIsoDate, FourDigitYearsAndTheBareSerialOutsideTheDateSpan)
{
    for (const auto& [day, text] : {std::pair{46362, "2026-12-06"},
                                    {-657434, "0100-01-01"},
                                    {-657435, "-657435"},
                                    {2958465, "9999-12-31"},
                                    {2958466, "2958466"},
                                    {std::numeric_limits<std::int32_t>::min(), "-2147483648"}})
        EXPECT_EQ(FormatIsoDate(day), text);
    std::string text = "d=";
    AppendIsoDate(text, 36526);
    AppendInteger(text, std::numeric_limits<std::int64_t>::min());
    AppendInteger(text, 0);
    EXPECT_EQ(text, "d=2000-01-01-92233720368547758080");
}

// Every day written reads back (Date.EveryDayOfTheSpanConvertsBothWays walks
// them all); these texts are no dates.
TEST(ParseIsoDate, ReadsNothingLoose)
{
    for (const char* text : {"", "2026-12-6", "2026-2-06", "26-12-06", "2026/12/06", "2026-12-06 ", " 2026-12-06",
                             "2026-13-01", "2026-02-29", "0099-12-31", "+026-12-06", "2026-12-0x", "-657435"})
        EXPECT_FALSE(ParseIsoDate(text)) << text;
    EXPECT_EQ(ParseIsoDate("2024-02-29"), 45351.0);
}

// Other people's files write the day first with dots, or as the command line does.
TEST(ParseFileDate, TakesBothNotationsAndNothingLoose)
{
    for (const char* text : {"29.02.2024", "29.2.2024", "2024-02-29"})
        EXPECT_EQ(ParseFileDate(text), 45351.0) << text;
    for (const char* text : {"", "29.02.24", "29.02.02024", "029.02.2024", "29..2024", "29.02.2024.", ".02.2024",
                             "29-02-2024", "29.02.2023", "31.04.2024", "00.01.2024", "1.13.2024", "29. 02.2024",
                             "2024.02.29", "29.02.+024", "99999999999999999999.1.2024"})
        EXPECT_FALSE(ParseFileDate(text)) << text;
}

// Sums of a few powers of two end exactly on a rounding tie at every number
// of decimals; the C library rounds those half to even.
TEST(FormatFixed, TiesRoundHalfToEvenAtEveryPrecision)
{
    std::mt19937_64 g(5);
    for (int i = 0; i < 100000; ++i) {
        const double v = std::ldexp(static_cast<double>(g() % 4096), -static_cast<int>(g() % 24)) * (i % 2 ? 1 : -1) +
                         static_cast<double>(g() % 1000000) * (i % 3 ? 1 : 0);
        for (int d : {0, 1, 3, 8, 12, 19, 20}) {
            ASSERT_EQ(FormatFixed(v, d), CFixed(v, d)) << v << " with " << d;
            ASSERT_EQ(General(v, d), CGeneral(v, d)) << v << " to " << d;
        }
    }
}
