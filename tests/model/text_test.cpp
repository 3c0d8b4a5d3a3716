// Text at the file boundary and case folding.

#include "model/text.h"

#include <gtest/gtest.h>

using namespace tenvix;

TEST(Text, CodePageConversions)
{
    EXPECT_EQ(Cp1252ToUtf8("\x80\x8a\x9f\xe9"), "€ŠŸé");
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8d"), "\u0081\u008d"); // undefined bytes survive
    EXPECT_EQ(Utf8ToCp1252("€ŠŸé"), "\x80\x8a\x9f\xe9");
    EXPECT_EQ(Utf8ToCp1252(std::string("a\xff") + 'b'), "a?b"); // malformed UTF-8
    EXPECT_EQ(Utf8ToCp1252("\xe2\x82"), "??");                  // cut short
    EXPECT_EQ(Utf8ToCp1252("\xc1\x81"), "??");                  // overlong
    EXPECT_EQ(Utf8ToCp1252("😀"), "?");
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3d\xd8\x00\xde", 4)), "😀");              // surrogate pair
    EXPECT_EQ(Utf16BeToUtf8(std::string("\xd8\x3d\xde\x00\x00\xe9\xd8", 7)), "😀é"); // an odd byte left over
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3d\xd8", 2) + std::string("A\0", 2)), "\uFFFDA");
    // Every byte survives a trip through the program's text.
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_TRUE(IsAscii("plain text, 0123456789"));
    EXPECT_FALSE(IsAscii("0123456789abcdé"));
}

TEST(Text, FoldCaseKeepsAccentsAndBrokenBytes)
{
    EXPECT_EQ(FoldCase("GOV-2027-A Zürich ÉTÉ Œ Ÿ Š ß × \xff"), "gov-2027-a zürich été œ ÿ š ß × \xff");
    EXPECT_FALSE(StartsWithFolded("Ecu", "éc"));
    EXPECT_FALSE(StartsWithFolded("Straße", "strasse"));
    EXPECT_TRUE(StartsWithFolded(std::string("a\xff") + 'b', "a\xff")); // a malformed byte matches itself
}

// Well-formed UTF-8 only, at the ends of the eight-byte runs too.
TEST(Text, IsUtf8)
{
    for (const char* good : {"", "plain ASCII text, longer than eight", "\xc3\xa9", "12345678\xe2\x82\xac",
                             "\xf4\x8f\xbf\xbf", "1234567\xc3\xa9"})
        EXPECT_TRUE(IsUtf8(good)) << good;
    for (const char* bad :
         {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "12345678\xf0\x9f\x98", "\xe9t\xe9", "1234567\x80"})
        EXPECT_FALSE(IsUtf8(bad)) << bad;
}
