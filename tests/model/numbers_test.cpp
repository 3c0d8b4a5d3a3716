// The number readers: what users type into the fields, including what they
// should not type.

#include "model/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tenvix;

TEST(ReadDecimal, AcceptsTheNumberSyntax)
{
    const std::pair<const char*, double> good[] = {
        {"", 0.0},          {"0", 0.0},           {"5", 5.0},           {"  5", 5.0},       {"\t-5", -5.0},
        {"+6", 6.0},        {"12.5", 12.5},       {".5", 0.5},          {"5.", 5.0},        {"-.25", -0.25},
        {"1e3", 1000.0},    {"1E+3", 1000.0},     {"2.5d-1", 0.25},     {"2.5D2", 250.0},   {"1e18", 1e18},
        {"0.00001", 1e-5},  {"1.0000001e18", 1.0000001e18},              {"007", 7.0},       {"0e999999999", 0.0},
        {"99.999", 99.999}, {"12.345", 12.345},   {"1e-400", 0.0},
    };
    for (auto [text, value] : good) {
        const auto v = ReadDecimal(text);
        ASSERT_TRUE(v) << '"' << text << '"';
        EXPECT_EQ(*v, value) << '"' << text << '"';
    }
}

TEST(ReadDecimal, TooLargeIsInfinite)
{
    EXPECT_EQ(ReadDecimal("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal("-1d400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal(std::string(400, '9')), std::numeric_limits<double>::infinity());
}

TEST(ReadDecimal, RefusesLeftOversAndForeignForms)
{
    for (const char* text : {" ", "   ", "5 ", "12,5", "abc", "1e", "1e+", "e5", ".", "-", "+", "--5", "5-", "inf",
                             "nan", "NAN", "infinity", "0x10", "1.2.3", "1e5.5", "5\n", "??????????", "1 000"})
        EXPECT_FALSE(ReadDecimal(text)) << '"' << text << '"';
}

TEST(ReadDecimal, IgnoresTheCLocale)
{
    // The decimal separator is the full stop whatever the process locale says.
    EXPECT_EQ(ReadDecimal("0.125"), 0.125);
}

TEST(TrimRight, ThenReadDecimal)
{
    EXPECT_EQ(ReadDecimal(TrimRight("5 \t\r\n")), 5.0);
    EXPECT_EQ(ReadDecimal(TrimRight("   ")), 0.0); // blanks only become the empty text
    EXPECT_EQ(Trim("  AB  "), "AB");
}

TEST(ReadLeadingDecimal, TakesWhatStartsTheText)
{
    EXPECT_EQ(ReadLeadingDecimal("12"), 12.0);
    EXPECT_EQ(ReadLeadingDecimal(" 2.5 units"), 2.5);
    EXPECT_EQ(ReadLeadingDecimal("1e3x"), 1000.0);
    EXPECT_EQ(ReadLeadingDecimal("1ex"), 1.0);
    EXPECT_EQ(ReadLeadingDecimal(""), 0.0);
    EXPECT_EQ(ReadLeadingDecimal("abc"), 0.0);
    EXPECT_EQ(ReadLeadingDecimal("-"), 0.0);
}

TEST(ReadPayPeriod, IntegerRules)
{
    EXPECT_EQ(ReadPayPeriod("6"), 6);
    EXPECT_EQ(ReadPayPeriod(" 6"), 6);
    EXPECT_EQ(ReadPayPeriod("+6"), 6);
    EXPECT_EQ(ReadPayPeriod("6  "), 6);
    EXPECT_EQ(ReadPayPeriod(""), 0);
    EXPECT_EQ(ReadPayPeriod("   "), 0);
    EXPECT_EQ(ReadPayPeriod("-6"), -6);
    EXPECT_EQ(ReadPayPeriod("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ReadPayPeriod("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    for (const char* text : {"12.0", "6a", "a6", "1e1", "-", "+"})
        EXPECT_FALSE(ReadPayPeriod(text)) << text;
}

TEST(ReadWholeNumber, NoTrimmingAtTheEnd)
{
    EXPECT_EQ(ReadWholeNumber(""), 0);
    EXPECT_EQ(ReadWholeNumber(" 12"), 12);
    EXPECT_FALSE(ReadWholeNumber("12 "));
    EXPECT_FALSE(ReadWholeNumber("2.5"));
}

TEST(ReadLeadingInteger, ReadsAtMostTheFirstCharacters)
{
    EXPECT_EQ(ReadLeadingInteger("200", 4), 200);
    EXPECT_EQ(ReadLeadingInteger("12345", 4), 1234);
    EXPECT_EQ(ReadLeadingInteger(" -3x", 4), -3);
    EXPECT_EQ(ReadLeadingInteger("abc", 4), 0);
    EXPECT_EQ(ReadLeadingInteger("", 4), 0);
}
