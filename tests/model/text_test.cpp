// Text at the file boundary and case-blind matching.

#include "model/text.h"

#include <gtest/gtest.h>

using namespace tenvix;

TEST(Text, CodePageConversions)
{
    EXPECT_EQ(Cp1252ToUtf8("\x80\x8a\x9f\xe9"), "€ŠŸé");
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8d"), "\u0081\u008d"); // undefined bytes survive
    EXPECT_EQ(Utf8ToCp1252("€ŠŸé"), "\x80\x8a\x9f\xe9");
    EXPECT_EQ(Utf8ToCp1252("a\xff" "b"), "a?b");          // malformed UTF-8
    EXPECT_EQ(Utf8ToCp1252("\xe2\x82"), "??");            // cut short
    EXPECT_EQ(Utf8ToCp1252("😀"), "?");
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3d\xd8\x00\xde", 4)), "😀"); // surrogate pair
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3d\xd8" "A\x00", 4)), "\uFFFDA");
    EXPECT_TRUE(IsAscii("plain text, 0123456789"));
    EXPECT_FALSE(IsAscii("0123456789abcdé"));
}

TEST(Text, CaseBlindPrefixes)
{
    EXPECT_EQ(FoldCase("GOV-2027-A Zürich ÉTÉ Œ"), "gov-2027-a zürich été œ");
    const struct {
        const char* text;
        const char* prefix;
        bool match;
    } cases[] = {
        {"GOV-2027-A", "gov", true}, {"gov-2027", "GOV-2", true},  {"Gov", "gov-", false}, {"", "", true},
        {"ABC", "", true},           {"Écu 2030", "éc", true},      {"écu", "ÉCU", true},   {"Ecu", "éc", false},
        {"a\xff" "b", "a\xff", true}, {"Straße", "strasse", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartsWithFolded(c.text, FoldCase(c.prefix)), c.match) << c.text << " / " << c.prefix;
}
