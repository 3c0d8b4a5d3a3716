// Bonds in from the database's own CSV: export then import gives the same
// file byte for byte, every row gets the verdict the database's rules give
// it, and nothing changes before the one step that applies them.

#include "model/bondimport.h"

#include "examples/generated.h"
#include "examples/sample_data.h"
#include "model/bondfile.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace tenvix;

namespace {

std::string Export(const CBondList& list)
{
    std::string csv;
    AppendBondCsvHeader(csv);
    for (const auto& bond : list.m_list)
        AppendBondCsvRow(csv, *bond);
    return csv;
}

// The file `original` becomes when its export is imported into an empty
// database.
std::string RoundTrip(const std::string& original)
{
    CBondList source;
    EXPECT_TRUE(test::Load(original, source));
    const std::string csv = Export(source);
    CBondList empty;
    // Every record added is the file itself coming back, compared below.
    BondImport judged = JudgeBonds(csv, empty);
    ApplyBonds(empty, judged.verdicts);
    // Judged again, the same file changes nothing.
    const BondCounts again = CountBondVerdicts(JudgeBonds(csv, empty).verdicts);
    EXPECT_EQ(again.add + again.replace, 0u);
    return StoreBondDatabase(empty);
}

// Records the form would save whose every stored field the writer and the
// reader must carry exactly: texts to quote, control characters, Windows-1252
// and its undefined bytes, long identifiers, blanks kept, identifiers twice
// (as two typed beyond Windows-1252 are stored: "?"), the amounts at the
// form's edges, days outside the calendar.
CBondList AwkwardRecords()
{
    CBondList list;
    const std::pair<const char*, const char*> texts[] = {
        {"AN-IDENTIFIER-OF-31-CHARACTERS", "Zürich Kantonalbank € – Œuvre"},
        {" padded ", "  name, \"quoted\"\r\nsecond line\rthird "},
        {"ctl\xC2\x81\xC2\x9D\x01\t\x1b\x7f", "\x02"},
        {"?", "\"\""},
        {"?", ""},
        {"", "empty"},
        {"", "empty again"},
    };
    using Limits = std::numeric_limits<float>;
    const float edges[] = {-0.0f, Limits::denorm_min(), 1e18f, 0.0f, 1e-7f, 123456.789f};
    const float prices[] = {0.00001f, 1e18f, 99.5f, 123456.789f};
    int k = 0;
    for (const auto& [id, name] : texts) {
        for (const float amount : edges) {
            ++k;
            const int period = k % 3 ? 1 + k % 12 : std::numeric_limits<std::int32_t>::max();
            auto b = test::StdBond(id, period, amount, edges[(k + 3) % 6], prices[k % 4], test::Day(2001, 2, 3),
                                   test::Day(2031, 2, 3));
            b->m_strName = name;
            b->m_nRelease = k % 2 ? -700123 : b->m_nRelease;
            b->m_nMaturity = k % 3 ? b->m_nMaturity : 3000456;
            list.m_list.push_back(std::move(b));
        }
        auto free = test::FreeBond(id, prices[k % 4],
                                   {{test::Day(2030, 1, 1), 1e18f}, {test::Day(2029, 1, 1), 0.00001f}, {3000456, 5}});
        free->m_strName = name;
        list.m_list.push_back(std::move(free));
    }
    return list;
}

TEST(BondImport, ExportThenImportGivesTheSameFile)
{
    const std::string cases[] = {
        test::SampleFile(),
        GenerateDatabase(10'000, 7, GeneratedMix::TypeI),
        StoreBondDatabase(AwkwardRecords()),
    };
    for (const std::string& original : cases) {
        EXPECT_TRUE(RoundTrip(original) == original);
    }
}

// Into a database with records, a second row of an identifier is refused, as
// the form refuses an occupied one (two empty ones collide too); into one
// without, such as the file the import makes, every row is the database's
// own export coming back, and each is added in file order.
TEST(BondImport, RowsOfOneIdentifierAreAddedOnlyIntoAnEmptyDatabase)
{
    const std::string csv = std::string(kBondCsvHeader) +
                            "\r\nI,A,first,2001-01-01,2031-01-01,1,1,1,1,"
                            "\r\nI,,,2001-01-01,2031-01-01,1,1,1,1,"
                            "\r\nI, A ,second,2001-01-01,2031-01-01,1,1,1,1,"
                            "\r\nI,,,2001-01-01,2031-01-01,1,1,1,1,\r\n";
    CBondList empty;
    BondImport judged = JudgeBonds(csv, empty);
    EXPECT_EQ(CountBondVerdicts(judged.verdicts).add, 4u);
    ApplyBonds(empty, judged.verdicts);
    std::vector<std::string> names;
    for (const auto& bond : empty.m_list)
        names.push_back(bond->m_strName);
    EXPECT_EQ(names, (std::vector<std::string>{"first", "", "second", ""}));

    CBondList one;
    test::AddRecord(one, "B");
    judged = JudgeBonds(csv, one);
    ASSERT_EQ(judged.verdicts.size(), 4u);
    for (const std::size_t k : {0u, 1u})
        EXPECT_EQ(judged.verdicts[k].kind, BondVerdictKind::Add);
    for (const std::size_t k : {2u, 3u})
        EXPECT_EQ(BondRefusalText(judged.verdicts[k]), "Duplicate ID in the file !");
}

struct Case {
    const char* row;
    const char* verdict;
    const char* reason = "";
};

// Against a database of A1 (Type I), B2 (Type II) and two records of DUP,
// each row alone in a file.
const Case kCases[] = {
    {"I,A1,A1 name,2001-01-01,2031-01-01,99.5,4,12,100,", "unchanged"},
    {"I,A1,A1 name,2001-01-01,2031-01-01,99.25,4,12,100,", "replace"},
    {"I, A1 ,A1 name,2001-01-01,2031-01-01,99.5,4,12,100,", "replace"}, // the same key, another stored ID
    {"I,a1,A1 name,2001-01-01,2031-01-01,99.5,4,12,100,", "add"},       // case counts
    {"II,A1,A1 name,2001-01-01,2031-01-01,99.5,,,,100@2031-01-01", "replace"},
    {"I,ABCDEFGHIJKLMNOPQRSTUVWXYZ,,2001-01-01,2031-01-01,99.5,4,12,100,", "add"},
    // The form's edges are taken, and so is an empty identifier, as the form takes them.
    {"I,,,2001-01-01,2031-01-01,0.00001,0,1,0,", "add"},
    {"I,N1,,-700000,3000000,1e18,1e18,2147483647,1e18,", "add"},
    {"II,N2,,2001-01-01,2031-01-01,0.00001,,,,0.00001@2002-01-01;1e18@2031-01-01", "add"},
    // What the record form refuses, in its words.
    {"I,N3,,2001-01-01,2031-01-01,nan,4,12,100,", "refused", "Invalid Spot Price !"},
    {"I,N3,,2001-01-01,2031-01-01,inf,4,12,100,", "refused", "Invalid Spot Price !"},
    {"I,N3,,2001-01-01,2031-01-01,-inf,4,12,100,", "refused", "Invalid Spot Price !"},
    {"I,N3,,2001-01-01,2031-01-01,-5,4,12,100,", "refused", "Spot Price out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,0,4,12,100,", "refused", "Spot Price out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,1e-40,4,12,100,", "refused", "Spot Price out of range !"}, // a denormal float
    {"I,N3,,2001-01-01,2031-01-01,1.1e18,4,12,100,", "refused", "Spot Price out of range !"},
    {"II,N3,,2001-01-01,2031-01-01,0,,,,5@2031-01-01", "refused", "Spot Price out of range !"},
    {"II,N3,,2001-01-01,2031-01-01,nan,,,,5@2031-01-01", "refused", "Invalid Spot Price !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,-1,12,100,", "refused", "Coupon out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,nan,12,100,", "refused", "Invalid Coupon !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,12,-100,", "refused", "Face Value out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,12,-nan,", "refused", "Invalid Face Value !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,0,100,", "refused", "Coupon Period out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,-6,100,", "refused", "Coupon Period out of range !"},
    {"I,\"N3\nN4\",,2001-01-01,2031-01-01,99.5,4,12,100,", "refused", "ID holds a line break !"},
    {"I,\"N3\r\",,2001-01-01,2031-01-01,99.5,4,12,100,", "refused", "ID holds a line break !"},
    {"I,N3,,2031-01-01,2001-01-01,99.5,4,12,100,", "refused", "Maturity should be later than Release Date !"},
    {"I,N3,,2031-01-01,2031-01-01,99.5,4,12,100,", "refused", "Maturity should be later than Release Date !"},
    {"II,N3,,2031-01-01,2030-01-01,99.5,,,,5@2030-01-01", "refused", "Maturity should be later than Release Date !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,5@2030-01-01;nan@2031-01-01", "refused", "Invalid Cashflow in row 2 !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,-5@2031-01-01", "refused", "Cashflow in row 1 is too low !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,", "refused", "No cashflows !"},
    // A Type II record's maturity is its last payment's day, as the form sets it.
    {"II,N3,,2001-01-01,2030-01-01,99.5,,,,5@2031-01-01", "refused", "Invalid Maturity Date !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,abc,12,100,", "refused", "Invalid Coupon !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,1e39,12,100,", "refused", "Coupon out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,12,,", "refused", "Invalid Face Value !"},
    {"I,N3,,2001-01-01,2031-01-01,,4,12,100,", "refused", "Invalid Spot Price !"},
    {"II,N3,,2001-01-01,2031-01-01,1e300,,,,", "refused", "Spot Price out of range !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,1.5,100,", "refused", "Coupon Period should be integer !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,3000000000,100,", "refused", "Coupon Period out of range !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,5@2030-01-01;x@2031-01-01", "refused", "Invalid Cashflow in row 2 !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,1e39@2031-01-01", "refused", "Cashflow in row 1 is too big !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,5@2031-02-30", "refused", "Date in row 1 is invalid !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,,,,5", "refused", "Date in row 1 is invalid !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,12,100,5@2031-01-01", "refused", "Payments belong to Type II records !"},
    {"II,N3,,2001-01-01,2031-01-01,99.5,4,,,", "refused", "Coupon, period and face belong to Type I records !"},
    {"III,N3,,2001-01-01,2031-01-01,99.5,4,12,100,", "refused", "Type should be I or II !"},
    {"I,N3,,2001-01-01,2031-01-01,99.5,4,12,100", "refused", "10 fields expected, not 9 !"},
    {"I,N3,,01/01/2001,2031-01-01,99.5,4,12,100,", "refused", "Invalid Release Date !"},
    {"I,N3,,2001-01-01,2031-1-1,99.5,4,12,100,", "refused", "Invalid Maturity Date !"},
    {"I,N3,\xE6\x97\xA5\xE6\x9C\xAC,2001-01-01,2031-01-01,99.5,4,12,100,", "refused",
     "Name holds characters the database cannot store !"},
    {"I,\xE6\x97\xA5,,2001-01-01,2031-01-01,99.5,4,12,100,", "refused",
     "ID holds characters the database cannot store !"},
    {"I,DUP,,2001-01-01,2031-01-01,99.5,4,12,100,", "refused", "ID names 2 bonds in the database !"},
};

struct Db {
    CBondList list;
    Db()
    {
        list.m_list.push_back(test::StdBond("A1", 12, 4, 100, 99.5f, test::Day(2001, 1, 1), test::Day(2031, 1, 1)));
        list.m_list.push_back(test::FreeBond("B2", 50, {{test::Day(2030, 1, 1), 60}}));
        test::AddRecord(list, "DUP");
        test::AddRecord(list, " DUP");
    }
};

TEST(BondImport, EveryRowIsJudgedByWhatTheDatabaseHolds)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.row);
        Db db;
        const std::string before = StoreBondDatabase(db.list);
        const BondImport judged = JudgeBonds(std::string(kBondCsvHeader) + "\r\n" + c.row + "\r\n", db.list);
        ASSERT_EQ(judged.verdicts.size(), 1u);
        EXPECT_EQ(std::tuple(std::string(BondVerdictName(judged.verdicts[0].kind)), BondRefusalText(judged.verdicts[0]),
                             judged.verdicts[0].line),
                  std::tuple(c.verdict, c.reason, 2));
        EXPECT_TRUE(StoreBondDatabase(db.list) == before); // judging changes nothing
    }
}

