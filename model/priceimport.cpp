#include "model/priceimport.h"

#include "model/numbers.h"
#include "model/priceupdate.h"
#include "model/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

// Rows looked at to find the columns, and the most fields kept while doing
// so, whatever the width of the file.
constexpr std::size_t kSampleRows = 1000;
constexpr std::size_t kSampleFields = 65536;
// Rows between two reports of progress.
constexpr std::size_t kProgressStep = 65536;

// ---- The texts --------------------------------------------------------------

struct FileErrorText {
    PriceFileError error;
    const char* text; // each %d takes the next number
};
constexpr FileErrorText kFileErrorTexts[] = {
    {PriceFileError::None, ""},
    {PriceFileError::Cancelled, "The import was cancelled ."},
    {PriceFileError::TooLarge, "The file is larger than %d MB ."},
    {PriceFileError::NotText, "This is not a text file ."},
    {PriceFileError::UnreadEncoding, "The file is in %s, which cannot be read ; save it as UTF-8 ."},
    {PriceFileError::LineTooLong, "Line %d is longer than %d bytes ."},
    {PriceFileError::TooManyColumns, "Line %d has more than %d columns ."},
    {PriceFileError::QuoteNotClosed, "The quote that opens in line %d is not closed ."},
    {PriceFileError::TooManyRows, "The file has more than %d rows ."},
    {PriceFileError::Empty, "The file holds no prices ."},
    {PriceFileError::NoPriceColumn, "No column of prices found ."},
};

struct RefusalText {
    PriceRefusal refusal;
    const char* text;
};
constexpr RefusalText kRefusalTexts[] = {
    {PriceRefusal::None, ""},
    {PriceRefusal::NoId, "No ID !"},
    {PriceRefusal::NoPrice, "No price !"},
    {PriceRefusal::NotANumber, "Invalid price !"},
    {PriceRefusal::OutOfRange, "New Price out of range !"},
    {PriceRefusal::ThousandsSeparator, "Thousands separators not accepted !"},
    {PriceRefusal::Ambiguous, "Ambiguous number !"},
    {PriceRefusal::SeveralBonds, "ID matches %d bonds !"},
    {PriceRefusal::SameIdOtherPrice, "Same ID with another price in line %d !"},
    {PriceRefusal::SameBondOtherPrice, "Same bond with another price in line %d !"},
};

