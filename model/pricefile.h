#pragma once

// A bank's or a broker's price file read into rows of an identifier and a
// price text, with what the file tells of its notation; or why it cannot be
// read. Nothing is judged here.

#include "model/bondlookup.h"
#include "model/csvrows.h"
#include "model/pricecsv.h"
#include "model/pricefield.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// Beyond this many data rows a file is refused: twice the largest database
// the program is built for, and some 300 MB for the rows and their verdicts.
inline constexpr std::size_t kMaxPriceRows = 2'000'000;

enum class PriceFileError {
    None,
    Cancelled,
    TooLarge,
    NotText,
    UnreadEncoding, // the detail is the CsvEncoding
    LineTooLong,
    TooManyColumns,
    QuoteNotClosed,
    TooManyRows,
    Empty,
    NoPriceColumn,
};

// One data row: the identifier and the price field, each trimmed; empty when
// the row is too short to have it.
struct PriceRow {
    std::int64_t line = 0; // where the row starts in the file, from 1
    std::string id;
    std::string price;
};

struct PriceFile {
    PriceFileError error = PriceFileError::None;
    std::int64_t errorDetail = 0; // the line an error was found in; for TooManyRows the most rows
    CsvEncoding encoding = CsvEncoding::Utf8;
    char separator = ',';
    bool header = false; // the first row names the columns and is no data
    std::size_t idColumn = 0;
    std::size_t priceColumn = 0;
    DecimalMarks marks;
    DecimalMark decimalMark = DecimalMark::Undecided; // DecidedMark(marks), until the user says otherwise
    std::vector<PriceRow> rows;                       // in file order; empty on an error
};

// A file of rows that cannot be read, in the price file's terms, whose
// texts every such file is told by (NoColumns is NoPriceColumn).
PriceFileError PriceFileErrorOf(RowsFileError error);

// Reads a price file (or the clipboard's text as UTF-8). Without a header
// that names them, the identifiers are the column whose values reach the most
// bonds of `index`, the prices the first numeric column after it. A file of
// more than `maxRows` data rows is refused.
PriceFile ReadPriceFile(std::string_view bytes, const BondIdIndex& index, const ImportProgress& progress = {},
                        std::size_t maxRows = kMaxPriceRows);

} // namespace tenvix