TEST(BondImport, ApplyAddsInFileOrderAndReplacesInPlace)
{
    Db db;
    const std::string csv = std::string(kBondCsvHeader) + "\nI,NEW2,,2001-01-01,2031-01-01,1,1,1,1,\n"
                                                          "\n" // an empty line is no row
                                                          "II,A1,changed kind,2001-01-01,2031-01-01,1,,,,2@2031-01-01\n"
                                                          "I,NEW1,,2001-01-01,2031-01-01,1,1,1,1,\n"
                                                          "I,\" NEW2\",\"second\nrow\",2001-01-01,2031-01-01,1,1,1,1,\n"
                                                          "I,NEW3,,2001-01-01,2031-01-01,1,1,1,1,";
    BondImport judged = JudgeBonds(csv, db.list);
    ASSERT_EQ(judged.verdicts.size(), 5u);
    EXPECT_EQ(BondRefusalText(judged.verdicts[3]), "Duplicate ID in the file !");
    EXPECT_EQ(judged.verdicts[4].line, 8); // the quoted line break counts
    const BondCounts done = ApplyBonds(db.list, judged.verdicts);
    EXPECT_EQ(std::tuple(done.add, done.replace), std::tuple(3u, 1u));
    std::vector<std::string> ids;
    for (const auto& bond : db.list.m_list)
        ids.push_back(bond->m_strID);
    EXPECT_EQ(ids, (std::vector<std::string>{"A1", "B2", "DUP", " DUP", "NEW2", "NEW1", "NEW3"}));
    EXPECT_EQ(std::tuple(db.list.m_list.front()->GetType(), db.list.m_list.front()->m_strName),
              std::tuple(BOND_TYPE_FREE, "changed kind"));
}