std::string Substitute(std::string_view format, std::initializer_list<std::int64_t> numbers)
{
    std::string out;
    auto next = numbers.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.substr(i, 2) == "%d" && next != numbers.end()) {
            out += std::to_string(*next++);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// ---- The shape of a price ---------------------------------------------------

// A price as digits and the marks between them. Bank files write thousands
// with a full stop, a comma, a blank (also the no-break ones) or an
// apostrophe; only a lone full stop or comma can be a decimal mark.
struct PriceShape {
    enum Kind {
        Plain,          // digits alone, or anything with other characters
        OneMark,        // one full stop or comma, which may be the decimal mark
        Grouped,        // groups of three digits behind marks: thousands
        GroupedDecimal, // the same followed by a decimal mark of the other kind
        Broken,         // marks that are neither
    };
    Kind kind = Plain;
    char mark = 0;           // OneMark: the mark; GroupedDecimal: the decimal mark
    bool threeAfter = false; // OneMark: 1 to 3 digits, the mark, 3 digits (as "1.234")
    bool ambiguous = false;  // OneMark: threeAfter with a whole part other than 0, a thousand perhaps
    bool simple = false;     // a sign, digits and at most one full stop or comma, and a digit at least
};

PriceShape ShapeOf(std::string_view text)
{
    constexpr int kMaxMarks = 16;
    std::array<char, kMaxMarks> marks{};
    std::array<std::size_t, kMaxMarks + 1> runs{};
    int count = 0;
    bool wholeNotZero = false; // a digit other than 0 before the first mark
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++runs[static_cast<std::size_t>(count)];
            wholeNotZero = wholeNotZero || (count == 0 && c != '0');
            ++i;
            continue;
        }
        char mark = 0;
        std::size_t width = 1;
        if (c == '.' || c == ',' || c == ' ' || c == '\'') {
            mark = c;
        } else if (text.substr(i, 2) == "\xC2\xA0") { // no-break space
            mark = ' ';
            width = 2;
        } else if (text.substr(i, 3) == "\xE2\x80\xAF") { // narrow no-break space
            mark = ' ';
            width = 3;
        } else if (text.substr(i, 3) == "\xE2\x80\x99") { // right single quotation mark
            mark = '\'';
            width = 3;
        }
        if (!mark || count == kMaxMarks)
            return {}; // an exponent, a letter, a currency sign: no thousands here
        marks[static_cast<std::size_t>(count++)] = mark;
        i += width;
    }
    PriceShape shape;
    const auto groupOf = [&](int k) { return runs[static_cast<std::size_t>(k)]; };
    if (count == 0) {
        shape.simple = groupOf(0) > 0;
        return shape;
    }
    const bool lead = groupOf(0) >= 1 && groupOf(0) <= 3;
    if (count == 1 && (marks[0] == '.' || marks[0] == ',')) {
        shape.kind = PriceShape::OneMark;
        shape.mark = marks[0];
        shape.threeAfter = lead && groupOf(1) == 3;
        shape.ambiguous = shape.threeAfter && wholeNotZero;
        shape.simple = groupOf(0) + groupOf(1) > 0;
        return shape;
    }
    // Thousands: every mark but perhaps the last is the first one's kind and
    // followed by three digits.
    int grouped = 0;
    while (lead && grouped < count && marks[static_cast<std::size_t>(grouped)] == marks[0] && groupOf(grouped + 1) == 3)
        ++grouped;
    if (lead && grouped == count) {
        shape.kind = PriceShape::Grouped;
    } else if (lead && grouped == count - 1 && grouped > 0) {
        const char last = marks[static_cast<std::size_t>(count - 1)];
        if ((last == '.' || last == ',') && last != marks[0]) {
            shape.kind = PriceShape::GroupedDecimal;
            shape.mark = last;
        } else {
            shape.kind = PriceShape::Broken;
        }
    } else {
        shape.kind = PriceShape::Broken;
    }
    return shape;
}

PriceReading FromNewPrice(const NewPrice& read)
{
    switch (read.check) {
    case PriceCheck::OK:
        return {PriceRefusal::None, read.value};
    case PriceCheck::OutOfRange:
        return {PriceRefusal::OutOfRange, read.value};
    case PriceCheck::Invalid:
        break;
    }
    return {PriceRefusal::NotANumber, 0.0};
}

PriceReading InRange(double value)
{
    if (!(value >= kMinNewPrice && value <= kMaxNewPrice))
        return {PriceRefusal::OutOfRange, value};
    return {PriceRefusal::None, value};
}

// The text with its one comma read as a full stop.
PriceReading ReadWithDecimalComma(std::string_view text)
{
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    return FromNewPrice(ReadNewPrice(copy));
}

// A simple price (sign, digits, at most one decimal mark), read as
// ReadNewPrice reads it. Up to 15 digits and 22 decimals the quotient of two
// exact doubles is the correctly rounded value, as ReadNewPrice's is; longer
// texts go the long way.
PriceReading ReadSimple(std::string_view text)
{
    constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = text[0] == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            decimals += decimals >= 0 ? 1 : 0;
        } else if (c == '.' || c == ',') {
            decimals = 0;
        }
        if (digits > 15)
            return ReadWithDecimalComma(text);
    }
    double value = static_cast<double>(mantissa);
    if (decimals > 0)
        value /= kPowersOfTen[decimals];
    return InRange(negative ? -value : value);
}

bool LooksNumeric(std::string_view text, bool commaSeparated)
{
    const PriceRefusal r = ReadImportedPrice(text, commaSeparated, DecimalMark::Undecided).refusal;
    return r == PriceRefusal::None || r == PriceRefusal::OutOfRange || r == PriceRefusal::ThousandsSeparator ||
           r == PriceRefusal::Ambiguous;
}

// ---- The columns ------------------------------------------------------------

constexpr std::string_view kIdWords[] = {"id",     "identifier", "isin", "wkn", "cusip",
                                         "symbol", "ticker",     "code", "bond"};
constexpr std::string_view kPriceWords[] = {"price", "kurs", "cours", "prezzo", "close", "last", "quote", "bid", "mid"};

