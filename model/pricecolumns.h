#pragma once

// Finding, in a price file, the column of identifiers and the column of
// prices: by the heading's words where the first row names them, else by
// what the values are (the identifiers reach bonds, the prices are numbers).

#include "model/bondlookup.h"
#include "model/pricecsv.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

struct PriceColumns {
    bool found = false;
    std::size_t id = 0;
    std::size_t price = 0;
};

// How well a heading names a column by one of `words` (folded as FoldCase
// folds): the whole heading one of them, in any case, ranks before a heading
// that holds one as a word ("Last price"), and within each the earlier word
// in the list first. -1 when it holds none. Every import that finds its
// columns by their headings ranks them this way.
int HeadingRank(std::string_view heading, std::span<const std::string_view> words);

// The field in `column` of `record`, trimmed; empty when the record is shorter.
std::string_view FieldOf(const CsvRecord& record, std::size_t column);

// Whether the first row names the columns rather than holding a price: no
// field is a number and none is the identifier of a bond.
bool IsHeading(const CsvRecord& first, const BondIdIndex& index, bool commaSeparated);
// The same where there is no bond to know an identifier by: no field is a
// number.
bool IsHeading(const CsvRecord& first, bool commaSeparated);

// The two columns, from the heading (when the file has one) and a sample of
// the data rows. Without a heading that names them, the identifiers are the
// column whose values reach the most bonds of `index`, the prices the first
// numeric column after it.
PriceColumns FindColumns(const std::vector<std::string>* heading, std::span<const CsvRecord> data,
                         const BondIdIndex& index, bool commaSeparated);

} // namespace tenvix
