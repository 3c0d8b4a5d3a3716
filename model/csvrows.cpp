#include "model/csvrows.h"

#include <algorithm>
#include <vector>

namespace tenvix {
namespace {

// Rows looked at to find the layout, and the most fields kept while doing
// so, whatever the width of the file.
constexpr std::size_t kSampleRows = 1000;
constexpr std::size_t kSampleFields = 65536;
// Rows between two reports of progress.
constexpr std::size_t kProgressStep = 65536;

RowsFileError ErrorOf(CsvError error)
{
    switch (error) {
    case CsvError::None:
        return RowsFileError::None;
    case CsvError::TooLarge:
        return RowsFileError::TooLarge;
    case CsvError::NotText:
        return RowsFileError::NotText;
    case CsvError::UnreadEncoding:
        return RowsFileError::UnreadEncoding;
    case CsvError::RecordTooLong:
        return RowsFileError::LineTooLong;
    case CsvError::TooManyColumns:
        return RowsFileError::TooManyColumns;
    case CsvError::QuoteNotClosed:
        return RowsFileError::QuoteNotClosed;
    }
    return RowsFileError::NotText;
}

RowsRead Failed(RowsRead read, RowsFileError error, std::int64_t detail = 0)
{
    read.error = error;
    read.errorDetail = detail;
    return read;
}

// A reader's failure as the file's; an unread encoding tells which.
RowsRead FailedReading(RowsRead read, const CsvReader& reader)
{
    const std::int64_t detail =
        reader.Error() == CsvError::UnreadEncoding ? static_cast<std::int64_t>(reader.Encoding()) : reader.ErrorLine();
    return Failed(read, ErrorOf(reader.Error()), detail);
}

} // namespace

RowsRead ReadRows(std::string_view bytes, RowsTaker& taker, const ImportProgress& progress, std::size_t maxRows)
{
    RowsRead read;
    CsvReader reader(bytes);
    read.encoding = reader.Encoding();
    read.separator = reader.Separator();

    std::vector<CsvRecord> sample;
    std::size_t sampleFields = 0;
    CsvRecord record;
    while (sample.size() < kSampleRows && sampleFields < kSampleFields && reader.Next(record)) {
        sampleFields += record.fields.size();
        sample.push_back(record);
    }
    if (reader.Error() != CsvError::None)
        return FailedReading(read, reader);
    if (sample.empty())
        return Failed(read, RowsFileError::Empty);

    const RowsLayout layout = taker.Layout(sample, read.separator);
    read.header = layout.header;
    const std::span<const CsvRecord> data = std::span(sample).subspan(layout.header ? 1 : 0);
    if (!layout.found)
        return Failed(read, RowsFileError::NoColumns);
    if (data.size() > maxRows)
        return Failed(read, RowsFileError::TooManyRows, static_cast<std::int64_t>(maxRows));
    // As many rows as the sample's length per row promises, so that a large
    // file is not copied over and over while it grows.
    if (reader.Position() < reader.Size() && reader.Position() > 0) {
        const double perRow = static_cast<double>(reader.Position()) / static_cast<double>(sample.size());
        const double expected = 1.05 * static_cast<double>(reader.Size()) / perRow + 16.0;
        taker.Reserve(static_cast<std::size_t>(std::min(expected, static_cast<double>(maxRows))));
    } else {
        taker.Reserve(data.size());
    }
    for (const CsvRecord& r : data)
        taker.Take(r);
    read.rows = data.size();
    sample.clear();
    sample.shrink_to_fit();
    while (reader.Next(record)) {
        if (read.rows >= maxRows)
            return Failed(read, RowsFileError::TooManyRows, static_cast<std::int64_t>(maxRows));
        taker.Take(record);
        ++read.rows;
        if (progress && read.rows % kProgressStep == 0 && !progress(reader.Position(), reader.Size()))
            return Failed(read, RowsFileError::Cancelled);
    }
    if (reader.Error() != CsvError::None)
        return FailedReading(read, reader);
    if (read.rows == 0)
        return Failed(read, RowsFileError::Empty);
    return read;
}

} // namespace tenvix
