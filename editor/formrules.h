#pragma once

// The record form's rules, over the texts the form read from its controls:
// which entries a record accepts, in which order they are checked, and what the
// user is told. Nothing here knows a widget, so every rule is tested as a
// plain function; the form only gathers texts and shows what comes back.

#include "model/bondlist.h"
#include "model/clock.h"
#include "model/recordmessages.h"
#include "model/recordrules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tenvix::editor {

// The form codes and kGridCodeOffset are the core's (model/recordmessages.h),
// which the bond import reports too.
using tenvix::FormCode;
using enum tenvix::FormCode;
using tenvix::kGridCodeOffset;

// The rules of the entries are the core's (model/recordrules.h), by which
// the bond import judges its rows too.
using tenvix::kFreePriceFloorAnalyse;
using tenvix::kFreePriceFloorSave;
using tenvix::ReadFreePrice;
using tenvix::ReadStdFields;
using tenvix::StdFields;
using tenvix::StdFieldTexts;

// True when a record other than `current` has the same identifier, both
// compared by RecordKey: without leading and trailing white space, case
// kept. Two empty identifiers collide.
bool IsIDOccupied(const CBondList& list, std::optional<CBondList::Position> current, std::string_view id);

// The result of analysing one bond, decided without any window.
struct AnalysisOutcome {
    enum Kind {
        Result,       // the figures below are valid
        FormError,    // the entries allow no analysis
        PriceTooHigh, // no positive yield reaches the price
        NoYield,      // the search failed or ran out of time
    };
    Kind kind = NoYield;
    int code = FORM_NO_YIELD; // what to tell the user: 0 for a result
    double ytm = 0.0;
    double duration = 0.0;
    double m2 = 0.0;
    double horizonYears = 0.0;
};

// Dates the filled record, checks it and, where the check allows, solves its
// yield within the record's time limit on `clock`. `price` is the price as
// entered, in double precision, which weights duration and Square-M. A stand
// date on or after the horizon stops the analysis only when Square-M is
// wanted, because only the Square-M needs a later horizon.
AnalysisOutcome AnalyseFormBond(CBond& bond, double stand, double horizon, bool squareM, double price,
                                const Clock& clock);

} // namespace tenvix::editor
