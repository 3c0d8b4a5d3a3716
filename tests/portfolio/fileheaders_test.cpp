// Telling the program's own files from their first bytes: what the writers
// write is recognised from its header alone, and nothing else is, a file
// cut short inside a header included.

#include "portfolio/core/fileheaders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tenvix {
namespace {

TEST(FileHeaders, WhatTheWritersWriteAndNothingElse)
{
    const CBondList none;
    const std::string database = StoreBondDatabase(none);
    const std::vector<PortfolioEntry> rows{{"B1", 100.0}};
    const std::string portfolio = StorePortfolio(rows);
    for (const std::string& file : {database, portfolio}) {
        EXPECT_TRUE(IsDatabaseOrPortfolioHeader(file));
        EXPECT_TRUE(IsDatabaseOrPortfolioHeader(std::string_view(file).substr(0, kLongestFileMagic)));
    }
    EXPECT_TRUE(IsDatabaseOrPortfolioHeader(std::string_view(database).substr(0, sizeof kBondFileMagic)));

    const std::string notOurs[] = {
        "",
        std::string(kBondFileMagic, sizeof kBondFileMagic - 1), // the name without its terminating zero
        std::string(kPortfolioMagic, sizeof kPortfolioMagic - 1),
        "Tenvix2F,1,2\r\n",
        "ID,Name,Status,YTM\r\n",
        std::string("tenvix\0\0\0\0\0", 11), // letter case counts
    };
    for (const std::string& file : notOurs)
        EXPECT_FALSE(IsDatabaseOrPortfolioHeader(file)) << file;
}

} // namespace
} // namespace tenvix
