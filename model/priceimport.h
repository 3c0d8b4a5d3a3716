#pragma once

// Importing prices from a file of identifiers and prices: finding the two
// columns, reading each row as the price update window reads a typed price,
// judging every row against the database before anything changes, and then
// writing the accepted prices in one step.

#include "model/bondlookup.h"
#include "model/pricecsv.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// Beyond this many data rows a file is refused: twice the largest database
// the program is built for, and some 300 MB for the rows and their verdicts.
inline constexpr std::size_t kMaxPriceRows = 2'000'000;
// A change of more than this many percent is flagged for a second look; the
// user may set from 0 to the most.
inline constexpr double kLargeChangePercent = 20.0;
inline constexpr double kMaxLargeChangePercent = 10000.0;

enum class PriceFileError {
    None,
    Cancelled,
    TooLarge,
    NotText,
    UnreadEncoding, // the detail is the CsvEncoding
    LineTooLong,
    TooManyColumns,
    QuoteNotClosed,
    TooManyRows,
    Empty,
    NoPriceColumn,
};

// One data row: the identifier and the price field, each trimmed; empty when
// the row is too short to have it.
struct PriceRow {
    std::int64_t line = 0; // where the row starts in the file, from 1
    std::string id;
    std::string price;
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

struct PriceFile {
    PriceFileError error = PriceFileError::None;
    std::int64_t errorDetail = 0; // the line an error was found in; for TooManyRows the most rows
    CsvEncoding encoding = CsvEncoding::Utf8;
    char separator = ',';
    bool header = false; // the first row names the columns and is no data
    std::size_t idColumn = 0;
    std::size_t priceColumn = 0;
    DecimalMarks marks;
    DecimalMark decimalMark = DecimalMark::Undecided; // DecidedMark(marks), until the user says otherwise
    std::vector<PriceRow> rows;                       // in file order; empty on an error
};

// Told how far the work has come (done of total, in any unit); returns false
// to cancel.
using ImportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Reads a price file (or the clipboard's text as UTF-8). Without a header
// that names them, the identifiers are the column whose values reach the most
// bonds of `index`, the prices the first numeric column after it. A file of
// more than `maxRows` data rows is refused.
PriceFile ReadPriceFile(std::string_view bytes, const BondIdIndex& index, const ImportProgress& progress = {},
                        std::size_t maxRows = kMaxPriceRows);

enum class PriceVerdictKind { Update, Unchanged, Unknown, NotAlive, Refused };

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
};

struct PriceVerdict {
    PriceVerdictKind kind = PriceVerdictKind::Refused;
    PriceRefusal refusal = PriceRefusal::None;
    int matches = 0;            // bonds the identifier reaches
    std::int64_t otherLine = 0; // the row a conflicting price stands on
    CBond* bond = nullptr;      // for Update, Unchanged and NotAlive
    double oldPrice = 0.0;      // the stored price
    double newPrice = 0.0;      // the price the file gives, as read
    double changePercent = 0.0; // of the price that would be stored; infinite from 0
    bool largeChange = false;
};

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

// The verdict on every row of `file`, index for index, against the bonds of
// `index` and the stand day: a bond takes a price only while it is alive (its
// maturity day strictly after the stand day). Doubtful prices are read by
// `file.decimalMark`. Rows that give one bond different prices are all
// refused. Nothing is changed. A cancelled run returns no verdicts.
std::vector<PriceVerdict> JudgePrices(const PriceFile& file, const BondIdIndex& index, std::int32_t standDay,
                                      double largeChangePercent = kLargeChangePercent,
                                      const ImportProgress& progress = {});

// Whether a change of `changePercent` percent goes beyond `threshold` and is
// flagged: JudgePrices' rule, and the window's when the user moves the
// threshold. An infinite change (from a price of 0) always does.
bool IsLargeChange(double changePercent, double threshold);
// Flags the Update verdicts anew against `threshold`; returns how many are.
std::size_t MarkLargeChanges(std::span<PriceVerdict> verdicts, double threshold);

// Which figures a verdict has to show: the stored price once the row has
// reached one bond, the file's price once it was read as a number, the change
// once the price would be stored.
struct VerdictFigures {
    bool oldPrice = false;
    bool newPrice = false;
    bool change = false;
};
VerdictFigures FiguresOf(const PriceVerdict& verdict);

// Stores the new price of every Update verdict, as a 32-bit float, in its
// bond; those flagged as a large change only when told to. Returns how many
// bonds took a new price.
enum class LargeChanges { Store, Skip };
std::size_t ApplyPrices(std::span<const PriceVerdict> verdicts, LargeChanges large = LargeChanges::Store);

// The program's texts for a file it cannot read and for a refused row.
// `detail` is the error's line, for TooManyRows the most rows, for
// UnreadEncoding the encoding.
std::string PriceFileErrorText(PriceFileError error, std::int64_t detail = 0);
inline std::string PriceFileErrorText(const PriceFile& file)
{
    return PriceFileErrorText(file.error, file.errorDetail);
}
std::string PriceRefusalText(const PriceVerdict& verdict);
// The verdict as the command line spells it: update, unchanged, unknown,
// not_alive, refused.
const char* PriceVerdictName(PriceVerdictKind kind);

} // namespace tenvix
