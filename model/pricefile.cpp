#include "model/pricefile.h"

#include "model/pricecolumns.h"

namespace tenvix {

PriceFileError PriceFileErrorOf(RowsFileError error)
{
    switch (error) {
    case RowsFileError::None:
        return PriceFileError::None;
    case RowsFileError::Cancelled:
        return PriceFileError::Cancelled;
    case RowsFileError::TooLarge:
        return PriceFileError::TooLarge;
    case RowsFileError::NotText:
        return PriceFileError::NotText;
    case RowsFileError::UnreadEncoding:
        return PriceFileError::UnreadEncoding;
    case RowsFileError::LineTooLong:
        return PriceFileError::LineTooLong;
    case RowsFileError::TooManyColumns:
        return PriceFileError::TooManyColumns;
    case RowsFileError::QuoteNotClosed:
        return PriceFileError::QuoteNotClosed;
    case RowsFileError::TooManyRows:
        return PriceFileError::TooManyRows;
    case RowsFileError::Empty:
        return PriceFileError::Empty;
    case RowsFileError::NoColumns:
        return PriceFileError::NoPriceColumn;
    }
    return PriceFileError::NotText;
}

namespace {

// The identifier and the price of each row, the columns found from the
// heading or the values.
class PriceRowsTaker final : public RowsTaker {
public:
    PriceRowsTaker(PriceFile& file, const BondIdIndex& index) : m_file(file), m_index(index) {}

    RowsLayout Layout(std::span<const CsvRecord> sample, char separator) override
    {
        const bool commaSeparated = separator == ',';
        RowsLayout layout;
        layout.header = IsHeading(sample.front(), m_index, commaSeparated);
        const PriceColumns columns = FindColumns(layout.header ? &sample.front().fields : nullptr,
                                                 sample.subspan(layout.header ? 1 : 0), m_index, commaSeparated);
        layout.found = columns.found;
        m_file.idColumn = columns.id;
        m_file.priceColumn = columns.price;
        return layout;
    }
    void Reserve(std::size_t rows) override { m_file.rows.reserve(rows); }
    void Take(const CsvRecord& r) override
    {
        PriceRow& row = m_file.rows.emplace_back();
        row.line = r.line;
        row.id = FieldOf(r, m_file.idColumn);
        row.price = FieldOf(r, m_file.priceColumn);
        NoteMarks(m_file.marks, row.price);
    }

private:
    PriceFile& m_file;
    const BondIdIndex& m_index;
};

} // namespace

PriceFile ReadPriceFile(std::string_view bytes, const BondIdIndex& index, const ImportProgress& progress,
                        std::size_t maxRows)
{
    PriceFile file;
    PriceRowsTaker taker(file, index);
    const RowsRead read = ReadRows(bytes, taker, progress, maxRows);
    file.encoding = read.encoding;
    file.separator = read.separator;
    file.header = read.header;
    if (read.error != RowsFileError::None) {
        file.error = PriceFileErrorOf(read.error);
        file.errorDetail = read.errorDetail;
        file.rows.clear();
        file.rows.shrink_to_fit();
        return file;
    }
    file.decimalMark = DecidedMark(file.marks);
    return file;
}

} // namespace tenvix
