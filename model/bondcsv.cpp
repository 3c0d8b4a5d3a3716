#include "model/bondcsv.h"

#include "model/format.h"
#include "model/pricecsv.h"
#include "model/text.h"

#include <cstring>

namespace tenvix {
namespace {

// Nine significant digits bring every float32 back exactly.
void AppendAmount(std::string& out, float amount) { AppendFloat(out, amount); }

} // namespace

void AppendBondCsvHeader(std::string& out)
{
    out += kBondCsvHeader;
    out += "\r\n";
}

void AppendBondCsvRow(std::string& out, const CBond& bond)
{
    out += bond.GetType() == BOND_TYPE_STD ? "I," : "II,";
    AppendCsvField(out, bond.m_strID);
    out += ',';
    AppendCsvField(out, bond.m_strName);
    out += ',';
    AppendIsoDate(out, bond.m_nRelease);
    out += ',';
    AppendIsoDate(out, bond.m_nMaturity);
    out += ',';
    AppendAmount(out, bond.m_fPrice);
    if (bond.GetType() == BOND_TYPE_STD) {
        const auto& coupons = static_cast<const CBondStd&>(bond);
        out += ',';
        AppendAmount(out, coupons.m_fCoupon);
        out += ',';
        AppendInteger(out, coupons.m_nPeriodMonths);
        out += ',';
        AppendAmount(out, coupons.m_fFace);
        out += ',';
    } else {
        // Amounts, '@', dates and ';' never need quoting. A loan has dozens
        // of payments: they gather in a block that goes out whole.
        out += ",,,,";
        constexpr std::size_t kPayment = kFloatTextMax + 1 + kIsoDateTextMax + 1;
        char block[32 * kPayment];
        char* p = block;
        bool first = true;
        for (const CASHFLOW& cf : static_cast<const CBondFree&>(bond).m_cashflows) {
            if (p > block + sizeof block - kPayment) {
                out.append(block, p);
                p = block;
            }
            if (!first)
                *p++ = ';';
            first = false;
            p = PutFloat(p, cf.m_fAmount);
            *p++ = '@';
            p = PutIsoDate(p, cf.m_nDate);
        }
        out.append(block, p);
    }
    out += "\r\n";
}

BondCsvReader::BondCsvReader(std::string_view bytes)
{
    if (bytes.size() > kMaxBondCsvBytes) {
        Fail(BondCsvError::TooLarge, 0);
        return;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        m_text = bytes.substr(3);
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        m_decoded = bytes[0] == '\xFE' ? Utf16BeToUtf8(bytes.substr(2)) : Utf16LeToUtf8(bytes.substr(2));
        m_text = m_decoded;
    } else {
        m_text = bytes;
        m_cp1252 = !IsUtf8(bytes);
    }
    // No text holds a zero byte; binary files nearly always do.
    if (std::memchr(m_text.data(), '\0', m_text.size())) {
        Fail(BondCsvError::NotText, 0);
        return;
    }
    const std::size_t end = m_text.find_first_of("\r\n");
    if (m_text.substr(0, end) != kBondCsvHeader) {
        Fail(BondCsvError::NoHeader, 1);
        return;
    }
    m_pos = end == std::string_view::npos ? m_text.size() : end;
    SkipLineEnd();
}

void BondCsvReader::Fail(BondCsvError error, std::int64_t line)
{
    m_error = error;
    m_errorLine = line;
    m_pos = m_text.size();
}

void BondCsvReader::SkipLineEnd()
{
    if (m_pos >= m_text.size())
        return;
    if (m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
        ++m_pos;
    ++m_pos;
    ++m_line;
}

void BondCsvReader::Store(std::string& out, std::string_view raw) const
{
    if (m_cp1252 && !IsAscii(raw))
        out = Cp1252ToUtf8(raw);
    else
        out.assign(raw);
}

bool BondCsvReader::ReadField(std::string& out, std::size_t rowStart, std::int64_t rowLine)
{
    const std::string_view text = m_text;
    auto fieldEnd = [&](std::size_t from) {
        while (from < text.size() && text[from] != ',' && text[from] != '\n' && text[from] != '\r')
            ++from;
        return from;
    };
    if (m_pos >= text.size() || text[m_pos] != '"') {
        const std::size_t end = fieldEnd(m_pos);
        if (end - rowStart > kMaxBondCsvRowBytes) {
            Fail(BondCsvError::RowTooLong, rowLine);
            return false;
        }
        Store(out, text.substr(m_pos, end - m_pos));
        m_pos = end;
        return true;
    }
    // Quoted: up to the next lone quote, a doubled one standing for itself;
    // commas and line ends inside belong to the field.
    ++m_pos;
    std::string raw;
    switch (ReadQuotedField(text, m_pos, rowStart + kMaxBondCsvRowBytes, m_line, raw)) {
    case QuotedFieldEnd::Closed:
        break;
    case QuotedFieldEnd::NotClosed:
        Fail(BondCsvError::QuoteNotClosed, rowLine);
        return false;
    case QuotedFieldEnd::BeyondLimit:
        Fail(BondCsvError::RowTooLong, rowLine);
        return false;
    }
    // Whatever stands between the closing quote and the comma is kept, as
    // spreadsheets do.
    const std::size_t end = fieldEnd(m_pos);
    if (end - rowStart > kMaxBondCsvRowBytes) {
        Fail(BondCsvError::RowTooLong, rowLine);
        return false;
    }
    raw.append(text.substr(m_pos, end - m_pos));
    m_pos = end;
    Store(out, raw);
    return true;
}

bool BondCsvReader::ReadRow(BondCsvRow& row)
{
    const std::size_t rowStart = m_pos;
    const std::int64_t rowLine = m_line;
    std::size_t count = 0;
    for (;;) {
        // A row of more fields than any record has is refused whole by its
        // judge; the fields beyond one more are not kept.
        if (count <= kBondCsvFields && row.fields.size() <= count)
            row.fields.emplace_back();
        std::string scratch;
        if (!ReadField(count <= kBondCsvFields ? row.fields[count] : scratch, rowStart, rowLine))
            return false;
        ++count;
        if (m_pos >= m_text.size() || m_text[m_pos] == '\n' || m_text[m_pos] == '\r') {
            SkipLineEnd();
            break;
        }
        ++m_pos; // the comma
    }
    row.fields.resize(count <= kBondCsvFields ? count : kBondCsvFields + 1);
    row.line = rowLine;
    return true;
}

bool BondCsvReader::Next(BondCsvRow& row)
{
    while (m_error == BondCsvError::None && m_pos < m_text.size()) {
        if (m_text[m_pos] == '\n' || m_text[m_pos] == '\r') {
            SkipLineEnd();
            continue;
        }
        if (m_rows == kMaxBondCsvRows) {
            Fail(BondCsvError::TooManyRows, m_line);
            return false;
        }
        if (!ReadRow(row))
            return false;
        ++m_rows;
        return true;
    }
    return false;
}

} // namespace tenvix
