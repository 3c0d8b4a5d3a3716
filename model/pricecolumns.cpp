#include "model/pricecolumns.h"

#include "model/numbers.h"
#include "model/pricefield.h"
#include "model/text.h"

#include <algorithm>
#include <utility>

namespace tenvix {
namespace {

constexpr std::string_view kIdWords[] = {"id",     "identifier", "isin", "wkn", "cusip",
                                         "symbol", "ticker",     "code", "bond"};
constexpr std::string_view kPriceWords[] = {"price", "kurs", "cours", "prezzo", "close", "last", "quote", "bid", "mid"};

// The columns of `heading` that `words` name, best first.
std::vector<std::size_t> NamedColumns(const std::vector<std::string>& heading, std::span<const std::string_view> words)
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

} // namespace

int HeadingRank(std::string_view heading, std::span<const std::string_view> words)
{
    const std::size_t n = words.size();
    const std::string folded = FoldCase(Trim(heading));
    for (std::size_t k = 0; k < n; ++k)
        if (folded == words[k])
            return static_cast<int>(k);
    auto isWordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
    };
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t at = folded.find(words[k]); at != std::string::npos; at = folded.find(words[k], at + 1)) {
            const std::size_t end = at + words[k].size();
            if ((at == 0 || !isWordChar(folded[at - 1])) && (end == folded.size() || !isWordChar(folded[end])))
                return static_cast<int>(n + k);
        }
    }
    return -1;
}

std::string_view FieldOf(const CsvRecord& record, std::size_t column)
{
    return column < record.fields.size() ? Trim(record.fields[column]) : std::string_view();
}

bool IsHeading(const CsvRecord& first, bool commaSeparated)
{
    return std::none_of(first.fields.begin(), first.fields.end(), [&](const std::string& field) {
        const std::string_view text = Trim(field);
        return !text.empty() && LooksNumeric(text, commaSeparated);
    });
}

bool IsHeading(const CsvRecord& first, const BondIdIndex& index, bool commaSeparated)
{
    return IsHeading(first, commaSeparated) &&
           std::none_of(first.fields.begin(), first.fields.end(), [&](const std::string& field) {
               const std::string_view text = Trim(field);
               return !text.empty() && index.Match(text).Count() > 0;
           });
}

PriceColumns FindColumns(const std::vector<std::string>* heading, std::span<const CsvRecord> data,
                         const BondIdIndex& index, bool commaSeparated)
{
    const std::vector<ColumnCounts> counts = CountColumns(data, index, commaSeparated);
    const std::vector<std::size_t> idNamed = heading ? NamedColumns(*heading, kIdWords) : std::vector<std::size_t>{};
    std::vector<std::size_t> priceNamed = heading ? NamedColumns(*heading, kPriceWords) : std::vector<std::size_t>{};

    PriceColumns columns;
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

} // namespace tenvix
