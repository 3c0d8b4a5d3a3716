#pragma once

// Reading one price field of a bank's or a broker's file, as the price update
// window reads a typed price, after the file's own notation; and what the
// file's prices together tell of its decimal mark.

#include <string_view>

namespace tenvix {

// Why a row's price is not taken. The reading of a field gives the first
// five; the verdicts on the whole file the rest.
enum class PriceRefusal {
    None,
    NoId,
    NoPrice,
    NotANumber,
    OutOfRange,
    ThousandsSeparator,
    Ambiguous,          // "1.234" or "1,234" where the file does not tell the decimal mark
    SeveralBonds,       // the identifier reaches more than one bond
    SameIdOtherPrice,   // the same identifier on another row with another price
    SameBondOtherPrice, // another identifier of the same bond with another price
    NotTypeI,           // a clean quote for a record without a face value and coupon of its own
};

// Which decimal mark the prices of a file show where a price leaves no doubt
// ("101,5", "99.25" or "0.125", but not "1.234"), so that a doubtful one can
// be read as the file means it.
struct DecimalMarks {
    bool point = false;
    bool comma = false;
};

// The decimal mark a doubtful price is read by: the one the file's prices
// show, when they show one kind only, or the user's word.
enum class DecimalMark { Undecided, Point, Comma };
DecimalMark DecidedMark(DecimalMarks marks);

// Notes in `marks` the decimal mark `price` shows, where it leaves no doubt.
void NoteMarks(DecimalMarks& marks, std::string_view price);

// A price field read as the price update window reads a typed price, after
// the file's own notation: a decimal comma unless the file is separated by
// commas; thousands separators refused. A price whose one mark is followed by
// exactly three digits, with a whole part other than 0 ("1.234", "1,234"),
// could be a thousand: it is read by `mark`, and refused while that is
// undecided.
struct PriceReading {
    PriceRefusal refusal = PriceRefusal::None;
    double value = 0.0;
};
PriceReading ReadImportedPrice(std::string_view text, bool commaSeparated, DecimalMark mark);

// Whether a field reads as a number of some kind, taken or not: what makes
// a column one of prices.
bool LooksNumeric(std::string_view text, bool commaSeparated);

} // namespace tenvix