// How well a heading names a column: the whole heading one of `words` ranks
// before a heading that holds it as a word ("Last price"), and within each
// the earlier word in the list first. -1 when it holds none.
template <std::size_t N>
int HeadingRank(std::string_view heading, const std::string_view (&words)[N])
{
    const std::string folded = FoldCase(Trim(heading));
    for (std::size_t k = 0; k < N; ++k)
        if (folded == words[k])
            return static_cast<int>(k);
    auto isWordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
    };
    for (std::size_t k = 0; k < N; ++k) {
        for (std::size_t at = folded.find(words[k]); at != std::string::npos; at = folded.find(words[k], at + 1)) {
            const std::size_t end = at + words[k].size();
            if ((at == 0 || !isWordChar(folded[at - 1])) && (end == folded.size() || !isWordChar(folded[end])))
                return static_cast<int>(N + k);
        }
    }
    return -1;
}

// The columns of `heading` that `words` name, best first.
template <std::size_t N>
std::vector<std::size_t> NamedColumns(const std::vector<std::string>& heading, const std::string_view (&words)[N])
{
    std::vector<std::pair<int, std::size_t>> ranked;
    for (std::size_t c = 0; c < heading.size(); ++c)
        if (const int rank = HeadingRank(heading[c], words); rank >= 0)
            ranked.emplace_back(rank, c);
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::size_t> columns;
    for (const auto& [rank, column] : ranked)
        columns.push_back(column);
    return columns;
}

std::string_view FieldOf(const CsvRecord& record, std::size_t column)
{
    return column < record.fields.size() ? Trim(record.fields[column]) : std::string_view();
}

struct ColumnCounts {
    std::size_t filled = 0;  // rows with something in the column
    std::size_t numeric = 0; // of those, rows with a number
    std::size_t ids = 0;     // of those, rows whose text reaches a bond
};

std::vector<ColumnCounts> CountColumns(std::span<const CsvRecord> data, const BondIdIndex& index, bool commaSeparated)
{
    std::vector<ColumnCounts> counts;
    for (const CsvRecord& record : data) {
        if (counts.size() < record.fields.size())
            counts.resize(record.fields.size());
        for (std::size_t c = 0; c < record.fields.size(); ++c) {
            const std::string_view text = Trim(record.fields[c]);
            if (text.empty())
                continue;
            ++counts[c].filled;
            counts[c].numeric += LooksNumeric(text, commaSeparated) ? 1 : 0;
            counts[c].ids += index.Match(text).Count() > 0 ? 1 : 0;
        }
    }
    return counts;
}

bool MostlyNumeric(const std::vector<ColumnCounts>& counts, std::size_t column)
{
    return column < counts.size() && counts[column].numeric * 2 > counts[column].filled;
}

// Whether the first row names the columns rather than holding a price: no
// field is a number and none is the identifier of a bond.
bool IsHeading(const CsvRecord& first, const BondIdIndex& index, bool commaSeparated)
{
    for (const std::string& field : first.fields) {
        const std::string_view text = Trim(field);
        if (!text.empty() && (LooksNumeric(text, commaSeparated) || index.Match(text).Count() > 0))
            return false;
    }
    return true;
}

struct Columns {
    bool found = false;
    std::size_t id = 0;
    std::size_t price = 0;
};

