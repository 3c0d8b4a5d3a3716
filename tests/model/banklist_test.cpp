// A bank's list of bonds: its columns guessed from English and German
// headings, the release date a record without one gets, and rows made into
// records in the file's notation, or refused with the reason.

#include "model/banklist.h"
#include "model/bondcsv.h"
#include "testbonds.h"

#include <gtest/gtest.h>

using namespace tenvix;
using test::Day;

namespace {

// A float as the database's CSV writes it.
std::string Nine(double value)
{
    std::string out;
    AppendGeneral(out, static_cast<double>(static_cast<float>(value)), 9);
    return out;
}

std::vector<std::string> Keys(const BankColumns& columns, std::size_t count)
{
    std::vector<std::string> keys(count, "-");
    for (const BankField f : kBankFields)
        if (columns[f] != kNoColumn)
            keys.at(columns[f]) = BankFieldKey(f);
    return keys;
}

TEST(BankColumns, GuessedFromEnglishAndGermanHeadingsInAnyCase)
{
    const std::vector<std::vector<std::string>> headings = {
        {"ISIN", "Bezeichnung", "Kupon", "Fälligkeit", "Kurs", "Nominal"},
        {"isin", "NAME", "Coupon Rate", "Maturity Date", "Last Price", "face value", "Pay period", "Issue date"},
        {"WKN", "Wertpapier", "Zinssatz", "FÄLLIGKEIT", "Schlusskurs", "Nennwert", "Monate", "Emissionsdatum"},
        // What names nothing stays unused; "Issuer" is a name, not an issue date.
        {"Depot", "Issuer", "ID", "Notes", "Coupon", "Due", "Bid"},
    };
    const std::vector<std::vector<std::string>> expected = {
        {"id", "name", "rate", "maturity", "price", "face"},
        {"id", "name", "rate", "maturity", "price", "face", "period", "release"},
        {"id", "name", "rate", "maturity", "price", "face", "period", "release"},
        {"-", "name", "id", "-", "rate", "maturity", "price"},
    };
    for (std::size_t i = 0; i < headings.size(); ++i)
        EXPECT_EQ(Keys(GuessBankColumns(headings[i]), headings[i].size()), expected[i]) << i;
}

TEST(BankColumns, AWholeHeadingBeforeAWordOfOneAndOneFieldAColumn)
{
    // "Kurs" alone beats "Kurs (Vortag)", a whole "Zins" a "Coupon date"
    // that only holds a word of the rate.
    const std::vector<std::string> h = {"Kurs (Vortag)", "ISIN", "Coupon date", "Zins", "Kurs", "Fälligkeit"};
    EXPECT_EQ(Keys(GuessBankColumns(h), h.size()),
              (std::vector<std::string>{"-", "id", "-", "rate", "price", "maturity"}));
    EXPECT_EQ(MissingBankField(GuessBankColumns(h)), std::nullopt);
    EXPECT_EQ(MissingBankField(GuessBankColumns({"ISIN", "Kurs"})), BankField::Rate);
    EXPECT_EQ(RequiredFound(GuessBankColumns({"type", "id"})), 1u);
}

TEST(BankColumns, TheCommandLinesChoice)
{
    const std::vector<std::string> h = {"ISIN", "Bezeichnung", "Kupon", "Fälligkeit", "Kurs", "Schlusskurs"};
    const BankColumns guessed = GuessBankColumns(h);
    std::string error;
    // A heading as written, in any case, or a number; nothing for no column.
    auto applied = ApplyColumnsOption("price=schlusskurs,name=", h, 6, guessed, error);
    ASSERT_TRUE(applied) << error;
    EXPECT_EQ(Keys(*applied, 6), (std::vector<std::string>{"id", "-", "rate", "maturity", "-", "price"}));
    applied = ApplyColumnsOption("rate=3,maturity=Fälligkeit,id=1", h, 6, BankColumns(), error);
    ASSERT_TRUE(applied) << error;
    EXPECT_EQ(Keys(*applied, 6), (std::vector<std::string>{"id", "-", "rate", "maturity", "-", "-"}));
    // A column given to one field is taken from the field it was guessed for.
    applied = ApplyColumnsOption("name=Kurs", h, 6, guessed, error);
    ASSERT_TRUE(applied);
    EXPECT_EQ((*applied)[BankField::Price], kNoColumn);

    const std::pair<const char*, const char*> bad[] = {
        {"price", "--columns wants FIELD=COLUMN, FIELD one of id, name, rate, maturity, price, face, period, release, "
                  "not \"price\""},
        {"yield=Kurs", "--columns wants FIELD=COLUMN, FIELD one of id, name, rate, maturity, price, face, period, "
                       "release, not \"yield=Kurs\""},
        {"price=Ask", "--columns: the file has no column \"Ask\""},
        {"price=7", "--columns: the file has no column \"7\""},
        {"price=0", "--columns: the file has no column \"0\""},
        {"price=5,price=6", "--columns names price twice"},
        {"price=5,name=5", "--columns gives column \"5\" to both price and name"},
    };
    for (const auto& [option, message] : bad) {
        EXPECT_FALSE(ApplyColumnsOption(option, h, 6, guessed, error)) << option;
        EXPECT_EQ(error, message);
    }
}

TEST(BankList, TheReleaseIsTheLastCouponDateOnOrBeforeTheStand)
{
    const auto release = [](int period, const char* maturity, const char* stand) {
        const auto day = DefaultRelease(DaySerial(Day(maturity)), period, DaySerial(Day(stand)));
        return day ? FormatIsoDate(*day) : std::string("none");
    };
    EXPECT_EQ(release(12, "2035-02-15", "2025-06-30"), "2025-02-15");
    EXPECT_EQ(release(6, "2035-02-15", "2025-06-30"), "2025-02-15");
    EXPECT_EQ(release(6, "2035-02-15", "2025-08-15"), "2025-08-15"); // on a coupon date
    EXPECT_EQ(release(6, "2035-02-15", "2025-08-14"), "2025-02-15");
    EXPECT_EQ(release(3, "2030-05-31", "2025-03-30"), "2025-02-28"); // the month's end kept
    EXPECT_EQ(release(3, "2030-05-31", "2025-03-01"), "2025-02-28");
    EXPECT_EQ(release(12, "2030-05-31", "2025-06-10"), "2025-05-31");
    EXPECT_EQ(release(12, "2025-06-30", "2025-06-30"), "2025-06-30"); // matured: the maturity itself
    EXPECT_EQ(release(1000000, "2030-05-31", "2025-06-10"), "none");  // before the calendar
}

// What one row of a list gives, against an empty database on 30 June 2025.
std::string Judged(const std::string& file, PriceQuotes quotes = PriceQuotes::Clean)
{
    CBondList none;
    const BankList list = ReadBankList(file);
    EXPECT_EQ(BankListErrorText(list), "");
    BondImport judged = JudgeBankList(list, none, {DaySerial(Day(2025, 6, 30)), quotes});
    std::string out;
    for (const BondVerdict& v : judged.verdicts) {
        if (v.bond)
            AppendBondCsvRow(out, *v.bond);
        else
            out += BondRefusalText(v) + "\r\n";
    }
    return out;
}

TEST(BankList, RowsMadeIntoTypeIRecords)
{
    // Semicolons and decimal commas; the coupon a period's share of the rate
    // on the face value; the price the quote per 100 of face, plus what has
    // accrued since 15 February (4.5 months of 12 for 2.5 % on 100, the
    // schedule's 1/12 a month and 1/365 a day: 4/12 + 15/365 of the year).
    const std::string head = "ISIN;Bezeichnung;Kupon;Fälligkeit;Kurs;Nominal;Periode\r\n";
    EXPECT_EQ(Judged(head + "Q1;Bund;2,5;15.02.2035;98,75;100;12\r\n"),
              "I,Q1,Bund,2025-02-15,2035-02-15," + Nine(98.75 + 2.5 * (4.0 / 12 + 15.0 / 365)) +
                  ",2.5,12,100,\r\n");
    EXPECT_EQ(Judged(head + "Q2;Land;3;2031-09-01;101,2;1000;6\r\n", PriceQuotes::Paid),
              "I,Q2,Land,2025-03-01,2031-09-01,1012,15,6,1000,\r\n");
    // Face 100 and a yearly coupon when the list says nothing of them; a rate
    // with its percent sign.
    EXPECT_EQ(Judged("isin,coupon,maturity,price\r\nQ3,4.5 %,2030-06-30,100\r\n"),
              "I,Q3,,2025-06-30,2030-06-30,100,4.5,12,100,\r\n");
}

TEST(BankList, RefusedInTheFormsWordsOrWithTheReason)
{
    const std::string head = "ISIN;Bezeichnung;Kupon;Fälligkeit;Kurs;Nominal;Periode;Ausgabe\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {";x;1;15.02.2035;99;100;12;", "No ID !"},
        {"\"A\nB\";x;1;15.02.2035;99;100;12;", "ID holds a line break !"},
        {"A;x;abc;15.02.2035;99;100;12;", "Invalid Coupon !"},
        {"A;x;-1;15.02.2035;99;100;12;", "Coupon out of range !"},
        {"A;x;1;31.02.2035;99;100;12;", "Invalid Maturity Date !"},
        {"A;x;1;01/02/2035;99;100;12;", "Fälligkeit: Ambiguous date !"},
        {"A;x;1;13/02/2035;99;100;12;", "Invalid Maturity Date !"},
        {"A;x;1;15.02.2035;;100;12;", "Invalid Spot Price !"},
        {"A;x;1;15.02.2035;0;100;12;", "Spot Price out of range !"},
        {"A;x;1;15.02.2035;99;1.000;12;", "Nominal: Thousands separators not accepted !"},
        {"A;x;1;15.02.2035;99;-5;12;", "Face Value out of range !"},
        {"A;x;1;15.02.2035;99;100;6,5;", "Coupon Period should be integer !"},
        {"A;x;1;15.02.2035;99;100;0;", "Coupon Period out of range !"},
        {"A;x;1;15.02.2035;99;100;12;15.02.2036", "Maturity should be later than Release Date !"},
        {"A;x;1;15.02.2035;99;100;12;2035", "Invalid Release Date !"},
        {"A;x;1;15.02.2025;99;100;12;", "Maturity should be later than Release Date !"}, // matured by the stand
        {"A;\xE2\x82\xAC\xE2\x98\x83;1;15.02.2035;99;100;12;", "Name holds characters the database cannot store !"},
    };
    // The file's other prices show the decimal comma.
    for (const auto& [row, reason] : cases) {
        const std::string judged = Judged(head + "Z;z;1;15.02.2035;99,5;100;12;\r\n" + row + "\r\n");
        EXPECT_EQ(judged.substr(judged.find("\r\n") + 2), reason + "\r\n") << row;
    }
}

