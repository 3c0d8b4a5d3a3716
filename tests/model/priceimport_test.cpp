// Importing prices: the price fields of real files, the columns found in
// them, the verdict on every row, and that nothing changes before the one
// step that writes the prices.

#include "model/pricemessages.h"

#include "model/priceupdate.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

using namespace tenvix;

namespace {

constexpr std::int32_t kStand = 45000;

struct Db {
    CBondList list;
    CBond* Add(std::string id, float price, std::int32_t maturity = kStand + 1000)
    {
        return &test::AddRecord(list, std::move(id), price, maturity);
    }
    std::vector<float> Prices() const
    {
        std::vector<float> prices;
        for (const auto& bond : list.m_list)
            prices.push_back(bond->m_fPrice);
        return prices;
    }
};

struct Verdicts {
    PriceFile file;
    std::vector<PriceVerdict> verdicts;
};

Verdicts Judge(Db& db, std::string_view text, double threshold = kLargeChangePercent)
{
    const BondIdIndex index(db.list.m_list);
    Verdicts v{ReadPriceFile(text, index), {}};
    v.verdicts = JudgePrices(v.file, index, kStand, threshold);
    return v;
}

} // namespace

TEST(PriceImport, PriceFields)
{
    constexpr DecimalMark kNone = DecimalMark::Undecided, kComma = DecimalMark::Comma, kPoint = DecimalMark::Point;
    struct Case {
        const char* text;
        bool commaSeparated;
        DecimalMark mark;
        PriceRefusal refusal;
        double value;
    };
    const PriceRefusal ok = PriceRefusal::None, nan = PriceRefusal::NotANumber, k = PriceRefusal::ThousandsSeparator,
                       range = PriceRefusal::OutOfRange, amb = PriceRefusal::Ambiguous;
    // clang-format off
    const Case cases[] = {
        {"101.5", false, kNone, ok, 101.5},
        {"  101.5 ", true, kNone, ok, 101.5},
        {"101,5", false, kNone, ok, 101.5},
        {"+99,875", false, kComma, ok, 99.875},
        {"0,0001", false, kNone, ok, 0.0001},
        {".5", false, kNone, ok, 0.5},
        {"1e2", true, kNone, ok, 100.0},
        {"1,5e2", false, kNone, ok, 150.0},
        {"100", true, kNone, ok, 100.0},
        // A doubtful "1.234" or "1,234" waits for the decimal mark.
        {"1.234", false, kNone, amb, 0.0},
        {"1.234", false, kPoint, ok, 1.234},
        {"1.234", false, kComma, k, 0.0},
        {"1,234", false, kNone, amb, 0.0},
        {"-123,456", false, kComma, range, -123.456},
        {"1,234", false, kPoint, k, 0.0},
        {"1.234", true, kNone, amb, 0.0},
        // No doubt with a whole part of 0, or of more than three digits.
        {"0.125", false, kComma, ok, 0.125},
        {"00,125", false, kPoint, ok, 0.125},
        {"1234.567", false, kComma, ok, 1234.567},
        // No decimal comma in a comma-separated file.
        {"1,234", true, kNone, k, 0.0},
        {"101,5", true, kComma, nan, 0.0},
        {"1.234,56", false, kNone, k, 0.0},
        {"1,234.56", true, kNone, k, 0.0},
        {"-1.234,56", false, kNone, k, 0.0},
        {"1.234.567", false, kNone, k, 0.0},
        {"1,234,567", false, kNone, k, 0.0},
        {"1 234,56", false, kNone, k, 0.0},
        {"1'234.50", false, kNone, k, 0.0},
        {"1\xe2\x80\x99" "234.50", false, kNone, k, 0.0},
        {"1\xc2\xa0" "234,5", false, kNone, k, 0.0},
        {"12\xe2\x80\xaf" "345", false, kNone, k, 0.0},
        // Dates and other numbers that are no prices.
        {"31.05.2024", false, kNone, nan, 0.0},
        {"2024-05-31", false, kNone, nan, 0.0},
        {"1.23.456", false, kNone, nan, 0.0},
        {"1 2", false, kNone, nan, 0.0},
        {"12.5x", false, kNone, nan, 0.0},
        {"1,2,3e1", false, kNone, nan, 0.0},
        {"1,5e2", true, kNone, nan, 0.0},
        {"n/a", false, kNone, nan, 0.0},
        {"EUR 101.5", false, kNone, nan, 0.0},
        {"inf", false, kNone, nan, 0.0},
        {"", false, kNone, PriceRefusal::NoPrice, 0.0},
        // The window's range.
        {"0", false, kNone, range, 0.0},
        {"-5", false, kNone, range, -5.0},
        {"0,00009", false, kNone, range, 0.00009},
        {"2e18", false, kNone, range, 2e18},
        {"1e18", false, kNone, ok, 1e18},
    };
    // clang-format on
    for (const Case& c : cases) {
        const PriceReading r = ReadImportedPrice(c.text, c.commaSeparated, c.mark);
        EXPECT_EQ(r.refusal, c.refusal) << c.text;
        if (r.refusal == ok || r.refusal == range) {
            EXPECT_DOUBLE_EQ(r.value, c.value) << c.text;
        }
    }
}

