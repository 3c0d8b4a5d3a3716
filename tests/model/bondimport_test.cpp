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
    EXPECT_EQ(CountBondVerdicts(JudgeBonds(csv, empty).verdicts).unchanged, source.m_list.size());
    return StoreBondDatabase(empty);
}

// Records every stored field of which the writer and the reader must carry
// exactly: texts to quote, Windows-1252 and its undefined bytes, long
// identifiers, blanks kept, every kind of float, days outside the calendar,
// a Type II record without payments or with a maturity of its own.
CBondList AwkwardRecords()
{
    CBondList list;
    const float kNan = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    const std::pair<const char*, const char*> texts[] = {
        {"AN-IDENTIFIER-OF-31-CHARACTERS", "Zürich Kantonalbank € – Œuvre"},
        {" padded ", "  name, \"quoted\"\r\nsecond line\rthird "},
        {"ctl\xC2\x81\xC2\x9D", ""},
        {"X", "\"\""},
    };
    using Limits = std::numeric_limits<float>;
    const float amounts[] = {-0.0f, Limits::denorm_min(), Limits::max(), -kInf, kNan, -kNan, 1e-7f, 123456.789f};
    int k = 0;
    for (const auto& [id, name] : texts) {
        for (const float amount : amounts) {
            ++k;
            auto b = test::StdBond(std::string(id) + std::to_string(k), -3 + k % 7, amount, -amount, amount,
                                   test::Day(2001, 2, 3), test::Day(2031, 2, 3));
            b->m_strName = name;
            b->m_nRelease = k % 2 ? -700123 : b->m_nRelease;
            b->m_nMaturity = k % 3 ? b->m_nMaturity : 3000456;
            list.m_list.push_back(std::move(b));
        }
        auto free = test::FreeBond(std::string(id) + "-II", amounts[k % 8],
                                   {{test::Day(2030, 1, 1), kInf}, {test::Day(2029, 1, 1), -0.0f}});
        free->m_strName = name;
        free->m_nMaturity = 12; // not the latest payment: a file may say so
        list.m_list.push_back(std::move(free));
        list.m_list.push_back(test::FreeBond(std::string(id) + "-none", 1.5f, {}));
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
    // What the file holds is taken, whatever the form's ranges.
    {"I,N1,,-700000,3000000,-5,nan,0,-inf,", "add"},
    {"II,N2,,2001-01-01,1999-01-01,0,,,,", "add"},
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
