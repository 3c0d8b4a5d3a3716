// Seeking bonds by the start of their identifier or name, and the seek box's
// history.

#include "model/seek.h"

#include "model/text.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <tuple>

#include <random>

using namespace tenvix;

namespace {

using Ids = std::vector<std::string>;

Ids Seek(CBondList& list, SeekBy by, std::string_view text)
{
    SeekResults results;
    Ids ids;
    for (std::size_t k = 0, n = SeekBonds(list, by, text, results); k < n; ++k)
        ids.push_back((*results[k])->m_strID);
    return ids;
}

} // namespace

TEST(Seek, MatchesTheStartOfIdOrNameWithoutRegardToCase)
{
    // clang-format off
    CBondList list;
    for (const auto& [id, name] : {std::pair{"AB1", "Zeta"}, {"xab", "alpha"}, {"abc", "ALPHA bank"}, {"a", "Alp"},
                                   {"Ab", "beta"}, {"", ""}, {"ÉCU 1", "Élan"}, {"écu 2", "élan vital"}})
        test::AddRecord(list, id).m_strName = name;
    // clang-format on
    EXPECT_EQ(Seek(list, SeekBy::ID, "AB"), (Ids{"AB1", "abc", "Ab"}));
    EXPECT_EQ(Seek(list, SeekBy::Name, "Alp"), (Ids{"xab", "abc", "a"}));
    // Letters beyond ASCII fold too, in the text and in the field.
    EXPECT_EQ(Seek(list, SeekBy::ID, "écu"), (Ids{"ÉCU 1", "écu 2"}));
    EXPECT_EQ(Seek(list, SeekBy::Name, "ÉLAN "), (Ids{"écu 2"}));
    // The whole field equal to the text is a match ("Ab" above); one
    // character more is not.
    EXPECT_EQ(Seek(list, SeekBy::ID, "abcd"), Ids{});
}

TEST(Seek, StopsAfterTheFirstFiveHundredMatchesInListOrder)
{
    CBondList list;
    for (int k = 0; k < 1200; ++k) // every other bond matches "bd"; the rest start with "x"
        test::AddRecord(list, (k % 2 ? "x" : (k % 4 ? "BD" : "bd")) + std::to_string(k));
    const Ids found = Seek(list, SeekBy::ID, "bd");
    ASSERT_EQ(found.size(), kMaxSeekResults);
    for (std::size_t k = 0; k < found.size(); ++k)
        EXPECT_EQ(FoldCase(found[k]), "bd" + std::to_string(2 * k));
    // An empty text matches every bond: the first 500 of the list.
    const Ids all = Seek(list, SeekBy::Name, "");
    ASSERT_EQ(all.size(), kMaxSeekResults);
    EXPECT_EQ(all.back(), "x499");
}

// The prefix test folds the field as it goes; whatever the field's bytes, it
// must agree with folding both sides whole. Seek texts come from the seek box
// and are always well-formed.
TEST(Seek, PrefixTestAgreesWithFoldingEverything)
{
    const std::vector<std::string> pieces = {
        "a", "A", "z", "1", " ", "é", "É", "Š", "š", "Ÿ", "ÿ", "ß", "€", "\xF0\x9F\x98\x80", "Ö", "ö", "x"};
    std::vector<std::string> broken = pieces;
    broken.insert(broken.end(), {"\xC3", "\x80", "\xE2\x82", "\xFF"});
    std::mt19937 rng(7);
    auto make = [&](const std::vector<std::string>& from, int maxPieces) {
        std::string s;
        for (int k = std::uniform_int_distribution<int>(0, maxPieces)(rng); k > 0; --k)
            s += from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
        return s;
    };
    int matches = 0;
    for (int trial = 0; trial < 50000; ++trial) {
        const std::string text = make(pieces, 3);
        // Half the fields start with a case variant of the text, so matches are common.
        std::string field = make(broken, 4);
        if (trial % 2)
            field = (trial % 4 == 1 ? FoldCase(text) : text) + field;
        const bool expected = FoldCase(field).starts_with(FoldCase(text));
        matches += expected;
        ASSERT_EQ(StartsWithFolded(field, FoldCase(text)), expected) << "field '" << field << "' text '" << text << "'";
    }
    EXPECT_GT(matches, 20000);
}

TEST(SeekHistory, KeepsTenLowerCaseTextsNewestFirst)
{
    std::vector<std::string> history;
    EXPECT_EQ(RememberSeekText(history, "Abc", -1), SeekBoxShows::TypedText);
    RememberSeekText(history, "ÉCU", -1);
    RememberSeekText(history, "abc", -1);
    RememberSeekText(history, "", 0); // an empty text is no seek text
    EXPECT_EQ(history, (std::vector<std::string>{"abc", "écu"}));
    for (int k = 0; k < 9; ++k)
        RememberSeekText(history, "T" + std::to_string(k), -1);
    ASSERT_EQ(history.size(), kSeekHistory);
    EXPECT_EQ(std::tuple(history.front(), history.back()), std::tuple(std::string("t8"), std::string("abc")));

    history = {"c", "b", "a"};
    // "b" was chosen from the drop-down: it stays what the box shows.
    EXPECT_EQ(RememberSeekText(history, "b", 1), SeekBoxShows::Entry0);
    EXPECT_EQ(history, (std::vector<std::string>{"b", "c", "a"}));
    // Typed again in capitals while another entry was selected: it moves to
    // the top, but the box keeps the typed text.
    EXPECT_EQ(RememberSeekText(history, "A", 0), SeekBoxShows::TypedText);
    EXPECT_EQ(history, (std::vector<std::string>{"a", "b", "c"}));
    // A new text is never the selected entry.
    EXPECT_EQ(RememberSeekText(history, "d", 0), SeekBoxShows::TypedText);
}
