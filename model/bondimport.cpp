#include "model/bondimport.h"

#include "model/format.h"
#include "model/recordmatch.h"
#include "model/recordmessages.h"

#include <string_view>

namespace tenvix {
namespace {

// "%d" in `format` replaced by `number`.
std::string WithNumber(std::string_view format, std::int64_t number)
{
    const std::size_t at = format.find("%d");
    std::string text(format.substr(0, at));
    if (at == std::string_view::npos)
        return text;
    AppendInteger(text, number);
    return text.append(format.substr(at + 2));
}

} // namespace

BondImport JudgeBonds(std::string_view bytes, CBondList& list, const BondImportProgress& progress)
{
    BondImport result;
    BondCsvReader reader(bytes);
    RecordMatcher matcher(list);
    // Into a database of no records, such as the file the import makes, the
    // rows are a database's export coming back: one that held an identifier
    // twice (two typed beyond Windows-1252 are stored alike) gets both again,
    // in file order. Into one with records, a second row of an identifier is
    // refused, as the form refuses an occupied one.
    const bool keepEveryRow = list.m_list.empty();
    BondCsvRow row;
    std::size_t rows = 0;
    while (reader.Next(row)) {
        if (progress && ++rows % 4096 == 0 && !progress(reader.Position(), reader.Size())) {
            result.cancelled = true;
            result.verdicts.clear();
            return result;
        }
        BondVerdict& v = result.verdicts.emplace_back();
        v.line = row.line;
        if (row.fields.size() > 1)
            v.id = row.fields[1];
        if (!keepEveryRow && row.fields.size() == kBondCsvFields && matcher.SeenBefore(v.id)) {
            v.refusal = BondRefusal::DuplicateId;
            continue;
        }
        RowReading reading = ReadBondRow(row);
        if (!reading.bond) {
            v.refusal = BondRefusal::Row;
            v.row = reading.refusal;
            v.code = reading.code;
            v.detail = static_cast<std::int64_t>(row.fields.size());
            continue;
        }
        matcher.Judge(v, std::move(reading.bond));
    }
    if (reader.Error() != BondCsvError::None) {
        result.error = reader.Error();
        result.errorLine = reader.ErrorLine();
        result.verdicts.clear();
    }
    return result;
}

BondCounts CountBondVerdicts(std::span<const BondVerdict> verdicts)
{
    BondCounts counts;
    counts.rows = verdicts.size();
    for (const BondVerdict& v : verdicts) {
        switch (v.kind) {
        case BondVerdictKind::Add:
            ++counts.add;
            break;
        case BondVerdictKind::Replace:
            ++counts.replace;
            break;
        case BondVerdictKind::Unchanged:
            ++counts.unchanged;
            break;
        case BondVerdictKind::Refused:
            ++counts.refused;
            break;
        }
    }
    return counts;
}

BondCounts ApplyBonds(CBondList& list, std::span<BondVerdict> verdicts)
{
    BondCounts done;
    for (BondVerdict& v : verdicts) {
        if (!v.bond)
            continue;
        if (v.kind == BondVerdictKind::Replace) {
            *v.target = std::move(v.bond);
            ++done.replace;
        } else if (v.kind == BondVerdictKind::Add) {
            list.m_list.push_back(std::move(v.bond));
            ++done.add;
        }
    }
    done.rows = done.add + done.replace;
    return done;
}

std::string BondFileErrorText(BondCsvError error, std::int64_t line)
{
    switch (error) {
    case BondCsvError::None:
        break;
    case BondCsvError::TooLarge:
        return WithNumber("The file is larger than %d MB .", static_cast<std::int64_t>(kMaxBondCsvBytes >> 20));
    case BondCsvError::NotText:
        return "This is not a text file .";
    case BondCsvError::NoHeader:
        return "This is not a file of bonds: its first line must be " + std::string(kBondCsvHeader) + " .";
    case BondCsvError::RowTooLong:
        return WithNumber(WithNumber("Line %d is longer than %d bytes .", line),
                          static_cast<std::int64_t>(kMaxBondCsvRowBytes));
    case BondCsvError::QuoteNotClosed:
        return WithNumber("The quote that opens in line %d is not closed .", line);
    case BondCsvError::TooManyRows:
        return WithNumber("The file has more than %d rows .", static_cast<std::int64_t>(kMaxBondCsvRows));
    }
    return {};
}

std::string BondRefusalText(const BondVerdict& verdict)
{
    if (verdict.kind != BondVerdictKind::Refused)
        return {};
    switch (verdict.refusal) {
    case BondRefusal::None:
        return {};
    case BondRefusal::DuplicateId:
        return "Duplicate ID in the file !";
    case BondRefusal::SeveralBonds:
        return WithNumber("ID names %d bonds in the database !", verdict.detail);
    case BondRefusal::Worded:
        return verdict.reason;
    case BondRefusal::Row:
        break;
    }
    switch (verdict.row) {
    case RowRefusal::None:
        return {};
    case RowRefusal::FieldCount:
        return WithNumber("10 fields expected, not %d !", verdict.detail);
    case RowRefusal::Type:
        return "Type should be I or II !";
    case RowRefusal::IdNotStored:
        return "ID holds characters the database cannot store !";
    case RowRefusal::NameNotStored:
        return "Name holds characters the database cannot store !";
    case RowRefusal::IdLineBreak:
        return "ID holds a line break !";
    case RowRefusal::Release:
        return "Invalid Release Date !";
    case RowRefusal::Maturity:
        return "Invalid Maturity Date !";
    case RowRefusal::FormRule:
        return FormMessage(verdict.code);
    case RowRefusal::TypeIFields:
        return "Payments belong to Type II records !";
    case RowRefusal::TypeIIFields:
        return "Coupon, period and face belong to Type I records !";
    case RowRefusal::TooManyPayments:
        return WithNumber("More than %d payments !", static_cast<std::int64_t>(kMaxRowPayments));
    }
    return {};
}

const char* BondVerdictName(BondVerdictKind kind)
{
    switch (kind) {
    case BondVerdictKind::Add:
        return "add";
    case BondVerdictKind::Replace:
        return "replace";
    case BondVerdictKind::Unchanged:
        return "unchanged";
    case BondVerdictKind::Refused:
        break;
    }
    return "refused";
}

} // namespace tenvix
