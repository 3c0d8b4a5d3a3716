#include "model/pricecsv.h"

#include "model/numbers.h"
#include "model/text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tenvix {
namespace {

// The separator most lines use, outside quotes: tab, semicolon or comma, in
// that order where lines are equally many. A decimal comma shows up on the
// lines of a semicolon file too, hence comma last. Only the first lines are
// looked at.
char DetectSeparator(std::string_view text)
{
    constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
    constexpr int kSampleLines = 50;
    constexpr std::size_t kSampleBytes = std::size_t{1} << 20;
    std::array<int, 3> lines = {};
    std::array<bool, 3> seen = {};
    bool inQuotes = false;
    bool blank = true;
    int sampled = 0;
    const std::size_t end = std::min(text.size(), kSampleBytes);
    auto endLine = [&] {
        if (!blank) {
            ++sampled;
            for (std::size_t k = 0; k < kCandidates.size(); ++k)
                lines[k] += seen[k] ? 1 : 0;
        }
        seen = {};
        blank = true;
    };
    // A quote opens a quoted field only at the start of a field, as the
    // reader takes it; anywhere else it is a character.
    bool fieldStart = true;
    for (std::size_t i = 0; i < end && sampled < kSampleLines; ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < end && text[i + 1] == '"')
                    ++i;
                else
                    inQuotes = false;
            }
            continue;
        }
        if (c == '\n' || c == '\r') {
            endLine();
            fieldStart = true;
            continue;
        }
        bool separator = false;
        for (std::size_t k = 0; k < kCandidates.size(); ++k) {
            if (c == kCandidates[k]) {
                seen[k] = true;
                separator = true;
            }
        }
        if (c == '"' && fieldStart)
            inQuotes = true;
        fieldStart = separator || (fieldStart && c == ' ');
        blank = blank && (c == ' ' || c == '\t');
    }
    endLine();
    std::size_t best = 2; // a file of one column: nothing to tell, so a comma
    for (std::size_t k = 0; k < kCandidates.size(); ++k)
        if (lines[k] > lines[best] || (lines[k] == lines[best] && lines[k] > 0 && k < best))
            best = k;
    return kCandidates[best];
}

// Whether the bytes read as characters of `width` bytes (2 for UTF-16, 4 for
// UTF-32) in the given byte order, without a byte order mark: nine in ten
// of the first few thousand are a character of Latin-1 text with every
// other byte zero, as text in those encodings nearly always is and binary
// data hardly ever.
bool LooksWide(std::string_view bytes, std::size_t width, bool bigEndian)
{
    constexpr std::size_t kSampleBytes = 4096;
    const std::size_t units = std::min(bytes.size(), kSampleBytes) / width;
    if (units < 2)
        return false;
    const std::size_t low = bigEndian ? width - 1 : 0;
    std::size_t text = 0;
    for (std::size_t k = 0; k < units; ++k) {
        const std::string_view unit = bytes.substr(k * width, width);
        bool zeros = true;
        for (std::size_t b = 0; b < width; ++b)
            zeros = zeros && (b == low || unit[b] == '\0');
        const auto c = static_cast<unsigned char>(unit[low]);
        text += zeros && (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c != 0x7F)) ? 1 : 0;
    }
    return text * 10 >= units * 9;
}

// The encoding of text that holds zero bytes and no byte order mark, if it
// is one the reader can name; else Utf8, for binary data.
CsvEncoding WideEncoding(std::string_view bytes)
{
    if (LooksWide(bytes, 4, false))
        return CsvEncoding::Utf32LeNoMark;
    if (LooksWide(bytes, 4, true))
        return CsvEncoding::Utf32BeNoMark;
    if (LooksWide(bytes, 2, false))
        return CsvEncoding::Utf16LeNoMark;
    if (LooksWide(bytes, 2, true))
        return CsvEncoding::Utf16BeNoMark;
    return CsvEncoding::Utf8;
}

} // namespace

const char* EncodingName(CsvEncoding encoding)
{
    switch (encoding) {
    case CsvEncoding::Utf8:
    case CsvEncoding::Utf8Bom:
        return "UTF-8";
    case CsvEncoding::Utf16Le:
        return "UTF-16LE";
    case CsvEncoding::Utf16Be:
        return "UTF-16BE";
    case CsvEncoding::Cp1252:
        return "Windows-1252";
    case CsvEncoding::Utf32Le:
        return "UTF-32LE";
    case CsvEncoding::Utf32Be:
        return "UTF-32BE";
    case CsvEncoding::Utf16LeNoMark:
        return "UTF-16LE without a byte order mark";
    case CsvEncoding::Utf16BeNoMark:
        return "UTF-16BE without a byte order mark";
    case CsvEncoding::Utf32LeNoMark:
        return "UTF-32LE without a byte order mark";
    case CsvEncoding::Utf32BeNoMark:
        return "UTF-32BE without a byte order mark";
    }
    return "";
}

