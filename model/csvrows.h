#pragma once

// The rows of a file other people wrote (a bank's prices, a schedule of
// payments), read the one way: the CSV reader decides the encoding and the
// separator, the first records show whether a heading names the columns and
// whether the columns sought are there, then every data row is handed over in
// file order. The limits, the progress and the reasons a file cannot be read
// are the same for every such file; what a row holds is the caller's.

#include "model/pricecsv.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace tenvix {

// Why a file of rows cannot be read.
enum class RowsFileError {
    None,
    Cancelled,
    TooLarge,
    NotText,
    UnreadEncoding, // the detail is the CsvEncoding
    LineTooLong,
    TooManyColumns,
    QuoteNotClosed,
    TooManyRows,
    Empty,     // no data row
    NoColumns, // the rows lack the columns sought
};

// Told how far the work has come (done of total, in any unit); returns false
// to cancel.
using ImportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// What the first records tell of a file.
struct RowsLayout {
    bool found = true;   // the file has the columns sought
    bool header = false; // the first record names the columns and is no data
};

// What a kind of file does with its records.
class RowsTaker {
public:
    virtual ~RowsTaker() = default;
    // The file's layout, from its first records (at least one).
    virtual RowsLayout Layout(std::span<const CsvRecord> sample, char separator) = 0;
    // About this many data rows are coming: storage can grow once.
    virtual void Reserve(std::size_t rows) { (void)rows; }
    // One data row, in file order.
    virtual void Take(const CsvRecord& record) = 0;
};

struct RowsRead {
    RowsFileError error = RowsFileError::None;
    std::int64_t errorDetail = 0; // the line an error was found in; for TooManyRows the most rows
    CsvEncoding encoding = CsvEncoding::Utf8;
    char separator = ',';
    bool header = false;
    std::size_t rows = 0; // data rows handed over
};

// Reads `bytes` through the CSV reader and hands every data row to `taker`.
// A file of more than `maxRows` data rows is refused once the row after the
// last is seen. On an error the taker may have been given some rows: the
// caller drops them.
RowsRead ReadRows(std::string_view bytes, RowsTaker& taker, const ImportProgress& progress, std::size_t maxRows);

} // namespace tenvix
