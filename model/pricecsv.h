#pragma once

// Reading the CSV files banks and brokers hand out, and the text a
// spreadsheet puts on the clipboard: records of fields, whatever the encoding,
// the separator and the line ends, with hard limits so that a hostile file is
// refused before anything large is allocated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// Refused before reading: a price file is a few dozen bytes a bond.
inline constexpr std::size_t kMaxCsvBytes = std::size_t{256} << 20;
// The longest record (line, or lines joined by a quoted field), in bytes.
inline constexpr std::size_t kMaxCsvRecordBytes = std::size_t{1} << 20;
// The most fields a record may have.
inline constexpr std::size_t kMaxCsvColumns = 4096;

enum class CsvEncoding {
    Utf8,
    Utf8Bom,
    Utf16Le, // with its byte order mark, as spreadsheets save "Unicode text"
    Utf16Be, // with its byte order mark
    Cp1252,  // whatever is not valid UTF-8
    // Text that is recognised but not read (CsvError::UnreadEncoding).
    Utf32Le,
    Utf32Be,
    Utf16LeNoMark,
    Utf16BeNoMark,
    Utf32LeNoMark,
    Utf32BeNoMark,
};
// The encoding as the program names it to the user ("UTF-32LE", "UTF-16BE
// without a byte order mark").
const char* EncodingName(CsvEncoding encoding);

enum class CsvError {
    None,
    TooLarge,       // more than kMaxCsvBytes
    NotText,        // a zero byte outside UTF-16
    UnreadEncoding, // UTF-32, or UTF-16 without its mark: Encoding() tells which
    RecordTooLong,  // a record beyond kMaxCsvRecordBytes
    TooManyColumns, // a record of more than kMaxCsvColumns fields
    QuoteNotClosed, // a quoted field that runs to the end of the text
};

struct CsvRecord {
    std::int64_t line = 0; // where the record starts, from 1
    // UTF-8; blanks around a field are dropped, those inside quotes kept.
    std::vector<std::string> fields;
};

// The inside of a quoted field, from `pos` just after its opening quote up to
// its closing one, appended to `out`: a doubled quote stands for one, and the
// line ends inside are counted in `line`. `pos` ends after the closing quote.
// Every CSV reader of the program reads quoted fields so.
enum class QuotedFieldEnd {
    Closed,
    NotClosed,   // no quote closes it
    BeyondLimit, // it closes only beyond `limit`, an offset in `text`
};
QuotedFieldEnd ReadQuotedField(std::string_view text, std::size_t& pos, std::size_t limit, std::int64_t& line,
                               std::string& out);

class CsvReader {
public:
    // Decides the encoding and the separator (comma, semicolon or tab) from
    // the text itself. `bytes` must outlive the reader.
    explicit CsvReader(std::string_view bytes);

    // The next record that has a field other than blanks; false at the end of
    // the text and on an error, which then stays.
    bool Next(CsvRecord& record);

    CsvError Error() const { return m_error; }
    // The line of the record the error was found in.
    std::int64_t ErrorLine() const { return m_errorLine; }
    CsvEncoding Encoding() const { return m_encoding; }
    char Separator() const { return m_separator; }
    // How far reading has come, in bytes of Size(), for a progress bar.
    std::size_t Position() const { return m_pos; }
    std::size_t Size() const { return m_text.size(); }

private:
    void Fail(CsvError error, std::int64_t line);
    // Reads one field starting at m_pos into `out`; false on an error.
    bool ReadField(std::string& out, std::size_t recordStart, std::int64_t recordLine);
    bool AtLineEnd() const;
    void SkipLineEnd();
    void Store(std::string& out, std::string_view raw) const;

    std::string m_decoded; // the text of a UTF-16 file, as UTF-8
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::int64_t m_line = 1;
    CsvEncoding m_encoding = CsvEncoding::Utf8;
    char m_separator = ',';
    CsvError m_error = CsvError::None;
    std::int64_t m_errorLine = 0;
};

} // namespace tenvix
