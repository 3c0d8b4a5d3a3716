// The number readers: what users type into the fields, including what they
// should not type.

#include "model/numbers.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tenvix;

TEST(ReadDecimal, AcceptsTheNumberSyntax)
{
    const double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::pair<std::string, double> good[] = {
        {"", 0.0},          {"0", 0.0},         {"  5", 5.0},        {"\t-5", -5.0},       {"+6", 6.0},
        {"12.5", 12.5},     {".5", 0.5},        {"5.", 5.0},         {"-.25", -0.25},      {"1E+3", 1000.0},
        {"2.5d-1", 0.25},   {"2.5D2", 250.0},   {"1e18", 1e18},      {"0.00001", 1e-5},    {"007", 7.0},
        {"1.0000001e18", 1.0000001e18},         {"0e999999999", 0.0}, {"12.345", 12.345},  {"1e-400", 0.0},
        {"1e400", inf},     {"-1d400", -inf},   {std::string(400, '9'), inf},
    };
    // clang-format on
    for (const auto& [text, value] : good) {
        const auto v = ReadDecimal(text);
        ASSERT_TRUE(v) << '"' << text << '"';
        EXPECT_EQ(*v, value) << '"' << text << '"';
    }
    // Blanks only are no number, unless trimmed to the empty text first.
    EXPECT_EQ(ReadDecimal(TrimRight("5 \t\r\n")), 5.0);
    EXPECT_EQ(ReadDecimal(TrimRight("   ")), 0.0);
    EXPECT_EQ(Trim("  AB  "), "AB");
}

TEST(ReadDecimal, RefusesLeftOversAndForeignForms)
{
    for (const char* text :
         {" ",  "   ", "5 ",  "12,5", "abc",      "1e",   "1e+",   "e5",    ".",   "-",          "+",    "--5",
          "5-", "inf", "nan", "NAN",  "infinity", "0x10", "1.2.3", "1e5.5", "5\n", "??????????", "1 000"})
        EXPECT_FALSE(ReadDecimal(text)) << '"' << text << '"';
}

TEST(ReadLeading, TakesWhatStartsTheText)
{
    // clang-format off
    for (auto [text, value] : {std::pair{"12", 12.0}, {" 2.5 units", 2.5}, {"1e3x", 1000.0}, {"1ex", 1.0}, {"", 0.0},
                               {"abc", 0.0}, {"-", 0.0}})
        // clang-format on
        EXPECT_EQ(ReadLeadingDecimal(text), value) << text;
    EXPECT_EQ(
        (std::vector{ReadLeadingInteger("12345", 4), ReadLeadingInteger(" -3x", 4), ReadLeadingInteger("abc", 4)}),
        (std::vector{1234, -3, 0}));
}

TEST(ReadPayPeriod, IntegerRules)
{
    constexpr auto max = std::numeric_limits<std::int32_t>::max(), min = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    for (auto [text, value] : {std::pair{"6", 6}, {" 6", 6}, {"+6", 6}, {"6  ", 6}, {"", 0}, {"   ", 0}, {"-6", -6},
                               {"99999999999", max}, {"-99999999999999999999", min}})
        // clang-format on
        EXPECT_EQ(ReadPayPeriod(text), value) << text;
    for (const char* text : {"12.0", "6a", "a6", "1e1", "-", "+"})
        EXPECT_FALSE(ReadPayPeriod(text)) << text;
    // A whole number of units is not trimmed at the end.
    EXPECT_EQ(ReadWholeNumber(" 12"), 12);
    EXPECT_FALSE(ReadWholeNumber("12 "));
}
