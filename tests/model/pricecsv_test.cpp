// The CSV reader against the shapes bank downloads and spreadsheets produce,
// and against files made to hurt it.

#include "model/pricecsv.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace tenvix;

namespace {

struct Read {
    char separator = 0;
    CsvEncoding encoding = CsvEncoding::Utf8;
    CsvError error = CsvError::None;
    std::int64_t errorLine = 0;
    std::vector<std::pair<std::int64_t, std::vector<std::string>>> records;
};

Read ReadAll(std::string_view bytes)
{
    CsvReader reader(bytes);
    Read r;
    r.separator = reader.Separator();
    r.encoding = reader.Encoding();
    CsvRecord record;
    while (reader.Next(record))
        r.records.emplace_back(record.line, record.fields);
    r.error = reader.Error();
    r.errorLine = reader.ErrorLine();
    return r;
}

using Fields = std::vector<std::string>;

std::string Utf16(std::u16string_view text, bool bigEndian = false)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace

TEST(CsvReader, ShapesOfRealFiles)
{
    struct Case {
        const char* what;
        std::string bytes;
        char separator;
        std::vector<std::pair<std::int64_t, Fields>> records;
    };
    // clang-format off
    const Case cases[] = {
        {"Windows line ends", "ISIN,Price\r\nDE1,101.5\r\n", ',', {{1, {"ISIN", "Price"}}, {2, {"DE1", "101.5"}}}},
        {"old Mac line ends, no final one", "a;1\rb;2", ';', {{1, {"a", "1"}}, {2, {"b", "2"}}}},
        {"blank lines and rows of empty fields keep the count", "a\t1\n\n   \n\t\nb\t2\n", '\t',
         {{1, {"a", "1"}}, {5, {"b", "2"}}}},
        {"decimal commas do not make a comma file", "DE1;101,5\nDE2;99,25\nDE3;100\n", ';',
         {{1, {"DE1", "101,5"}}, {2, {"DE2", "99,25"}}, {3, {"DE3", "100"}}}},
        {"empty rows as spreadsheets save them", "a;1;\n;;\nb;2;\n", ';', {{1, {"a", "1", ""}}, {3, {"b", "2", ""}}}},
        {"a separator inside quotes does not count", "\"Bank, Inc\";\"x;y\";3\n\"A, B\";z;4\n", ';',
         {{1, {"Bank, Inc", "x;y", "3"}}, {2, {"A, B", "z", "4"}}}},
        {"doubled quotes", "\"he said \"\"hi\"\"\",1\n\"\"\"\",2\n\"\",3\n", ',',
         {{1, {"he said \"hi\"", "1"}}, {2, {"\"", "2"}}, {3, {"", "3"}}}},
        {"a line end inside quotes joins two lines", "\"a\r\nb\",1\n\"c\rd\ne\",2\nf,3", ',',
         {{1, {"a\r\nb", "1"}}, {3, {"c\rd\ne", "2"}}, {6, {"f", "3"}}}},
        {"blanks around fields, kept inside quotes", "  a  ;  \" b \"  ;  c  \n", ';', {{1, {"a", " b ", "c"}}}},
        {"text after a closing quote stays", "\"abc\" def,1\n", ',', {{1, {"abc def", "1"}}}},
        {"a quote inside a field is a character", "a\"b;1\n", ';', {{1, {"a\"b", "1"}}}},
        {"a trailing separator is an empty field", "a,1,\n", ',', {{1, {"a", "1", ""}}}},
        {"tabs win a tie with commas", "a\t1,5\n", '\t', {{1, {"a", "1,5"}}}},
        {"one column", "a\nb\n", ',', {{1, {"a"}}, {2, {"b"}}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const Read r = ReadAll(c.bytes);
        EXPECT_EQ(r.error, CsvError::None) << c.what;
        EXPECT_EQ(r.separator, c.separator) << c.what;
        EXPECT_EQ(r.records, c.records) << c.what;
    }
}

TEST(CsvReader, Encodings)
{
    // The byte order mark is no part of the first heading.
    auto first = [](const Read& r) { return std::pair(r.encoding, r.records.at(0).second); };
    Read r = ReadAll("\xEF\xBB\xBFISIN;Kurs\nDE1;1\n");
    EXPECT_EQ(first(r), std::pair(CsvEncoding::Utf8Bom, Fields{"ISIN", "Kurs"}));
    EXPECT_EQ(first(ReadAll("Soci\xc3\xa9t\xc3\xa9;\xe2\x82\xac 1\n")),
              std::pair(CsvEncoding::Utf8, Fields{"Soci\xc3\xa9t\xc3\xa9", "\xe2\x82\xac 1"}));

    // Not UTF-8: Windows-1252, converted field by field, in quotes too.
    EXPECT_EQ(
        first(ReadAll("Soci\xe9t\xe9;\"\x80 \x93x\x94\"\n")),
        std::pair(CsvEncoding::Cp1252, Fields{"Soci\xc3\xa9t\xc3\xa9", "\xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d"}));
    // One stray byte in an otherwise UTF-8 file makes the whole file 1252.
    EXPECT_EQ(first(ReadAll("\xc3\xa9;1\n\xe9;2\n")), std::pair(CsvEncoding::Cp1252, Fields{"\xc3\x83\xc2\xa9", "1"}));
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(ReadAll("\xc0\xaf;1").encoding, CsvEncoding::Cp1252);
    EXPECT_EQ(ReadAll("\xed\xa0\x80;1").encoding, CsvEncoding::Cp1252);

    // A spreadsheet's "Unicode text": UTF-16 with its mark, tab-separated.
    // Big-endian the same, surrogate pairs in both.
    for (const bool bigEndian : {false, true}) {
        r = ReadAll(Utf16(u"ISIN\tKurs\r\nSoci\u00e9t\u00e9 \U0001F600\t101,5\r\n", bigEndian));
        EXPECT_EQ(r.error, CsvError::None) << bigEndian;
        EXPECT_EQ(r.encoding, bigEndian ? CsvEncoding::Utf16Be : CsvEncoding::Utf16Le);
        EXPECT_EQ(r.separator, '\t');
        ASSERT_EQ(r.records.size(), 2u);
        EXPECT_EQ(r.records[1],
                  (std::pair<std::int64_t, Fields>{2, {"Soci\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80", "101,5"}}));
    }
}

// Binary data (a zero byte, which text never has) and UTF-16 or UTF-32
// without its mark are refused as PriceImport.FilesItCannotRead shows.
TEST(CsvReader, RefusesHostileText)
{
    constexpr std::size_t kMax = kMaxCsvRecordBytes;
    struct Case {
        const char* what;
        std::string bytes;
        CsvError error;
        std::int64_t errorLine;
        std::size_t records;
    };
    const Case cases[] = {
        {"a line too long, after a good one, is named", "a,1\n" + std::string(kMax + 1, 'x') + ",2\n",
         CsvError::RecordTooLong, 2, 1},
        {"the same in quotes", "\"" + std::string(kMax, 'x') + "\",1\n", CsvError::RecordTooLong, 1, 0},
        {"in quotes across lines", "a,\"" + std::string(kMax / 2, '\n') + std::string(kMax / 2, 'x') + "\"\n",
         CsvError::RecordTooLong, 1, 0},
        {"exactly at the limit", std::string(kMax - 2, 'x') + ",1\n", CsvError::None, 0, 1},
        // Refused at the first field too many, long before the end of the line.
        {"ten million columns", std::string(10'000'000, ';'), CsvError::TooManyColumns, 1, 0},
        {"as many columns as may be", "a;1\nb" + std::string(kMaxCsvColumns - 1, ';') + "\n", CsvError::None, 0, 2},
        {"a quote never closed would swallow the rest of the file", "a,1\nb,\"2\nc,3\n", CsvError::QuoteNotClosed, 2,
         1},
    };
    for (const Case& c : cases) {
        const Read r = ReadAll(c.bytes);
        EXPECT_EQ(std::tuple(r.error, r.errorLine, r.records.size()), std::tuple(c.error, c.errorLine, c.records))
            << c.what;
        if (c.error == CsvError::None) {
            EXPECT_EQ(r.records.back().second.size(), c.records == 2 ? kMaxCsvColumns : 2u) << c.what;
        }
    }
}

// Every prefix of a file and random text of the characters that matter end
// in records or an error, and the reader stops.
TEST(CsvReader, EveryPrefixAndRandomText)
{
    const std::string file = "\xEF\xBB\xBF\"ISIN\";\"Name\";\"Kurs\"\r\n"
                             "DE0001;\"Bund \"\"30\"\"\r\n2030\";101,5\r\n"
                             "XS0002;Soci\xc3\xa9t\xc3\xa9;1.234,5\r\n\r\n;;\r\n";
    for (std::size_t n = 0; n <= file.size(); ++n) {
        CsvReader reader(std::string_view(file).substr(0, n));
        CsvRecord record;
        std::int64_t last = 0;
        int records = 0;
        while (reader.Next(record)) {
            EXPECT_GT(record.line, last) << n;
            last = record.line;
            ASSERT_LT(++records, 10) << n;
        }
    }
    std::mt19937 rng(17);
    const char alphabet[] = {'"', ',', ';', '\t', '\r', '\n', ' ', 'a', '1', '\xe9', '\xc3'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, 64)(rng), ' ');
        for (char& c : text)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, sizeof alphabet - 1)(rng)];
        CsvReader reader(text);
        CsvRecord record;
        std::size_t fields = 0;
        while (reader.Next(record)) {
            fields += record.fields.size();
            ASSERT_LE(fields, text.size() + 1);
        }
    }
}
