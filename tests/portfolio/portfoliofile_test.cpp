// The portfolio file: exact bytes for what is written, and a reader that
// refuses every malformed or lying file before a single row is handed over.

#include "portfolio/core/portfoliofile.h"

#include "../model/testbonds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tenvix {
namespace {

PortfolioFile Read(const std::string& s) { return ReadPortfolio(std::as_bytes(std::span(s.data(), s.size()))); }

using test::Bytes;

const std::string kMagic("Tenvix2F\0", 9);

TEST(PortfolioFile, TheOneRowExampleByteForByte)
{
    const std::string expected =
        kMagic + Bytes({0x01, 0x00, 0x00, 0x00, 0x02, 0x42, 0x31, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40});
    const std::vector<PortfolioEntry> rows{{"B1", 100.0}};
    EXPECT_EQ(StorePortfolio(rows), expected);
    EXPECT_EQ(std::pair(Read(expected).error, Read(expected).rows), std::pair(PortfolioFileError::None, rows));
    EXPECT_EQ(StorePortfolio({}), kMagic + Bytes({0, 0, 0, 0}));
}

TEST(PortfolioFile, RoundTrips)
{
    std::vector<PortfolioEntry> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back({"ID" + std::to_string(i), i * 1.5 - 3});
    rows[3].id = "";
    rows[4].id = "\xc3\xa9t\xc3\xa9 2030"; // é in the file's code page is one byte
    rows[5].id = std::string(300, 'L');    // longer than one length byte says
    rows[6].id = "  padded  ";
    const std::string file = StorePortfolio(rows);
    EXPECT_NE(file.find("\xe9t\xe9 2030"), std::string::npos);
    for (const std::vector<PortfolioEntry>& expected : {rows, std::vector<PortfolioEntry>{}}) {
        // Whatever follows the last row is ignored.
        const PortfolioFile back = Read(StorePortfolio(expected) + "trailing");
        EXPECT_EQ(std::pair(back.error, back.rows), std::pair(PortfolioFileError::None, expected));
    }
}

TEST(PortfolioFile, WrongFormatsAndEarlyEnds)
{
    for (const std::string& bad : {std::string(), kMagic.substr(0, 8), "Tenvix2F!" + Bytes({0, 0, 0, 0}),
                                   std::string("tenvix2F", 8) + Bytes({0, 0, 0, 0, 0}),
                                   kMagic + Bytes({0xFF, 0xFF, 0xFF, 0xFF}), kMagic + Bytes({0, 0, 0, 0x80})})
        EXPECT_EQ(Read(bad).error, PortfolioFileError::WrongFormat) << bad.size();
    // More rows than a portfolio holds: told apart, for the command line says so.
    for (const std::string& many : {kMagic + Bytes({21, 0, 0, 0}), kMagic + Bytes({0xFF, 0xFF, 0xFF, 0x7F})})
        EXPECT_EQ(Read(many).error, PortfolioFileError::TooManyRows);

    // No row is given when the file ends early or a length overruns it.
    const std::string file = StorePortfolio(std::vector<PortfolioEntry>{{"A", 1}, {"BB", 2}, {"CCC", 3}});
    std::vector<std::string> cut;
    for (std::size_t n = 9; n < file.size(); ++n)
        cut.push_back(file.substr(0, n));
    cut.push_back(kMagic + Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + std::string(16, 'x'));
    for (const std::string& bytes : cut) {
        const PortfolioFile f = Read(bytes);
        EXPECT_EQ(f.error, PortfolioFileError::Truncated) << bytes.size();
        EXPECT_TRUE(f.rows.empty()) << bytes.size();
    }
}

} // namespace
} // namespace tenvix
