#pragma once

// Everything the price import window says, in one place: its headings and
// words for the verdicts, the count of what a file holds, and the messages.
// The reasons a row or a file is refused are the core's (model/pricemessages.h),
// which the command line prints too.

#include "model/priceverdicts.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tenvix::prices {

enum class ImportText {
    Caption,         // the window's title, and the file chooser's
    ChooseFile,      // what the window says before it has prices
    Reading,         // the progress window's line while a file is read
    ClipboardEmpty,  // the clipboard holds no text
    ClipboardSource, // where the prices shown came from
    LargeChange,     // the reason shown beside a large change
};
const char* TextOf(ImportText text);

// The verdict as the window's Verdict column shows it.
const char* VerdictWord(PriceVerdictKind kind);

// How many rows of each verdict a file gave.
struct VerdictCounts {
    std::size_t rows = 0;
    std::size_t update = 0;
    std::size_t large = 0; // of the updates
    std::size_t unchanged = 0;
    std::size_t unknown = 0;
    std::size_t notAlive = 0;
    std::size_t refused = 0;
};
VerdictCounts CountVerdicts(std::span<const PriceVerdict> verdicts);
// "Rows: 10. To update: 3 (large changes: 1). Unchanged: ..."
std::string SummaryText(const VerdictCounts& counts);

// What Apply did: "%d prices updated .", "1 price updated ."
std::string PricesUpdatedText(std::size_t updated);

// What Apply asks before it stores large changes, `percent` as the threshold
// box shows it: "%d prices change by more than %s % . Store them too ?"
std::string LargeChangesQuestion(std::size_t large, std::string_view percent);

// The decimal mark box's word for a mark: "point", "comma"; none for
// Undecided.
const char* DecimalMarkWord(DecimalMark mark);

} // namespace tenvix::prices
