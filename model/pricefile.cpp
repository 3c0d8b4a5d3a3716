#include "model/pricefile.h"

#include "model/pricecolumns.h"

#include <algorithm>

namespace tenvix {
namespace {

// Rows looked at to find the columns, and the most fields kept while doing
// so, whatever the width of the file.
constexpr std::size_t kSampleRows = 1000;
constexpr std::size_t kSampleFields = 65536;
// Rows between two reports of progress.
constexpr std::size_t kProgressStep = 65536;

PriceFileError ErrorOf(CsvError error)
{
    switch (error) {
    case CsvError::None:
        return PriceFileError::None;
    case CsvError::TooLarge:
        return PriceFileError::TooLarge;
    case CsvError::NotText:
        return PriceFileError::NotText;
    case CsvError::UnreadEncoding:
        return PriceFileError::UnreadEncoding;
    case CsvError::RecordTooLong:
        return PriceFileError::LineTooLong;
    case CsvError::TooManyColumns:
        return PriceFileError::TooManyColumns;
    case CsvError::QuoteNotClosed:
        return PriceFileError::QuoteNotClosed;
    }
    return PriceFileError::NotText;
}

PriceFile Failed(PriceFile file, PriceFileError error, std::int64_t line = 0)
{
    file.error = error;
    file.errorDetail = line;
    file.rows.clear();
    file.rows.shrink_to_fit();
    return file;
}

// A reader's failure as the file's; an unread encoding tells which.
PriceFile FailedReading(PriceFile file, const CsvReader& reader)
{
    const std::int64_t detail =
        reader.Error() == CsvError::UnreadEncoding ? static_cast<std::int64_t>(reader.Encoding()) : reader.ErrorLine();
    return Failed(std::move(file), ErrorOf(reader.Error()), detail);
}

} // namespace

PriceFile ReadPriceFile(std::string_view bytes, const BondIdIndex& index, const ImportProgress& progress,
                        std::size_t maxRows)
{
    PriceFile file;
    CsvReader reader(bytes);
    file.encoding = reader.Encoding();
    file.separator = reader.Separator();
    const bool commaSeparated = file.separator == ',';

    std::vector<CsvRecord> sample;
    std::size_t sampleFields = 0;
    CsvRecord record;
    while (sample.size() < kSampleRows && sampleFields < kSampleFields && reader.Next(record)) {
        sampleFields += record.fields.size();
        sample.push_back(record);
    }
    if (reader.Error() != CsvError::None)
        return FailedReading(std::move(file), reader);
    if (sample.empty())
        return Failed(std::move(file), PriceFileError::Empty);

    file.header = IsHeading(sample.front(), index, commaSeparated);
    const std::span<const CsvRecord> data = std::span(sample).subspan(file.header ? 1 : 0);
    const PriceColumns columns =
        FindColumns(file.header ? &sample.front().fields : nullptr, data, index, commaSeparated);
    if (!columns.found)
        return Failed(std::move(file), PriceFileError::NoPriceColumn);
    file.idColumn = columns.id;
    file.priceColumn = columns.price;

    auto keep = [&](const CsvRecord& r) {
        PriceRow& row = file.rows.emplace_back();
        row.line = r.line;
        row.id = FieldOf(r, file.idColumn);
        row.price = FieldOf(r, file.priceColumn);
        NoteMarks(file.marks, row.price);
    };
    if (data.size() > maxRows)
        return Failed(std::move(file), PriceFileError::TooManyRows, static_cast<std::int64_t>(maxRows));
    // As many rows as the sample's length per row promises, so that a large
    // file is not copied over and over while it grows.
    if (reader.Position() < reader.Size() && reader.Position() > 0) {
        const double perRow = static_cast<double>(reader.Position()) / static_cast<double>(sample.size());
        const double expected = 1.05 * static_cast<double>(reader.Size()) / perRow + 16.0;
        file.rows.reserve(static_cast<std::size_t>(std::min(expected, static_cast<double>(maxRows))));
    }
    for (const CsvRecord& r : data)
        keep(r);
    sample.clear();
    sample.shrink_to_fit();
    while (reader.Next(record)) {
        if (file.rows.size() >= maxRows)
            return Failed(std::move(file), PriceFileError::TooManyRows, static_cast<std::int64_t>(maxRows));
        keep(record);
        if (progress && file.rows.size() % kProgressStep == 0 && !progress(reader.Position(), reader.Size()))
            return Failed(std::move(file), PriceFileError::Cancelled);
    }
    if (reader.Error() != CsvError::None)
        return FailedReading(std::move(file), reader);
    if (file.rows.empty())
        return Failed(std::move(file), PriceFileError::Empty);
    file.decimalMark = DecidedMark(file.marks);
    return file;
}

} // namespace tenvix
