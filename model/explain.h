#pragma once

// A yield, a duration and a Square-M explained payment by payment: which
// payments were counted, at what time in years, with what discount, and what
// each adds to the duration and to Square-M. The rows come from the very walk
// that sums the figures (model/paymentwalk.h), so for one bond the totals are
// the doubles the analysis reports, not a second opinion.

#include "model/bond.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tenvix {

class Clock;

struct ExplainedPayment {
    std::size_t no = 0;      // from 1, in the order listed
    std::string member;      // the identifier of the bond that pays it
    std::int32_t day = 0;    // day serial of its date
    bool dayDerived = false; // the engine keeps no date for it: counted back from maturity
    double years = 0.0;      // time from the stand date as the engine uses it
    double amount = 0.0;
    double discount = 0.0;     // (1 + ytm)^-years
    double presentValue = 0.0; // amount at the yield
    double share = 0.0;        // presentValue over the weighting price
    double distance = 0.0;     // from the horizon, as the engine measures it (a Type I face
                               // value's the other way round: horizon after maturity)
    double durationPart = 0.0; // share * years
    double squareMPart = 0.0;  // share * distance^2
};

struct Explanation {
    std::vector<ExplainedPayment> payments;
    double ytm = 0.0;
    double price = 0.0;        // what weights the shares
    double horizonYears = 0.0; // the horizon after the stand date
    // Sums over the rows, in row order.
    double amount = 0.0;
    double presentValue = 0.0; // the price, within the yield search's tolerance
    double share = 0.0;
    // The figures the analysis reports: for one bond, the same doubles as the
    // rows' parts summed in row order.
    double duration = 0.0;
    double squareM = 0.0;
    // A Type I bond's accrued interest on the stand date and its clean price
    // per 100 of face value, from the weighting price; the clean price is
    // left out for a face value that is not positive. Other kinds have none.
    bool quoted = false;
    double accrued = 0.0;
    std::optional<double> cleanPer100;
};

// The payments after the stand date of a prepared record (SetDates and
// Prepare have run, the terms unchanged since) at `ytm`, weighted by `price`.
// Its duration and Square-M are what GetDurationM2(ytm, price) gives. A Type I
// record's dates are counted back from maturity by whole pay periods, the day
// clamped to the month's end; a coupon or face value of nothing is left out,
// as it adds nothing. A kind with no payments of its own gives no rows. A
// Type I record's accrued interest and clean price come with it.
Explanation ExplainBond(const CBond& bond, double ytm, double price);

enum class ExplainStatus {
    Ok,
    Refused, // Validate's code allows no yield; the code says why
    BadYtm,  // no yield was found
};

struct BondExplanation {
    ExplainStatus status = ExplainStatus::Refused;
    int code = BOND_OK; // Validate's code; 11 (stand date on or after the horizon) still explains
    Explanation explanation;
};

// The road every analysis follows (SetDates, Prepare, Validate, GetYTM), then
// the rows weighted by `price`: a stored bond's own price for the command
// line, the typed price for the record form.
BondExplanation AnalyseAndExplain(CBond& bond, double stand, double horizon, double price, const Clock& clock);

// The rows as CSV, as the command line prints them: a header, one line a
// payment, then a line "total" with the sums (present value, share) and the
// figures (duration, Square-M). Numbers in their shortest exact text, dates as
// YYYY-MM-DD, lines ending in CR LF. A Type I bond's explanation adds a line
// "accrued" and a line "clean_per_100", laid out as the total is, the figure
// ("%.6f") in the amount column.
std::string ExplanationCsv(const Explanation& explanation);

inline constexpr const char* kExplanationCsvHeader =
    "no,member,date,date_derived,t,amount,discount_factor,present_value,share,duration_part,square_m_part";

// Pieces for the walks of other kinds (the analysis window, the portfolio):
// one row from a walk's step, and the rows numbered from 1 with their sums.
struct PaymentStep;
ExplainedPayment ExplainStep(const PaymentStep& step, const std::string& member, std::int32_t day, bool derived);
void NumberAndSumRows(Explanation& explanation);

// The date `months` whole months before `day`, its day of the month clamped to
// the end of a shorter month.
std::int32_t MonthsBefore(std::int32_t day, int months);

} // namespace tenvix
