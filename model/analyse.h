#pragma once

// The road every analysis of a record takes: date it, prepare it, check it,
// and where the check lets it go on, solve its yield within its time budget
// and weigh its payments for duration and Square-M; a search that cannot
// answer ends the road. The record form, the portfolio rows and their
// composite, the suggest scan, the command line and the explanation all walk
// it; each keeps only its own reading of the outcome.

#include "model/bond.h"

namespace tenvix {

class Clock;

// What the caller is after. Square-M measures distances from the horizon, so
// it needs the horizon after the stand date; a yield and a duration do not,
// and go on past BOND_STAND_AFTER_HORIZON.
enum class Needs { YieldAndDuration, SquareM };

enum class RecordOutcome {
    Solved,  // the figures below hold
    Refused, // the check's code allows no search; `code` says why
    NoYield, // the search failed or ran out of time
};

struct RecordAnalysis {
    RecordOutcome outcome = RecordOutcome::Refused;
    int code = BOND_OK; // what Validate said, whatever the outcome
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
};

// Dates `bond` with `stand` and `horizon` (whole days), prepares and checks
// it, and for BOND_OK (and BOND_STAND_AFTER_HORIZON unless a Square-M is
// needed) solves its yield on `clock` and weighs duration and Square-M by
// `price`. Only the record's dates and what Prepare derives from them change.
RecordAnalysis AnalyseRecord(CBond& bond, double stand, double horizon, double price, const Clock& clock, Needs needs);

} // namespace tenvix
