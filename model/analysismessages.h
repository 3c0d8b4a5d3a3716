#pragma once

// What the user is told of an analysis of a record that gave no figures. The
// record form says it and the command line prints the same words, so they are
// written here once, beside the road that decides the outcome.

#include "model/analyse.h"

namespace tenvix {

enum class AnalysisFailure {
    None,                 // the figures hold
    NoYield,              // the search failed or ran out of time, or terms no valuation can use
    PriceTooHigh,         // no positive yield reaches the price
    StandAfterMaturity,   // nothing is paid after the stand date
    HorizonNotAfterStand, // a Square-M was wanted and the horizon is not after the stand date
    StandBeforeRelease,
};

// How an analysis ended, from its outcome and the check's code.
AnalysisFailure FailureOf(RecordOutcome outcome, int code);

// The message of a failure; empty for None.
const char* AnalysisFailureText(AnalysisFailure failure);

} // namespace tenvix
