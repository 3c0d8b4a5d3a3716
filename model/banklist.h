#pragma once

// A bank's or a broker's list of bonds, such as
// ISIN;Bezeichnung;Kupon;Fälligkeit;Kurs;Nominal: each row made into a Type I
// record (the coupon a period's share of the yearly rate on the face value,
// the price the quote per 100 of face, with the accrued interest for a clean
// quote) and judged against the database as the bond import judges its own
// rows. Numbers and dates are read in the file's notation, as the price
// import reads them; one that could be read two ways is refused, never
// guessed. Nothing changes until ApplyBonds.

#include "model/bankcolumns.h"
#include "model/bondimport.h"
#include "model/csvrows.h"
#include "model/pricefield.h"
#include "model/quotes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// As many rows as the largest database the program is built for.
inline constexpr std::size_t kMaxBankRows = 1'000'000;

// The fields of one data row that the columns name, each trimmed, kept in
// one text.
struct BankRow {
    std::int64_t line = 0; // where the row starts in the file, from 1
    std::string text;
    std::array<std::uint32_t, kBankFieldCount> ends{};
    std::string_view Field(BankField field) const;
    // The field as its number is read: a rate may carry its percent sign
    // ("4,50 %").
    std::string_view NumberText(BankField field) const;
};

struct BankList {
    RowsFileError error = RowsFileError::None;
    std::int64_t errorDetail = 0;
    CsvEncoding encoding = CsvEncoding::Utf8;
    char separator = ',';
    bool header = false;
    std::vector<std::string> headings; // the first row's fields when it names the columns
    std::size_t columnCount = 0;       // the most fields of a row among the first
    BankColumns columns;               // guessed from the headings, or as given
    DecimalMark decimalMark = DecimalMark::Undecided; // what the rates, prices and face values show
    std::vector<BankRow> rows;                        // in file order; empty on an error
};

// Reads the list. The first row is a heading when none of its fields is a
// number. Without `columns` they are guessed from the heading.
BankList ReadBankList(std::string_view bytes, const std::optional<BankColumns>& columns = std::nullopt,
                      const ImportProgress& progress = {}, std::size_t maxRows = kMaxBankRows);

// Whether the heading names at least two of the four columns a list must
// have: a file that is no list of bonds at all names fewer.
bool LooksLikeBankList(const BankList& list);

// Why the list cannot be judged (it could not be read, or a column it must
// have is not chosen), in the program's words; empty when it can.
std::string BankListErrorText(const BankList& list);

// What a column is called in a refusal: its heading, else "column N".
std::string ColumnName(const BankList& list, std::size_t column);

struct BankTerms {
    std::int32_t standDay = 0;                    // the day clean quotes and release dates are reckoned on
    PriceQuotes quotes = PriceQuotes::Clean; // banks quote clean
};

// The release date of a record without one: the last coupon date on or
// before the stand day, stepped back from maturity by whole pay periods, so
// that the record can be analysed on that day. Nothing when it would lie
// before the calendar.
std::optional<std::int32_t> DefaultRelease(std::int32_t maturityDay, std::int32_t periodMonths,
                                           std::int32_t standDay);

// The verdict on every row, against `database` (which must not change until
// they are applied or gone), matching identifiers as the bond import does. A
// list that cannot be judged (BankListErrorText) gives no verdicts.
BondImport JudgeBankList(const BankList& list, CBondList& database, const BankTerms& terms,
                         const BondImportProgress& progress = {});

} // namespace tenvix