Columns FindColumns(const std::vector<std::string>* heading, std::span<const CsvRecord> data, const BondIdIndex& index,
                    bool commaSeparated)
{
    const std::vector<ColumnCounts> counts = CountColumns(data, index, commaSeparated);
    const std::vector<std::size_t> idNamed = heading ? NamedColumns(*heading, kIdWords) : std::vector<std::size_t>{};
    std::vector<std::size_t> priceNamed = heading ? NamedColumns(*heading, kPriceWords) : std::vector<std::size_t>{};

    Columns columns;
    if (!idNamed.empty()) {
        columns.id = idNamed.front();
    } else {
        // The column that reaches the most bonds; when none reaches any, the
        // first that is not numbers.
        std::size_t best = 0;
        for (std::size_t c = 1; c < counts.size(); ++c)
            if (counts[c].ids > counts[best].ids)
                best = c;
        if (counts.empty() || counts[best].ids == 0) {
            const auto namedPrice = [&](std::size_t c) { return !priceNamed.empty() && c == priceNamed.front(); };
            best = 0;
            while (best < counts.size() && (MostlyNumeric(counts, best) || namedPrice(best)))
                ++best;
            if (best == counts.size())
                best = 0;
        }
        columns.id = best;
    }
    std::erase(priceNamed, columns.id);

    // A named column that holds numbers; else the first column of numbers
    // after the identifiers; else a named one all the same, whose rows are
    // then refused one by one.
    for (const std::size_t c : priceNamed) {
        if (MostlyNumeric(counts, c)) {
            columns.price = c;
            columns.found = true;
            return columns;
        }
    }
    for (std::size_t c = columns.id + 1; c < counts.size(); ++c) {
        if (MostlyNumeric(counts, c)) {
            columns.price = c;
            columns.found = true;
            return columns;
        }
    }
    if (!priceNamed.empty()) {
        columns.price = priceNamed.front();
        columns.found = true;
    }
    return columns;
}

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

void NoteMarks(DecimalMarks& marks, std::string_view price)
{
    const PriceShape shape = ShapeOf(price);
    if ((shape.kind == PriceShape::OneMark && !shape.ambiguous) || shape.kind == PriceShape::GroupedDecimal) {
        marks.point = marks.point || shape.mark == '.';
        marks.comma = marks.comma || shape.mark == ',';
    }
}

// A reader's failure as the file's; an unread encoding tells which.
PriceFile FailedReading(PriceFile file, const CsvReader& reader)
{
    const std::int64_t detail =
        reader.Error() == CsvError::UnreadEncoding ? static_cast<std::int64_t>(reader.Encoding()) : reader.ErrorLine();
    return Failed(std::move(file), ErrorOf(reader.Error()), detail);
}

} // namespace

DecimalMark DecidedMark(DecimalMarks marks)
{
    if (marks.point == marks.comma)
        return DecimalMark::Undecided;
    return marks.point ? DecimalMark::Point : DecimalMark::Comma;
}

PriceReading ReadImportedPrice(std::string_view text, bool commaSeparated, DecimalMark mark)
{
    text = Trim(text);
    if (text.empty())
        return {PriceRefusal::NoPrice, 0.0};
    const PriceShape shape = ShapeOf(text);
    switch (shape.kind) {
    case PriceShape::Plain: {
        if (shape.simple)
            return ReadSimple(text);
        // Digits with an exponent or other characters: at most one comma,
        // read as the decimal mark where the file allows one.
        const std::size_t commas = static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
        if (commas == 0)
            return FromNewPrice(ReadNewPrice(text));
        if (commas > 1 || commaSeparated || text.find('.') != std::string_view::npos)
            return {PriceRefusal::NotANumber, 0.0};
        return ReadWithDecimalComma(text);
    }
    case PriceShape::OneMark: {
        if (shape.mark == ',' && commaSeparated)
            return {shape.threeAfter ? PriceRefusal::ThousandsSeparator : PriceRefusal::NotANumber, 0.0};
        // "1.234" is a thousand where the decimal mark is a comma, "1,234"
        // where it is a full stop; nothing at all until one of them is
        // known. Guessed, either would store a price a thousand times off.
        if (shape.ambiguous) {
            if (mark == DecimalMark::Undecided)
                return {PriceRefusal::Ambiguous, 0.0};
            if (mark != (shape.mark == '.' ? DecimalMark::Point : DecimalMark::Comma))
                return {PriceRefusal::ThousandsSeparator, 0.0};
        }
        if (shape.simple)
            return ReadSimple(text);
        return {PriceRefusal::NotANumber, 0.0}; // a mark without digits
    }
    case PriceShape::Grouped:
    case PriceShape::GroupedDecimal:
        return {PriceRefusal::ThousandsSeparator, 0.0};
    case PriceShape::Broken:
        break;
    }
    return {PriceRefusal::NotANumber, 0.0};
}

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
    const Columns columns = FindColumns(file.header ? &sample.front().fields : nullptr, data, index, commaSeparated);
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

