#include "portfolio/core/duplicates.h"

#include <gtest/gtest.h>

namespace tenvix {
namespace {

using Pairs = std::vector<std::pair<int, int>>;

TEST(DuplicatePairs, WholeTrimmedIdentifiersExactly)
{
    const std::vector<std::string> ids{"GOV-2030", " GOV-2030\t", "gov-2030", "X", "GOV-2030"};
    EXPECT_EQ(DuplicatePairs(ids), (Pairs{{0, 1}, {0, 4}, {1, 4}}));

    // Identifiers from a file can be long: a difference after the first
    // sixteen characters still makes them different.
    const std::string stem(16, 'A');
    EXPECT_EQ(DuplicatePairs(std::vector<std::string>{stem + "1", stem + "2"}), Pairs{});
    EXPECT_EQ(DuplicatePairs(std::vector<std::string>{stem + "1", stem + "1 "}), (Pairs{{0, 1}}));
    EXPECT_EQ(DuplicatePairs(std::vector<std::string>{"", "  "}), (Pairs{{0, 1}}));
    EXPECT_EQ(DuplicatePairs(std::vector<std::string>{"A"}), Pairs{});
}

} // namespace
} // namespace tenvix
