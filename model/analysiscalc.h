#pragma once

// The calculation behind the Bond Analysis window and `tenvix-cli cashflows`:
// a price and a hand-typed list of payments, as texts, become a yield, a
// duration and a Square-M, or the first fault in the entries. Both front ends
// pass the texts as the user typed them, so they check and solve alike.

#include "model/bond.h"
#include "model/date.h"
#include "model/explain.h"
#include "model/solver.h"

#include <cstdint>
#include <span>
#include <string>

namespace tenvix {

class Clock;

// What the window holds when Calculate is pressed.
struct AnalysisInput {
    std::string price;             // the Spot Price text
    std::span<const GridRow> rows; // payment text and date text, top to bottom
    double stand = 0.0;            // date values; the time of day is ignored
    double horizon = 0.0;
    YearMethod method = YearMethod::CalendarParts;
    bool squareM = false; // Square-M wanted: then the horizon must follow the stand date
    // An empty payment text reads as 0 in the window's grid, where a row keeps
    // its place without weight; on the command line nothing before the '@'
    // is a payment left out, and is no number.
    bool emptyAmountIsNoNumber = false;
};

// Fault codes. A row fault carries its row: 16 * i + kind for row i from 0, so
// the row number shown to the user (from 1) is the code shifted right by four.
inline constexpr int kAnalysisNoPaymentDue = 4; // every payment lies before the stand date
inline constexpr int kAnalysisHorizonNotAfterStand = 5;
inline constexpr int kAnalysisPriceNotANumber = 6;
inline constexpr int kAnalysisPriceTooLow = 7;
inline constexpr int kAnalysisPriceTooHigh = 8;
inline constexpr int kAnalysisRowAmountNotANumber = 17;
inline constexpr int kAnalysisRowAmountOutOfRange = 18;
inline constexpr int kAnalysisRowBadDate = 19;

struct AnalysisResult {
    int fault = 0;      // nonzero: the entries were refused, nothing was computed
    bool error = false; // the entries passed, but no yield exists or none was found in time
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
    std::int64_t evaluations = 0; // present-value evaluations the search made

    bool Ok() const { return fault == 0 && !error; }
};

// Checks the entries in the window's order and stops at the first fault; then
// solves for the yield over the payments dated after the stand date and
// measures duration and Square-M about the horizon, all in years of the chosen
// method. `clock` bounds the search to kAnalysisTimeLimitMs.
AnalysisResult CalculateAnalysis(const AnalysisInput& input, const DateParser& parseDate, const Clock& clock);

// The same calculation with every payment after the stand date explained: the
// explanation's duration and Square-M are the result's own doubles. Nothing is
// explained when the result is not Ok.
struct AnalysisExplanation {
    AnalysisResult result;
    Explanation explanation;
};
AnalysisExplanation ExplainAnalysis(const AnalysisInput& input, const DateParser& parseDate, const Clock& clock);

// The investment horizon in years: the horizon's day after the stand date's
// day, by the chosen method.
double HorizonYears(YearMethod method, double stand, double horizon);

// The user's message for a fault code, with the row number filled in.
std::string AnalysisFaultMessage(int fault);
// What stands for the yield when the entries passed but no yield was found.
inline constexpr const char* kAnalysisNoYieldText = "Error";

} // namespace tenvix
