#pragma once

// One row of the database's CSV made into a record, judged by the record
// form's rules (model/recordrules.h) and refused in its words ("Coupon out of
// range !"), so that nothing enters the database that the form would refuse
// to save: amounts within the form's ranges (no NaN, no infinity), a pay
// period of a month or more, a maturity after the release, a Type II record's
// payments as the form takes stored ones. Besides, what the file holds: an
// identifier and a name Windows-1252 can spell, no line break in the
// identifier (no form can type one), any day (outside the calendar as its
// serial), the fields of the other kind empty. An empty identifier is the
// form's too.

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
    IdLineBreak,
    Release,
    Maturity,     // no date, or a Type II record's other than its last payment's
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