TEST(BankList, AnAmbiguousNumberWaitsForTheFilesOtherNumbers)
{
    // Nothing else shows the mark: 1.125 could be a thousand.
    EXPECT_EQ(Judged("ISIN;Kupon;Fälligkeit;Kurs\r\nA;1.125;2035-02-15;99\r\n"), "Kupon: Ambiguous number !\r\n");
    // A price with a decimal point elsewhere in the file tells it.
    EXPECT_EQ(Judged("ISIN;Kupon;Fälligkeit;Kurs\r\nA;1.125;2035-02-15;99\r\nB;1;2035-02-15;98.5\r\n")
                  .substr(0, 15),
              "I,A,,2025-02-15");
}

TEST(BankList, FilesItCannotJudge)
{
    EXPECT_EQ(BankListErrorText(ReadBankList("ISIN;Kurs\r\nA;99\r\n")), "No column of coupon rates found .");
    EXPECT_EQ(BankListErrorText(ReadBankList("ISIN;Kupon;Kurs\r\n")), "The file holds no bonds .");
    EXPECT_FALSE(LooksLikeBankList(ReadBankList("type,id\r\nI,A\r\n")));
    EXPECT_TRUE(LooksLikeBankList(ReadBankList("ISIN;Kurs\r\nA;99\r\n")));
    // Without a heading nothing is guessed; the columns can be given.
    const std::string bare = "A;2,5;15.02.2035;98,75\r\n";
    EXPECT_EQ(BankListErrorText(ReadBankList(bare)), "No column of identifiers found .");
    BankColumns columns;
    columns[BankField::Id] = 0;
    columns[BankField::Rate] = 1;
    columns[BankField::Maturity] = 2;
    columns[BankField::Price] = 3;
    const BankList given = ReadBankList(bare, columns);
    EXPECT_EQ(std::pair(BankListErrorText(given), given.rows.size()), std::pair(std::string(), std::size_t{1}));
}

} // namespace