// A plain price reads exactly as the price update window reads it typed
// (with a full stop), to the last bit: long and short, with leading zeros,
// many decimals, signs, and on both sides of the range.
TEST(PriceImport, PlainPricesReadAsTheWindowReads)
{
    std::mt19937 rng(23);
    auto digits = [&](int most) {
        std::string out(std::uniform_int_distribution<std::size_t>(0, static_cast<std::size_t>(most))(rng), '0');
        for (char& c : out)
            c = static_cast<char>('0' + std::uniform_int_distribution<int>(0, 9)(rng));
        return out;
    };
    for (int k = 0; k < 200000; ++k) {
        const int sign = std::uniform_int_distribution<int>(0, 5)(rng);
        std::string whole = (sign == 0 ? "-" : sign == 1 ? "+" : "") + digits(k % 3 == 0 ? 20 : 4);
        const std::string decimals = digits(k % 5 == 0 ? 25 : 4);
        const bool mark = k % 4 != 0;
        // Leave out "1.234" and "1,234", which depend on the file, and the
        // empty field, which is no price here rather than a price of 0.
        if ((mark && decimals.size() == 3) || (!mark && whole.empty() && decimals.empty()))
            continue;
        const std::string withPoint = whole + (mark ? "." : "") + decimals;
        const NewPrice window = ReadNewPrice(withPoint);
        for (const char m : {'.', ','}) {
            const std::string text = whole + (mark ? std::string(1, m) : "") + decimals;
            const PriceReading r = ReadImportedPrice(text, false, DecimalMark::Undecided);
            const bool ok = window.check == PriceCheck::OK;
            ASSERT_EQ(r.refusal, ok                                       ? PriceRefusal::None
                                 : window.check == PriceCheck::OutOfRange ? PriceRefusal::OutOfRange
                                                                          : PriceRefusal::NotANumber)
                << text;
            ASSERT_EQ(ok ? r.value : 0.0, ok ? window.value : 0.0) << text;
        }
    }
}

