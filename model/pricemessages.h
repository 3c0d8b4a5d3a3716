#pragma once

// The program's words for a price file it cannot read and for a row it
// refuses, and the verdicts' names on the command line.

#include "model/pricefile.h"
#include "model/priceverdicts.h"

#include <cstdint>
#include <string>

namespace tenvix {

// The program's texts for a file it cannot read and for a refused row.
// `detail` is the error's line, for TooManyRows the most rows, for
// UnreadEncoding the encoding.
std::string PriceFileErrorText(PriceFileError error, std::int64_t detail = 0);
inline std::string PriceFileErrorText(const PriceFile& file)
{
    return PriceFileErrorText(file.error, file.errorDetail);
}
std::string PriceRefusalText(const PriceVerdict& verdict);
// A refusal's words as the table holds them, "%d" where PriceRefusalText
// puts the number: what another import says of a field the same way read.
const char* PriceRefusalWords(PriceRefusal refusal);
// The verdict as the command line spells it: update, unchanged, unknown,
// not_alive, refused.
const char* PriceVerdictName(PriceVerdictKind kind);

} // namespace tenvix
