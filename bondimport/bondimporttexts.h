#pragma once

// Everything the bond import window says, in one place: its headings, the
// words for the verdicts, the count of what a file holds and what Apply did.
// The reasons a row or a file is refused are the core's
// (model/bondimport.h), which the command line prints too.

#include "model/bondimport.h"

#include <cstddef>
#include <string>

namespace tenvix::bondimport {

enum class ImportText {
    Caption,    // the window's title, and the file chooser's
    ChooseFile, // what the window says before it has bonds
    Reading,    // the progress window's line while a file is read
};
const char* TextOf(ImportText text);

// The verdict as the window's Verdict column shows it.
const char* VerdictWord(BondVerdictKind kind);

// "Rows: 10. To add: 3. To replace: 2. Unchanged: 4. Refused: 1."
std::string SummaryText(const BondCounts& counts);

// What Apply did: "3 bonds added and 2 replaced .", "1 bond added and 0 replaced ."
std::string BondsImportedText(const BondCounts& done);

} // namespace tenvix::bondimport
