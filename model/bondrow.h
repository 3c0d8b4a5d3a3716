#pragma once

// One row of the database's CSV made into a record, judged by what the
// database file can hold: any identifier and name Windows-1252 can spell, any
// float and any day, the fields of the other kind empty. Where the record
// form refuses the same thing the row is refused with the form's words
// ("Invalid Coupon !"); ranges the form keeps but the file does not are no
// reason.

#include "model/bond.h"
#include "model/bondcsv.h"

#include <cstddef>
#include <memory>

namespace tenvix {

// The most payments a row may give; a row this long is some 20 MB.
inline constexpr std::size_t kMaxRowPayments = 1'000'000;

enum class RowRefusal {
    None,
    FieldCount,  // not kBondCsvFields fields
    Type,        // neither I nor II
    IdNotStored, // characters Windows-1252 has not
    NameNotStored,
    Release,
    Maturity,
    FormRule,     // the form's message for `code`
    TypeIFields,  // a Type I row gives payments
    TypeIIFields, // a Type II row gives a coupon, a period or a face value
    TooManyPayments,
};

struct RowReading {
    RowRefusal refusal = RowRefusal::None;
    int code = 0; // the form code, for FormRule
    std::unique_ptr<CBond> bond;
};

// The record a row gives, or why it gives none.
RowReading ReadBondRow(const BondCsvRow& row);

// Whether two records hold the same stored fields, bit for bit (so a NaN
// equals itself and 0 differs from -0).
bool SameStoredFields(const CBond& a, const CBond& b);

} // namespace tenvix
