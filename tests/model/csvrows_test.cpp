// The one reading of files of rows: the layout from the first records, every
// data row handed over in file order with its line, and the limits.

#include "model/csvrows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tenvix {
namespace {

// Takes the first record as a heading when it starts with "key", and refuses
// the file when the first data row has fewer than two fields.
struct Collect final : RowsTaker {
    RowsLayout Layout(std::span<const CsvRecord> sample, char separator) override
    {
        seenSeparator = separator;
        sampled = sample.size();
        RowsLayout layout;
        layout.header = !sample.front().fields.empty() && sample.front().fields[0] == "key";
        const auto data = sample.subspan(layout.header ? 1 : 0);
        layout.found = data.empty() || data.front().fields.size() >= 2;
        return layout;
    }
    void Take(const CsvRecord& record) override
    {
        lines.push_back(record.line);
        firsts.push_back(record.fields.empty() ? std::string() : record.fields[0]);
    }
    char seenSeparator = 0;
    std::size_t sampled = 0;
    std::vector<std::int64_t> lines;
    std::vector<std::string> firsts;
};

TEST(ReadRows, HandsOverDataRowsInOrderWithTheirLines)
{
    Collect taker;
    const RowsRead read = ReadRows("key;value\r\n\r\na;1\n\"b\nc\";2\nd;3\n", taker, {}, 10);
    ASSERT_EQ(read.error, RowsFileError::None);
    EXPECT_TRUE(read.header);
    EXPECT_EQ(read.separator, ';');
    EXPECT_EQ(taker.seenSeparator, ';');
    EXPECT_EQ(read.rows, 3u);
    EXPECT_EQ(taker.lines, (std::vector<std::int64_t>{3, 4, 6}));
    EXPECT_EQ(taker.firsts, (std::vector<std::string>{"a", "b\nc", "d"}));
}

TEST(ReadRows, RefusesWhatTheLayoutAndTheLimitsRefuse)
{
    {
        Collect taker;
        EXPECT_EQ(ReadRows("a\nb\n", taker, {}, 10).error, RowsFileError::NoColumns);
        EXPECT_TRUE(taker.lines.empty());
    }
    {
        Collect taker;
        EXPECT_EQ(ReadRows("key,value\n", taker, {}, 10).error, RowsFileError::Empty);
        EXPECT_EQ(ReadRows(" \r\n,,\n", taker, {}, 10).error, RowsFileError::Empty);
    }
    // The limit counts data rows, the heading aside, in the sample and after it.
    for (const std::size_t rows : {std::size_t{3}, std::size_t{1200}}) {
        std::string text = "key,value\n";
        for (std::size_t k = 0; k < rows; ++k)
            text += "a,1\n";
        Collect exact;
        EXPECT_EQ(ReadRows(text, exact, {}, rows).error, RowsFileError::None) << rows;
        Collect over;
        const RowsRead read = ReadRows(text + "a,1\n", over, {}, rows);
        EXPECT_EQ(read.error, RowsFileError::TooManyRows) << rows;
        EXPECT_EQ(read.errorDetail, static_cast<std::int64_t>(rows));
    }
    {
        Collect taker;
        const RowsRead read = ReadRows("a,1\n\"b,2\n", taker, {}, 10);
        EXPECT_EQ(read.error, RowsFileError::QuoteNotClosed);
        EXPECT_EQ(read.errorDetail, 2);
    }
}

} // namespace
} // namespace tenvix
