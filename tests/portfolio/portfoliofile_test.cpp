// The portfolio file: exact bytes for what is written, and a reader that
// refuses every malformed or lying file before a single row is handed over.

#include "portfolio/core/portfoliofile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tenvix {
namespace {

std::span<const std::byte> Bytes(const std::string& s)
{
    return std::as_bytes(std::span(s.data(), s.size()));
}

std::string Hex(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

const std::string kMagic("Tenvix2F\0", 9);

TEST(PortfolioFile, TheOneRowExampleByteForByte)
{
    const std::string expected = Hex({0x54, 0x65, 0x6E, 0x76, 0x69, 0x78, 0x32, 0x46, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02,
                                      0x42, 0x31, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40});
    const std::vector<PortfolioEntry> rows{{"B1", 100.0}};
    EXPECT_EQ(StorePortfolio(rows), expected);
    const PortfolioFile back = ReadPortfolio(Bytes(expected));
    EXPECT_EQ(back.error, PortfolioFileError::None);
    EXPECT_EQ(back.rows, rows);
}

TEST(PortfolioFile, RoundTrips)
{
    const std::vector<PortfolioEntry> empty;
    const std::string emptyFile = StorePortfolio(empty);
    EXPECT_EQ(emptyFile, kMagic + Hex({0, 0, 0, 0}));
    EXPECT_EQ(ReadPortfolio(Bytes(emptyFile)).error, PortfolioFileError::None);
    EXPECT_TRUE(ReadPortfolio(Bytes(emptyFile)).rows.empty());

    std::vector<PortfolioEntry> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back({"ID" + std::to_string(i), i * 1.5 - 3});
    rows[3].id = "";
    rows[4].id = "\xc3\xa9t\xc3\xa9 2030"; // é in the file's code page is one byte
    rows[5].id = std::string(300, 'L');    // longer than one length byte says
    rows[6].id = "  padded  ";
    const std::string file = StorePortfolio(rows);
    EXPECT_NE(file.find("\xe9t\xe9 2030"), std::string::npos);
    EXPECT_NE(file.find(Hex({0xFF, 0x2C, 0x01})), std::string::npos);
    const PortfolioFile back = ReadPortfolio(Bytes(file));
    ASSERT_EQ(back.error, PortfolioFileError::None);
    EXPECT_EQ(back.rows, rows);

    // Whatever follows the last row is ignored.
    EXPECT_EQ(ReadPortfolio(Bytes(file + "trailing")).rows, rows);
}

TEST(PortfolioFile, HeaderFaultsAreTheWrongFormat)
{
    EXPECT_EQ(ReadPortfolio(Bytes(kMagic.substr(0, 8))).error, PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes("")).error, PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes(std::string("Tenvix2F!") + Hex({0, 0, 0, 0}))).error, PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes(std::string("tenvix2F", 8) + Hex({0, 0, 0, 0, 0}))).error,
              PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes(kMagic + Hex({21, 0, 0, 0}))).error, PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes(kMagic + Hex({0xFF, 0xFF, 0xFF, 0xFF}))).error, PortfolioFileError::WrongFormat);
    EXPECT_EQ(ReadPortfolio(Bytes(kMagic + Hex({0, 0, 0, 0x80}))).error, PortfolioFileError::WrongFormat);
}

TEST(PortfolioFile, EveryEarlyEndIsCaughtBeforeARowIsGiven)
{
    std::vector<PortfolioEntry> rows{{"A", 1}, {"BB", 2}, {"CCC", 3}};
    const std::string file = StorePortfolio(rows);
    for (std::size_t n = 0; n < file.size(); ++n) {
        const PortfolioFile cut = ReadPortfolio(Bytes(file.substr(0, n)));
        EXPECT_EQ(cut.error, n < 9 ? PortfolioFileError::WrongFormat : PortfolioFileError::Truncated) << n;
        EXPECT_TRUE(cut.rows.empty()) << n;
    }
}

TEST(PortfolioFile, LengthsThatLieAndTheWideForm)
{
    const std::string one = kMagic + Hex({1, 0, 0, 0});
    const std::string units = Hex({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}); // 1.0
    // Wide marker, then a one-byte length of two characters, UTF-16LE "B1".
    const PortfolioFile wide = ReadPortfolio(Bytes(one + Hex({0xFF, 0xFE, 0xFF, 0x02, 'B', 0, '1', 0}) + units));
    ASSERT_EQ(wide.error, PortfolioFileError::None);
    EXPECT_EQ(wide.rows, (std::vector<PortfolioEntry>{{"B1", 1.0}}));
    const PortfolioFile wideAccent = ReadPortfolio(Bytes(one + Hex({0xFF, 0xFE, 0xFF, 0x01, 0xE9, 0x00}) + units));
    EXPECT_EQ(wideAccent.rows.at(0).id, "\xc3\xa9");

    // Lengths far beyond the file, in each of the length forms.
    for (const std::string& lie : {Hex({0xFE}), Hex({0xFF, 0xFD, 0xFF}), Hex({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
                                   Hex({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}) {
        const PortfolioFile f = ReadPortfolio(Bytes(one + lie + std::string(16, 'x')));
        EXPECT_EQ(f.error, PortfolioFileError::Truncated);
        EXPECT_TRUE(f.rows.empty());
    }
}

} // namespace
} // namespace tenvix