TEST(BondImport, FilesItCannotReadAreRefusedWhole)
{
    const std::string header(kBondCsvHeader);
    const std::string row = "I,A,,2001-01-01,2031-01-01,1,1,1,1,";
    const std::string longRow = "I,A,\"" + std::string(kMaxBondCsvRowBytes, 'x') + "\",2001-01-01,2031-01-01,1,1,1,1,";
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"", "This is not a file of bonds: its first line must be " + header + " ."},
        {"type;id\r\n" + row, "This is not a file of bonds: its first line must be " + header + " ."},
        {header + "\r\n" + row + std::string(1, '\0'), "This is not a text file ."},
        {header + "\r\n" + row + "\r\nI,\"B,\r\n", "The quote that opens in line 3 is not closed ."},
        {header + "\n" + row + "\n" + longRow, "Line 3 is longer than 33554432 bytes ."},
    };
    for (const auto& c : cases) {
        CBondList list;
        const BondImport judged = JudgeBonds(c.bytes, list);
        EXPECT_TRUE(judged.verdicts.empty());
        EXPECT_EQ(BondFileErrorText(judged.error, judged.errorLine), c.text);
    }
    // What a spreadsheet may save instead: a byte order mark, UTF-16, Windows-1252.
    const std::string utf16 = "\xFF\xFE" + [&] {
        std::string wide;
        for (const char c : header + "\r\n" + row)
            wide += {c, '\0'};
        return wide;
    }();
    for (const auto& [bytes, name] : {std::pair{"\xEF\xBB\xBF" + header + "\r\n" + row, std::string()},
                                      {utf16, ""},
                                      {header + "\r\nI,A,Z\xFCrich,2001-01-01,2031-01-01,1,1,1,1,", "Z\xC3\xBCrich"}}) {
        CBondList list;
        const BondImport judged = JudgeBonds(bytes, list);
        ASSERT_EQ(judged.verdicts.size(), 1u);
        EXPECT_EQ(std::pair(judged.verdicts[0].kind, judged.verdicts[0].bond->m_strName),
                  std::pair(BondVerdictKind::Add, name));
    }
}

} // namespace