std::vector<PriceVerdict> JudgePrices(const PriceFile& file, const BondIdIndex& index, std::int32_t standDay,
                                      double largeChangePercent, const ImportProgress& progress)
{
    const std::size_t n = file.rows.size();
    const bool commaSeparated = file.separator == ',';
    std::vector<PriceVerdict> verdicts(n);
    // Three passes: each row on its own; then per bond the rows that would
    // give it a price; then the rows again. Every pass reaches into memory
    // far apart (the index, the bonds, the per-bond table) and asks for it
    // rows ahead, so that the memory fetches many at once.
    constexpr std::size_t kAhead = 16;
    auto cancelled = [&](std::size_t pass, std::size_t i) {
        return progress && i > 0 && i % kProgressStep == 0 && !progress(pass * n + i, 3 * n);
    };

    std::vector<std::uint64_t> hashes(n);
    for (std::size_t i = 0; i < n; ++i)
        hashes[i] = BondIdIndex::HashOf(file.rows[i].id);
    // The bond's position for a row that would give it a price, else kNone.
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> positionOf(n, kNone);
    std::vector<float> stored(n);
    bool anyTaken = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(0, i))
            return {};
        if (i + kAhead < n)
            index.PrefetchSlot(hashes[i + kAhead]);
        if (i + kAhead / 2 < n)
            index.PrefetchBond(hashes[i + kAhead / 2]);
        const PriceRow& row = file.rows[i];
        PriceVerdict& v = verdicts[i];
        if (row.id.empty()) {
            v.refusal = PriceRefusal::NoId;
            continue;
        }
        const PriceReading reading = ReadImportedPrice(row.price, commaSeparated, file.decimalMark);
        v.newPrice = reading.value;
        if (reading.refusal != PriceRefusal::None) {
            v.refusal = reading.refusal;
            continue;
        }
        const IdMatch match = index.Match(row.id, hashes[i]);
        v.matches = match.Count();
        if (v.matches == 0) {
            v.kind = PriceVerdictKind::Unknown;
            continue;
        }
        if (v.matches > 1) {
            v.refusal = PriceRefusal::SeveralBonds;
            continue;
        }
        v.bond = match.Bond();
        v.oldPrice = static_cast<double>(v.bond->m_fPrice);
        if (v.bond->m_nMaturity <= standDay) {
            v.kind = PriceVerdictKind::NotAlive;
            continue;
        }
        // Taken, unless another row gives the bond another price.
        v.kind = PriceVerdictKind::Update;
        positionOf[i] = static_cast<std::uint32_t>(match.Position());
        stored[i] = static_cast<float>(reading.value);
        anyTaken = true;
    }
    hashes = {};
    if (!anyTaken)
        return verdicts;

    // Per bond: its first row, that row's price, and the first row with
    // another price.
    struct PerBond {
        std::uint32_t first = kNone;
        float firstPrice = 0.0f;
        std::uint32_t other = kNone;
    };
    std::vector<PerBond> perBond(index.Size());
    auto prefetchBondOf = [&](std::size_t i) {
        if (i < n && positionOf[i] != kNone) {
#if defined(__GNUC__)
            __builtin_prefetch(&perBond[positionOf[i]]);
#endif
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(1, i))
            return {};
        prefetchBondOf(i + kAhead);
        if (positionOf[i] == kNone)
            continue;
        PerBond& b = perBond[positionOf[i]];
        if (b.first == kNone) {
            b.first = static_cast<std::uint32_t>(i);
            b.firstPrice = stored[i];
        } else if (b.other == kNone && stored[i] != b.firstPrice) {
            b.other = static_cast<std::uint32_t>(i);
        }
    }

    // A bond given different prices takes none of them; each of its rows
    // names the first row with a price other than its own.
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(2, i))
            return {};
        prefetchBondOf(i + kAhead);
        if (positionOf[i] == kNone)
            continue;
        PriceVerdict& v = verdicts[i];
        const PerBond& b = perBond[positionOf[i]];
        if (b.other != kNone) {
            const std::uint32_t against = stored[i] != b.firstPrice ? b.first : b.other;
            v.kind = PriceVerdictKind::Refused;
            v.refusal = file.rows[i].id == file.rows[against].id ? PriceRefusal::SameIdOtherPrice
                                                                 : PriceRefusal::SameBondOtherPrice;
            v.otherLine = file.rows[against].line;
            continue;
        }
        const auto old = static_cast<float>(v.oldPrice);
        if (stored[i] == old) {
            v.kind = PriceVerdictKind::Unchanged;
            continue;
        }
        v.changePercent = old == 0.0f ? std::numeric_limits<double>::infinity()
                                      : (static_cast<double>(stored[i]) - v.oldPrice) / v.oldPrice * 100.0;
        v.largeChange = IsLargeChange(v.changePercent, largeChangePercent);
    }
    return verdicts;
}