CsvReader::CsvReader(std::string_view bytes)
{
    if (bytes.size() > kMaxCsvBytes) {
        Fail(CsvError::TooLarge, 0);
        return;
    }
    using namespace std::string_view_literals;
    // The UTF-32 marks first: the little-endian one begins as UTF-16's does.
    if (bytes.starts_with("\xFF\xFE\0\0"sv) || bytes.starts_with("\0\0\xFE\xFF"sv)) {
        m_encoding = bytes[0] == '\xFF' ? CsvEncoding::Utf32Le : CsvEncoding::Utf32Be;
        Fail(CsvError::UnreadEncoding, 0);
        return;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        m_encoding = CsvEncoding::Utf8Bom;
        m_text = bytes.substr(3);
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        m_encoding = bigEndian ? CsvEncoding::Utf16Be : CsvEncoding::Utf16Le;
        m_decoded = bigEndian ? Utf16BeToUtf8(bytes.substr(2)) : Utf16LeToUtf8(bytes.substr(2));
        m_text = m_decoded;
    } else {
        m_encoding = IsUtf8(bytes) ? CsvEncoding::Utf8 : CsvEncoding::Cp1252;
        m_text = bytes;
    }
    // No text of any code page holds a zero byte; binary files nearly always
    // do, and so does wide text without its mark, which is named.
    if (std::memchr(m_text.data(), '\0', m_text.size())) {
        const CsvEncoding wide = m_decoded.empty() ? WideEncoding(bytes) : CsvEncoding::Utf8;
        if (wide != CsvEncoding::Utf8) {
            m_encoding = wide;
            Fail(CsvError::UnreadEncoding, 0);
            return;
        }
        Fail(CsvError::NotText, 0);
        return;
    }
    m_separator = DetectSeparator(m_text);
}

void CsvReader::Fail(CsvError error, std::int64_t line)
{
    m_error = error;
    m_errorLine = line;
    m_pos = m_text.size();
}

bool CsvReader::AtLineEnd() const { return m_pos >= m_text.size() || m_text[m_pos] == '\n' || m_text[m_pos] == '\r'; }

void CsvReader::SkipLineEnd()
{
    if (m_pos >= m_text.size())
        return;
    if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
        ++m_pos;
    ++m_pos;
    ++m_line;
}

QuotedFieldEnd ReadQuotedField(std::string_view text, std::size_t& pos, std::size_t limit, std::int64_t& line,
                               std::string& out)
{
    for (;;) {
        const std::size_t quote = text.find('"', pos);
        if (quote == std::string_view::npos)
            return QuotedFieldEnd::NotClosed;
        if (quote > limit)
            return QuotedFieldEnd::BeyondLimit;
        const std::string_view chunk = text.substr(pos, quote - pos);
        for (std::size_t k = 0; k < chunk.size(); ++k)
            if (chunk[k] == '\n' || (chunk[k] == '\r' && (k + 1 == chunk.size() || chunk[k + 1] != '\n')))
                ++line;
        out.append(chunk);
        pos = quote + 1;
        if (pos < text.size() && text[pos] == '"') {
            out += '"';
            ++pos;
            continue;
        }
        return QuotedFieldEnd::Closed;
    }
}

void CsvReader::Store(std::string& out, std::string_view raw) const
{
    if (m_encoding == CsvEncoding::Cp1252 && !IsAscii(raw))
        out = Cp1252ToUtf8(raw);
    else
        out.assign(raw);
}

bool CsvReader::ReadField(std::string& out, std::size_t recordStart, std::int64_t recordLine)
{
    const std::string_view text = m_text;
    const char sep = m_separator;
    while (m_pos < text.size() && (text[m_pos] == ' ' || (text[m_pos] == '\t' && sep != '\t')))
        ++m_pos;
    auto fieldEnd = [&](std::size_t from) {
        while (from < text.size() && text[from] != sep && text[from] != '\n' && text[from] != '\r')
            ++from;
        return from;
    };

    if (m_pos >= text.size() || text[m_pos] != '"') {
        const std::size_t end = fieldEnd(m_pos);
        if (end - recordStart > kMaxCsvRecordBytes) {
            Fail(CsvError::RecordTooLong, recordLine);
            return false;
        }
        Store(out, TrimRight(text.substr(m_pos, end - m_pos)));
        m_pos = end;
        return true;
    }

    // Quoted: up to the next lone quote, a doubled one standing for itself;
    // separators and line ends inside belong to the field.
    ++m_pos;
    out.clear();
    switch (ReadQuotedField(text, m_pos, recordStart + kMaxCsvRecordBytes, m_line, out)) {
    case QuotedFieldEnd::Closed:
        break;
    case QuotedFieldEnd::NotClosed:
        Fail(CsvError::QuoteNotClosed, recordLine);
        return false;
    case QuotedFieldEnd::BeyondLimit:
        Fail(CsvError::RecordTooLong, recordLine);
        return false;
    }
    // Whatever stands between the closing quote and the separator is kept,
    // as spreadsheets do, blanks before the separator excepted.
    const std::size_t end = fieldEnd(m_pos);
    if (end - recordStart > kMaxCsvRecordBytes) {
        Fail(CsvError::RecordTooLong, recordLine);
        return false;
    }
    out.append(TrimRight(text.substr(m_pos, end - m_pos)));
    m_pos = end;
    if (m_encoding == CsvEncoding::Cp1252 && !IsAscii(out))
        out = Cp1252ToUtf8(out);
    return true;
}

bool CsvReader::Next(CsvRecord& record)
{
    while (m_error == CsvError::None && m_pos < m_text.size()) {
        const std::size_t recordStart = m_pos;
        const std::int64_t recordLine = m_line;
        std::size_t count = 0;
        bool blank = true;
        for (;;) {
            if (count == kMaxCsvColumns) {
                Fail(CsvError::TooManyColumns, recordLine);
                return false;
            }
            if (record.fields.size() <= count)
                record.fields.emplace_back();
            std::string& field = record.fields[count++];
            if (!ReadField(field, recordStart, recordLine))
                return false;
            blank = blank && Trim(field).empty();
            if (AtLineEnd()) {
                SkipLineEnd();
                break;
            }
            ++m_pos; // the separator
        }
        if (!blank) {
            record.fields.resize(count);
            record.line = recordLine;
            return true;
        }
    }
    return false;
}

} // namespace tenvix
