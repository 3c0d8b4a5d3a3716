#pragma once

// The record form's rules, over the texts the form read from its controls:
// which entries a record accepts, in which order they are checked, and what the
// user is told. Nothing here knows a widget, so every rule is tested as a
// plain function; the form only gathers texts and shows what comes back.

#include "model/bondlist.h"
#include "model/clock.h"
#include "model/recordmessages.h"

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

// The Type I fields as the form holds them. Amounts and the pay period are
// texts as typed; the dates are the pickers' full date values.
struct StdFieldTexts {
    std::string coupon;
    std::string face;
    std::string price;
    std::string payPeriod;
    double release = 0.0;
    double maturity = 0.0;
};

struct StdFields {
    double coupon = 0.0;
    double face = 0.0;
    double price = 0.0;
    std::int32_t periodMonths = 0;
    double release = 0.0;
    double maturity = 0.0;
};

// Checks coupon, face value, spot price, pay period and then the dates, in
// that order; the first failure is the code. On 0 `out` holds every value.
int ReadStdFields(const StdFieldTexts& texts, StdFields& out);

// The lowest spot price of a Type II record: saving accepts less than
// analysing does, so such a price can be stored but not analysed.
inline constexpr double kFreePriceFloorSave = 0.00001;
inline constexpr double kFreePriceFloorAnalyse = 0.0001;

// The Type II spot price, read as typed (a trailing blank makes it invalid):
// FORM_BAD_PRICE, FORM_PRICE_RANGE or 0 with the value in `price`.
int ReadFreePrice(std::string_view text, double floor, double& price);

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