bool IsLargeChange(double changePercent, double threshold) { return !(std::fabs(changePercent) <= threshold); }

std::size_t MarkLargeChanges(std::span<PriceVerdict> verdicts, double threshold)
{
    std::size_t large = 0;
    for (PriceVerdict& v : verdicts) {
        v.largeChange = v.kind == PriceVerdictKind::Update && IsLargeChange(v.changePercent, threshold);
        large += v.largeChange ? 1 : 0;
    }
    return large;
}

VerdictFigures FiguresOf(const PriceVerdict& verdict)
{
    VerdictFigures figures;
    figures.oldPrice = verdict.bond != nullptr;
    switch (verdict.refusal) {
    case PriceRefusal::None:
    case PriceRefusal::OutOfRange:
    case PriceRefusal::SeveralBonds:
    case PriceRefusal::SameIdOtherPrice:
    case PriceRefusal::SameBondOtherPrice:
        figures.newPrice = true;
        break;
    case PriceRefusal::NoId:
    case PriceRefusal::NoPrice:
    case PriceRefusal::NotANumber:
    case PriceRefusal::ThousandsSeparator:
    case PriceRefusal::Ambiguous:
        break;
    }
    figures.change = verdict.kind == PriceVerdictKind::Update || verdict.kind == PriceVerdictKind::Unchanged;
    return figures;
}

std::size_t ApplyPrices(std::span<const PriceVerdict> verdicts, LargeChanges large)
{
    std::size_t changed = 0;
    for (const PriceVerdict& v : verdicts) {
        if (v.kind != PriceVerdictKind::Update || !v.bond || (v.largeChange && large == LargeChanges::Skip))
            continue;
        const auto price = static_cast<float>(v.newPrice);
        if (!(v.bond->m_fPrice == price)) {
            v.bond->m_fPrice = price;
            ++changed;
        }
    }
    return changed;
}

std::string PriceFileErrorText(PriceFileError error, std::int64_t detail)
{
    for (const FileErrorText& t : kFileErrorTexts) {
        if (t.error != error)
            continue;
        switch (error) {
        case PriceFileError::TooLarge:
            return Substitute(t.text, {static_cast<std::int64_t>(kMaxCsvBytes >> 20)});
        case PriceFileError::LineTooLong:
            return Substitute(t.text, {detail, static_cast<std::int64_t>(kMaxCsvRecordBytes)});
        case PriceFileError::TooManyColumns:
            return Substitute(t.text, {detail, static_cast<std::int64_t>(kMaxCsvColumns)});
        case PriceFileError::UnreadEncoding: {
            const std::string_view text = t.text;
            const std::size_t at = text.find("%s");
            return std::string(text.substr(0, at)) + EncodingName(static_cast<CsvEncoding>(detail)) +
                   std::string(text.substr(at + 2));
        }
        default:
            return Substitute(t.text, {detail});
        }
    }
    return {};
}

std::string PriceRefusalText(const PriceVerdict& verdict)
{
    if (verdict.kind != PriceVerdictKind::Refused)
        return {};
    for (const RefusalText& t : kRefusalTexts)
        if (t.refusal == verdict.refusal)
            return Substitute(t.text,
                              {verdict.refusal == PriceRefusal::SeveralBonds ? verdict.matches : verdict.otherLine});
    return {};
}

const char* PriceVerdictName(PriceVerdictKind kind)
{
    switch (kind) {
    case PriceVerdictKind::Update:
        return "update";
    case PriceVerdictKind::Unchanged:
        return "unchanged";
    case PriceVerdictKind::Unknown:
        return "unknown";
    case PriceVerdictKind::NotAlive:
        return "not_alive";
    case PriceVerdictKind::Refused:
        break;
    }
    return "refused";
}

} // namespace tenvix
