#pragma once

// The verdict on every row of a price file against the database, before
// anything changes; the large changes flagged for a second look; and the
// accepted prices written in one step.

#include "model/bond.h"
#include "model/bondlookup.h"
#include "model/pricefield.h"
#include "model/pricefile.h"
#include "model/quotes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tenvix {

// A change of more than this many percent is flagged for a second look; the
// user may set from 0 to the most.
inline constexpr double kLargeChangePercent = 20.0;
inline constexpr double kMaxLargeChangePercent = 10000.0;

enum class PriceVerdictKind { Update, Unchanged, Unknown, NotAlive, Refused };

struct PriceVerdict {
    PriceVerdictKind kind = PriceVerdictKind::Refused;
    PriceRefusal refusal = PriceRefusal::None;
    int matches = 0;            // bonds the identifier reaches
    std::int64_t otherLine = 0; // the row a conflicting price stands on
    CBond* bond = nullptr;      // for Update, Unchanged and NotAlive
    double oldPrice = 0.0;      // the stored price
    double newPrice = 0.0;      // the price the file gives, as read; from a clean quote, worked out
    double changePercent = 0.0; // of the price that would be stored; infinite from 0
    bool largeChange = false;
    // With clean quotes: the file's quote as read, the accrued interest added
    // to it, and whether newPrice was worked out of them (a Type I bond
    // reached and the quote in range).
    bool clean = false;
    bool priced = false;
    double quote = 0.0;
    double accrued = 0.0;
};

// The verdict on every row of `file`, index for index, against the bonds of
// `index` and the stand day: a bond takes a price only while it is alive (its
// maturity day strictly after the stand day). Doubtful prices are read by
// `file.decimalMark`. Rows that give one bond different prices are all
// refused. Nothing is changed. A cancelled run returns no verdicts.
// With clean quotes each price is a quote per 100 of face value, and the
// price to store is the quote of the face value plus the accrued interest on
// the stand day; a row that reaches a Type II bond is refused. Verdicts, the
// conflicts and the large changes are all about the price to store.
std::vector<PriceVerdict> JudgePrices(const PriceFile& file, const BondIdIndex& index, std::int32_t standDay,
                                      double largeChangePercent = kLargeChangePercent,
                                      const ImportProgress& progress = {}, PriceQuotes quotes = PriceQuotes::Paid);

// Whether a change of `changePercent` percent goes beyond `threshold` and is
// flagged: JudgePrices' rule, and the window's when the user moves the
// threshold. An infinite change (from a price of 0) always does.
bool IsLargeChange(double changePercent, double threshold);
// Flags the Update verdicts anew against `threshold`; returns how many are.
std::size_t MarkLargeChanges(std::span<PriceVerdict> verdicts, double threshold);

// Which figures a verdict has to show: the stored price once the row has
// reached one bond, the file's price once it was read as a number, the change
// once the price would be stored. With clean quotes the file's number is the
// quote, and the new price and the accrued interest show once worked out.
struct VerdictFigures {
    bool oldPrice = false;
    bool newPrice = false;
    bool change = false;
    bool quote = false;
    bool accrued = false;
};
VerdictFigures FiguresOf(const PriceVerdict& verdict);

// Stores the new price of every Update verdict, as a 32-bit float, in its
// bond; those flagged as a large change only when told to. Returns how many
// bonds took a new price.
enum class LargeChanges { Store, Skip };
std::size_t ApplyPrices(std::span<const PriceVerdict> verdicts, LargeChanges large = LargeChanges::Store);

} // namespace tenvix
