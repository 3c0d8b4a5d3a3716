#include "model/banklist.h"

#include "model/date.h"
#include "model/explain.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/pricecolumns.h"
#include "model/pricefile.h"
#include "model/pricemessages.h"

#include <algorithm>

namespace tenvix {
namespace {

class BankRowsTaker final : public RowsTaker {
public:
    BankRowsTaker(BankList& list, const std::optional<BankColumns>& columns) : m_list(list), m_given(columns) {}

    RowsLayout Layout(std::span<const CsvRecord> sample, char separator) override
    {
        RowsLayout layout;
        layout.header = IsHeading(sample.front(), separator == ',');
        for (const CsvRecord& r : sample)
            m_list.columnCount = std::max(m_list.columnCount, r.fields.size());
        if (layout.header)
            for (const std::string& field : sample.front().fields)
                m_list.headings.emplace_back(Trim(field));
        m_list.columns = m_given ? *m_given : GuessBankColumns(m_list.headings);
        return layout;
    }
    void Reserve(std::size_t rows) override { m_list.rows.reserve(rows); }
    void Take(const CsvRecord& r) override
    {
        BankRow& row = m_list.rows.emplace_back();
        row.line = r.line;
        for (const BankField f : kBankFields) {
            const std::size_t c = m_list.columns[f];
            if (c != kNoColumn)
                row.text += FieldOf(r, c);
            row.ends[static_cast<std::size_t>(f)] = static_cast<std::uint32_t>(row.text.size());
        }
        NoteMarks(m_marks, row.NumberText(BankField::Rate));
        NoteMarks(m_marks, row.Field(BankField::Price));
        NoteMarks(m_marks, row.Field(BankField::Face));
    }
    DecimalMarks Marks() const { return m_marks; }

private:
    BankList& m_list;
    const std::optional<BankColumns>& m_given;
    DecimalMarks m_marks;
};

const char* Plural(BankField field)
{
    switch (field) {
    case BankField::Id:
        return "identifiers";
    case BankField::Rate:
        return "coupon rates";
    case BankField::Maturity:
        return "maturities";
    case BankField::Price:
        return "prices";
    default:
        break;
    }
    return BankFieldKey(field);
}

} // namespace

std::string_view BankRow::Field(BankField field) const
{
    const auto f = static_cast<std::size_t>(field);
    const std::uint32_t from = f == 0 ? 0 : ends[f - 1];
    return std::string_view(text).substr(from, ends[f] - from);
}

std::string_view BankRow::NumberText(BankField field) const
{
    std::string_view number = Field(field);
    if (field == BankField::Rate && !number.empty() && number.back() == '%')
        number = Trim(number.substr(0, number.size() - 1));
    return number;
}

BankList ReadBankList(std::string_view bytes, const std::optional<BankColumns>& columns,
                      const ImportProgress& progress, std::size_t maxRows)
{
    BankList list;
    BankRowsTaker taker(list, columns);
    const RowsRead read = ReadRows(bytes, taker, progress, maxRows);
    list.encoding = read.encoding;
    list.separator = read.separator;
    list.header = read.header;
    if (read.error != RowsFileError::None) {
        list.error = read.error;
        list.errorDetail = read.errorDetail;
        list.rows.clear();
        list.rows.shrink_to_fit();
        return list;
    }
    list.decimalMark = DecidedMark(taker.Marks());
    return list;
}

bool LooksLikeBankList(const BankList& list) { return RequiredFound(GuessBankColumns(list.headings)) >= 2; }

std::string BankListErrorText(const BankList& list)
{
    switch (list.error) {
    case RowsFileError::None:
        if (const std::optional<BankField> missing = MissingBankField(list.columns))
            return std::string("No column of ") + Plural(*missing) + " found .";
        return {};
    case RowsFileError::Empty:
        return "The file holds no bonds .";
    default:
        break;
    }
    return PriceFileErrorText(PriceFileErrorOf(list.error), list.errorDetail);
}

std::string ColumnName(const BankList& list, std::size_t column)
{
    if (column < list.headings.size() && !list.headings[column].empty())
        return list.headings[column];
    return "column " + FormatInteger(static_cast<std::int64_t>(column + 1));
}

std::optional<std::int32_t> DefaultRelease(std::int32_t maturityDay, std::int32_t periodMonths,
                                           std::int32_t standDay)
{
    if (periodMonths < 1)
        return std::nullopt;
    if (standDay >= maturityDay)
        return maturityDay;
    const CivilDate m = Civil(maturityDay);
    const CivilDate s = Civil(standDay);
    if (m.year < 0 || s.year < 0)
        return std::nullopt;
    // Whole periods back from maturity, within the calendar.
    const std::int64_t calendarMonths = static_cast<std::int64_t>(m.year - 100) * 12 + (m.month - 1);
    const auto back = [&](std::int64_t k) -> std::optional<std::int32_t> {
        const std::int64_t months = k * periodMonths;
        if (months > calendarMonths)
            return std::nullopt;
        return MonthsBefore(maturityDay, static_cast<int>(months));
    };
    const std::int64_t between = static_cast<std::int64_t>(m.year - s.year) * 12 + (m.month - s.month);
    std::int64_t k = std::max<std::int64_t>(0, between / periodMonths);
    for (;;) {
        const std::optional<std::int32_t> day = back(k);
        if (!day)
            return std::nullopt;
        if (*day <= standDay)
            break;
        ++k;
    }
    while (k > 0 && *back(k - 1) <= standDay)
        --k;
    return back(k);
}

} // namespace tenvix