TEST(PriceImport, FindsTheColumns)
{
    Db db;
    db.Add("DE0001", 100.0f);
    db.Add("XS0002", 100.0f);
    const BondIdIndex index(db.list.m_list);
    struct Case {
        const char* what;
        const char* text;
        bool header;
        std::size_t id, price;
        std::vector<std::pair<std::string, std::string>> rows;
    };
    // clang-format off
    const Case cases[] = {
        {"German bank, headings", "ISIN;Name;Kurs\nDE0001;Bund 2030;101,5\n", true, 0, 2, {{"DE0001", "101,5"}}},
        {"headings in any case, as words", "Name,Last Price,Security ID\nBund,101.5,DE0001\n", true, 2, 1,
         {{"DE0001", "101.5"}}},
        {"a heading that is the word wins over one that holds it", "Bond name;ISIN;Price date;Close\nB;DE0001;x;99\n",
         true, 1, 3, {{"DE0001", "99"}}},
        {"a named column of words is passed over for one of numbers",
         "ISIN;Price;Kurs\nDE0001;n/a;99,5\nXS0002;n/a;98\n", true, 0, 2, {{"DE0001", "99,5"}, {"XS0002", "98"}}},
        {"no headings: the column of identifiers, then the numbers after it",
         "Bund 2030;12;DE0001;31.05.2024;101,5\nAnleihe;7;XS0002;31.05.2024;99\n", false, 2, 4,
         {{"DE0001", "101,5"}, {"XS0002", "99"}}},
        {"headings of unknown words", "Wertpapier;Preis\nDE0001;101\n", true, 0, 1, {{"DE0001", "101"}}},
        {"no headings and no known identifier", "AB12;99.5\nCD34;98\n", false, 0, 1, {{"AB12", "99.5"}, {"CD34", "98"}}},
        {"short rows have empty fields", "ISIN;Kurs\nDE0001\n;5\n", true, 0, 1, {{"DE0001", ""}, {"", "5"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const PriceFile file = ReadPriceFile(c.text, index);
        ASSERT_EQ(file.error, PriceFileError::None) << c.what;
        EXPECT_EQ(file.header, c.header) << c.what;
        EXPECT_EQ(file.idColumn, c.id) << c.what;
        EXPECT_EQ(file.priceColumn, c.price) << c.what;
        std::vector<std::pair<std::string, std::string>> rows;
        for (const PriceRow& row : file.rows)
            rows.emplace_back(row.id, row.price);
        EXPECT_EQ(rows, c.rows) << c.what;
    }
    // Rows keep the line numbers the reader gives (CsvReader.ShapesOfRealFiles,
    // blank lines and quoted line ends counted), as VerdictsThenApply shows.
}

TEST(PriceImport, FilesItCannotRead)
{
    Db db;
    db.Add("DE0001", 100.0f);
    const BondIdIndex index(db.list.m_list);
    // Text in an encoding the reader does not take is named, so that the
    // user knows what to save it as; binary data stays "not a text file".
    auto wide = [](std::string_view ascii, std::size_t width, bool bigEndian) {
        std::string out;
        for (const char c : ascii) {
            std::string unit(width, '\0');
            unit[bigEndian ? width - 1 : 0] = c;
            out += unit;
        }
        return out;
    };
    const std::string text = "ISIN;Kurs\r\nDE0001;101,5\r\n";
    constexpr PriceFileError kEncoding = PriceFileError::UnreadEncoding;
    const std::tuple<std::string, PriceFileError, const char*> cases[] = {
        {"", PriceFileError::Empty, "The file holds no prices ."},
        {"\r\n ;; \n\n", PriceFileError::Empty, "The file holds no prices ."},
        {"ISIN;Kurs\n", PriceFileError::Empty, "The file holds no prices ."},
        {"DE0001\nXS2\n", PriceFileError::NoPriceColumn, "No column of prices found ."},
        {"ISIN;Name\nDE0001;Bund\n", PriceFileError::NoPriceColumn, "No column of prices found ."},
        {std::string("ISIN;Kurs\nDE0001;1\x00\n", 20), PriceFileError::NotText, "This is not a text file ."},
        {"a;1\nb;2\n\"c;3\n", PriceFileError::QuoteNotClosed, "The quote that opens in line 3 is not closed ."},
        {"a;1\n" + std::string(kMaxCsvRecordBytes + 1, 'x'), PriceFileError::LineTooLong,
         "Line 2 is longer than 1048576 bytes ."},
        {"a;1\n" + std::string(kMaxCsvColumns + 1, ';'), PriceFileError::TooManyColumns,
         "Line 2 has more than 4096 columns ."},
        {std::string("\xFF\xFE\0\0", 4) + wide(text, 4, false), kEncoding,
         "The file is in UTF-32LE, which cannot be read ; save it as UTF-8 ."},
        {std::string("\0\0\xFE\xFF", 4) + wide(text, 4, true), kEncoding,
         "The file is in UTF-32BE, which cannot be read ; save it as UTF-8 ."},
        {wide(text, 2, false), kEncoding,
         "The file is in UTF-16LE without a byte order mark, which cannot be read ; save it as UTF-8 ."},
        {wide("ISIN;Kurs\r\nSoci\xe9t\xe9;1\r\n", 2, true), kEncoding,
         "The file is in UTF-16BE without a byte order mark, which cannot be read ; save it as UTF-8 ."},
        {wide(text, 4, false), kEncoding,
         "The file is in UTF-32LE without a byte order mark, which cannot be read ; save it as UTF-8 ."},
    };
    for (const auto& [bytes, error, message] : cases) {
        const PriceFile file = ReadPriceFile(bytes, index);
        EXPECT_EQ(file.error, error) << message;
        EXPECT_EQ(PriceFileErrorText(file), message);
        EXPECT_TRUE(file.rows.empty()) << message;
    }

    // Too many rows, in the sample and after it.
    for (const std::size_t rows : {10u, 5000u}) {
        std::string text;
        for (std::size_t k = 0; k <= rows; ++k)
            text += "DE0001;1\n";
        PriceFile file = ReadPriceFile(text, index, {}, rows);
        EXPECT_EQ(
            std::tuple(file.error, PriceFileErrorText(file), file.rows.size()),
            std::tuple(PriceFileError::TooManyRows, "The file has more than " + std::to_string(rows) + " rows .", 0u));
        file = ReadPriceFile(text, index, {}, rows + 1);
        EXPECT_EQ(std::tuple(file.error, file.rows.size()), std::tuple(PriceFileError::None, rows + 1));
    }
}

// Every kind of verdict in one file, and nothing written until ApplyPrices.
TEST(PriceImport, VerdictsThenApply)
{
    Db db;
    CBond* a1 = db.Add("A1", 100.0f);
    CBond* b2 = db.Add("B2", 100.0f);
    CBond* c3 = db.Add("C3", 100.0f, kStand);     // matures on the stand day
    CBond* d4 = db.Add("D4", 100.0f, kStand + 1); // one day later
    db.Add("DUP", 100.0f);
    db.Add("DUP", 100.0f);
    db.Add("e5", 100.0f);
    CBond* e5 = db.Add("E5", 100.0f);
    CBond* f6 = db.Add("F6", 0.0f);
    CBond* g7 = db.Add("G7", 12.345f);
    CBond* h8 = db.Add("H8", 100.0f);
    CBond* i9 = db.Add("I9", 100.0f);
    CBond* j10 = db.Add("J10", 100.0f);
    db.Add("K11", 100.0f);
    const std::vector<float> before = db.Prices();

    using K = PriceVerdictKind;
    // The file's rows after its heading, from line 2, each with its verdict.
    const struct {
        const char* row;
        K kind;
        const char* reason;
        CBond* bond;
    } rows[] = {
        {"A1;101,5", K::Update, "", a1},
        {"b2;130", K::Update, "", b2}, // large
        {"C3;99", K::NotAlive, "", c3},
        {"D4;79,9", K::Update, "", d4}, // large
        {"XX;1", K::Unknown, "", nullptr},
        {"DUP;1", K::Refused, "ID matches 2 bonds !", nullptr},
        {"E5;50", K::Update, "", e5}, // the exact one of two
        {"e6;1", K::Unknown, "", nullptr},
        {"F6;1", K::Update, "", f6}, // from 0
        // G7 has two prices over lines 11, 12 and 25: 12,35 is another one.
        {"G7;12,345", K::Refused, "Same ID with another price in line 25 !", g7},
        {"g7;12,3450001", K::Refused, "Same bond with another price in line 25 !", g7}, // the same float
        {"H8;5", K::Refused, "Same bond with another price in line 14 !", h8},
        {"h8;6", K::Refused, "Same bond with another price in line 13 !", h8},
        {"I9;5", K::Refused, "Same ID with another price in line 16 !", i9},
        {"I9;6", K::Refused, "Same ID with another price in line 15 !", i9},
        {"I9;5", K::Refused, "Same ID with another price in line 16 !", i9},
        {"J10;7", K::Update, "", j10},
        {"j10;7,0", K::Update, "", j10},
        {"K11;abc", K::Refused, "Invalid price !", nullptr},
        {"K11;0", K::Refused, "New Price out of range !", nullptr},
        {";5", K::Refused, "No ID !", nullptr},
        {"K11;1.234,5", K::Refused, "Thousands separators not accepted !", nullptr},
        {"K11;", K::Refused, "No price !", nullptr},
        {"G7;12,35", K::Refused, "Same ID with another price in line 11 !", g7},
    };
    std::string text = "ISIN;Kurs\n";
    for (const auto& row : rows)
        text += std::string(row.row) + "\n";
    const Verdicts v = Judge(db, text);
    ASSERT_EQ(v.file.error, PriceFileError::None);
    ASSERT_EQ(v.verdicts.size(), std::size(rows));
    for (std::size_t i = 0; i < v.verdicts.size(); ++i) {
        const PriceVerdict& got = v.verdicts[i];
        EXPECT_EQ(v.file.rows[i].line, static_cast<std::int64_t>(i + 2));
        EXPECT_EQ(got.kind, rows[i].kind) << rows[i].row;
        EXPECT_EQ(PriceRefusalText(got), rows[i].reason) << rows[i].row;
        if (rows[i].kind != K::Refused) {
            EXPECT_EQ(got.bond, rows[i].bond) << rows[i].row;
        }
    }
    EXPECT_DOUBLE_EQ(v.verdicts[0].oldPrice, 100.0);
    EXPECT_DOUBLE_EQ(v.verdicts[0].newPrice, 101.5);
    EXPECT_DOUBLE_EQ(v.verdicts[0].changePercent, 1.5);
    EXPECT_NEAR(v.verdicts[3].changePercent, -20.1, 1e-5);
    EXPECT_TRUE(std::isinf(v.verdicts[8].changePercent));
    EXPECT_EQ((std::vector{v.verdicts[0].largeChange, v.verdicts[1].largeChange, v.verdicts[3].largeChange,
                           v.verdicts[8].largeChange}),
              (std::vector{false, true, true, true}));
    EXPECT_EQ(v.verdicts[5].matches, 2);
    EXPECT_STREQ(PriceVerdictName(v.verdicts[2].kind), "not_alive");

    EXPECT_EQ(db.Prices(), before); // judging changed nothing

    // One step writes the seven updates, as floats, into six bonds (J10 is
    // given the same price twice); the rest keep their prices.
    EXPECT_EQ(ApplyPrices(v.verdicts), 6u);
    // A1, B2, C3, D4, DUP, DUP, e5, E5, F6, G7, H8, I9, J10, K11
    EXPECT_EQ(db.Prices(), (std::vector<float>{101.5f, 130.0f, 100.0f, 79.9f, 100.0f, 100.0f, 100.0f, 50.0f, 1.0f,
                                               12.345f, 100.0f, 100.0f, 7.0f, 100.0f}));
    EXPECT_EQ(ApplyPrices(v.verdicts), 0u);
}

// A bank writes a thousand as "1.012"; read as one point zero one two it
// would store a price a thousand times too small. A price whose only mark
// could be either is read only where the file's other prices tell which mark
// is the decimal one, never from the separator.
TEST(PriceImport, AmbiguousPricesWaitForTheFilesDecimalMark)
{
    Db db;
    db.Add("DE0001", 1012.5f);
    db.Add("DE0002", 0.2f);
    db.Add("DE0003", 99.0f);
    using K = PriceVerdictKind;
    struct Case {
        const char* what;
        const char* text;
        K first;
        const char* reason;
    };
    // clang-format off
    const Case cases[] = {
        {"nothing decides: refused", "DE0001;1.012\nDE0003;99\n", K::Refused, "Ambiguous number !"},
        {"a comma the same", "DE0001;1,012\nDE0003;99\n", K::Refused, "Ambiguous number !"},
        {"so in a comma-separated file", "DE0001,1.012\nDE0003,99\n", K::Refused, "Ambiguous number !"},
        {"both marks shown decide nothing", "DE0001;1.012\nDE0003;99.5\nDE0003;99,5\n", K::Refused,
         "Ambiguous number !"},
        {"a decimal comma elsewhere: a thousand", "DE0001;1.012\nDE0003;99,5\n", K::Refused,
         "Thousands separators not accepted !"},
        {"a decimal point elsewhere: a price", "DE0001;1.012\nDE0003;99.5\n", K::Update, ""},
        {"a whole part of 0 is no thousand, so it shows the mark", "DE0001;1.012\nDE0002;0.125\n", K::Update, ""},
        {"nor is a whole part of four digits", "DE0001;1,012\nDE0003;1234,567\n", K::Update, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        const Verdicts v = Judge(db, c.text);
        ASSERT_EQ(v.file.error, PriceFileError::None) << c.what;
        EXPECT_EQ(v.verdicts.at(0).kind, c.first) << c.what;
        EXPECT_EQ(PriceRefusalText(v.verdicts[0]), c.reason) << c.what;
        if (c.first == K::Update) {
            EXPECT_DOUBLE_EQ(v.verdicts[0].newPrice, 1.012) << c.what;
            EXPECT_EQ(v.verdicts[1].kind, K::Update) << c.what;
        }
    }
}

TEST(PriceImport, UnchangedMeansTheSameFloat)
{
    Db db;
    db.Add("G7", 12.345f);
    for (const auto& [text, kind] : std::vector<std::pair<const char*, PriceVerdictKind>>{
             {"G7;12.3450", PriceVerdictKind::Unchanged},
             {"G7;12.3450001", PriceVerdictKind::Unchanged},
             {"G7;12.34500000000000063948846218409016", PriceVerdictKind::Unchanged},
             {"G7;12.3451", PriceVerdictKind::Update},
             {"G7;12.35", PriceVerdictKind::Update}}) {
        const Verdicts v = Judge(db, text);
        ASSERT_EQ(v.verdicts.size(), 1u) << text;
        EXPECT_EQ(v.verdicts[0].kind, kind) << text;
    }
    // The threshold is the caller's.
    EXPECT_FALSE(Judge(db, "G7;14", 20.0).verdicts.at(0).largeChange);
    EXPECT_TRUE(Judge(db, "G7;14", 10.0).verdicts.at(0).largeChange);
    // Moved later, it flags the prices to store, and only those.
    Verdicts v = Judge(db, "G7;14\nG8;1\n");
    v.verdicts[1].changePercent = 50.0;
    EXPECT_EQ(MarkLargeChanges(v.verdicts, 10.0), 1u);
    EXPECT_EQ(std::tuple(v.verdicts[0].largeChange, v.verdicts[1].largeChange), std::tuple(true, false));
    EXPECT_EQ(MarkLargeChanges(v.verdicts, 15.0), 0u);
    EXPECT_FALSE(v.verdicts[0].largeChange);
}

TEST(PriceImport, ProgressCanCancel)
{
    Db db;
    db.Add("DE0001", 1.0f);
    const BondIdIndex index(db.list.m_list);
    std::string text;
    for (int k = 0; k < 200000; ++k)
        text += "DE0001;2\n";
    int calls = 0;
    const PriceFile read = ReadPriceFile(text, index, [&](std::size_t done, std::size_t total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    });
    EXPECT_EQ(std::tuple(calls, read.error, read.rows.size()), std::tuple(2, PriceFileError::Cancelled, 0u));

    const PriceFile file = ReadPriceFile(text, index);
    ASSERT_EQ(file.rows.size(), 200000u);
    calls = 0;
    const auto verdicts =
        JudgePrices(file, index, kStand, kLargeChangePercent, [&](std::size_t, std::size_t) { return ++calls < 4; });
    EXPECT_TRUE(verdicts.empty()); // judging writes nothing: VerdictsThenApply
}

// Clean quotes: the conflicts, the unchanged rows and the large changes are
// about the price to store, not the quote; what a verdict shows follows.
TEST(PriceImport, CleanQuotesAreJudgedByThePriceToStore)
{
    Db db;
    // Face 200 paying 6 a year, half a year from its next coupon on 1 July
    // 2026 (the stand day): 3 accrued.
    const double stand = test::Day(2026, 7, 1);
    const auto add = [&](const char* id, float price) {
        db.list.m_list.push_back(
            test::StdBond(id, 12, 6.0f, 200.0f, price, test::Day(2020, 1, 1), test::Day(2030, 1, 1)));
    };
    add("A", 203.0f);
    add("B", 100.0f);
    add("C", 150.0f);
    const BondIdIndex index(db.list.m_list);
    // A: the quote 100 of 200 and 3 accrued is the stored price: unchanged,
    // whatever the other row of it writes, as long as it makes that price.
    // B: 101 makes 205, more than 20 % up from 100. C: two quotes, two prices.
    const PriceFile file = ReadPriceFile("ID;Kurs\nA;100\na;100,00\nB;101\nC;70\nC;71\n", index);
    const std::vector<PriceVerdict> v =
        JudgePrices(file, index, DaySerial(stand), kLargeChangePercent, {}, PriceQuotes::Clean);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(std::tuple(v[0].kind, v[1].kind, v[2].kind, v[3].kind, v[4].kind),
              std::tuple(PriceVerdictKind::Unchanged, PriceVerdictKind::Unchanged, PriceVerdictKind::Update,
                         PriceVerdictKind::Refused, PriceVerdictKind::Refused));
    EXPECT_NEAR(v[2].accrued, 3.0, 1e-6);
    EXPECT_NEAR(v[2].newPrice, 205.0, 1e-6);
    EXPECT_TRUE(v[2].largeChange);
    EXPECT_EQ(PriceRefusalText(v[3]), "Same ID with another price in line 6 !");
    const VerdictFigures shown = FiguresOf(v[3]);
    EXPECT_TRUE(shown.quote && shown.accrued && shown.newPrice && shown.oldPrice && !shown.change);
    EXPECT_EQ(ApplyPrices(v), 1u);
    EXPECT_EQ(db.Prices(), (std::vector<float>{203.0f, 205.0f, 150.0f}));
}
