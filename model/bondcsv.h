#pragma once

// The database's own CSV: every stored field of a record as one row, which
// `tenvix-cli export` writes and the bond import reads back. Amounts with
// nine significant digits (every float comes back exactly), dates as
// YYYY-MM-DD or, outside the calendar, the bare day serial, texts quoted only
// where they hold a comma, a quote or a line break, rows ended by CR LF; the
// payments of a Type II record as AMOUNT@DATE joined by ';'.

#include "model/bond.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// The first line, without its line end.
inline constexpr std::string_view kBondCsvHeader =
    "type,id,name,release,maturity,price,coupon,period_months,face,payments";
inline constexpr std::size_t kBondCsvFields = 10;

// The header with its line end, and one record's row.
void AppendBondCsvHeader(std::string& out);
void AppendBondCsvRow(std::string& out, const CBond& bond);

// Limits that keep a hostile file from costing more than its own size: the
// file, a row (a record of a million payments is some 20 MB), the rows.
inline constexpr std::size_t kMaxBondCsvBytes = std::size_t{1} << 30;
inline constexpr std::size_t kMaxBondCsvRowBytes = std::size_t{32} << 20;
inline constexpr std::size_t kMaxBondCsvRows = 2'000'000;

enum class BondCsvError {
    None,
    TooLarge,       // more than kMaxBondCsvBytes
    NotText,        // a zero byte outside UTF-16
    NoHeader,       // the first line is not kBondCsvHeader
    RowTooLong,     // a row beyond kMaxBondCsvRowBytes
    QuoteNotClosed, // a quoted field that runs to the end of the text
    TooManyRows,    // more than kMaxBondCsvRows rows after the header
};

struct BondCsvRow {
    std::int64_t line = 0;           // where the row starts, from 1
    std::vector<std::string> fields; // UTF-8, exactly as written: nothing trimmed
};

// Reads the rows after the header one by one. The text is UTF-8 (a byte
// order mark allowed), UTF-16 with its mark, or else Windows-1252, as a
// spreadsheet may save it; lines end in CR LF or LF alone; empty lines are
// skipped.
class BondCsvReader {
public:
    // `bytes` must outlive the reader.
    explicit BondCsvReader(std::string_view bytes);

    // The next row; false at the end of the text and on an error, which then
    // stays.
    bool Next(BondCsvRow& row);

    BondCsvError Error() const { return m_error; }
    std::int64_t ErrorLine() const { return m_errorLine; }
    // How far reading has come, in bytes of Size(), for a progress bar.
    std::size_t Position() const { return m_pos; }
    std::size_t Size() const { return m_text.size(); }

private:
    void Fail(BondCsvError error, std::int64_t line);
    bool ReadRow(BondCsvRow& row);
    bool ReadField(std::string& out, std::size_t rowStart, std::int64_t rowLine);
    void SkipLineEnd();
    void Store(std::string& out, std::string_view raw) const;

    std::string m_decoded; // the text of a UTF-16 file, as UTF-8
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::int64_t m_line = 1;
    std::size_t m_rows = 0;
    bool m_cp1252 = false;
    BondCsvError m_error = BondCsvError::None;
    std::int64_t m_errorLine = 0;
};

} // namespace tenvix
