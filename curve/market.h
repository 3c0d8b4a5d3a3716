#pragma once

// The database as a market: every bond analysed on the stand date, the curve
// fitted to those that qualify, and every analysed bond's model price and
// spread against it. `tenvix-cli curve` and the Market window both run it,
// on the bytes of a database read and indexed (model/bondfile.h), so that the
// window's snapshot can never change under the worker that reads it.
//
// A bond moves the curve when its check on the stand date (with the horizon
// on the stand date) lets the yield search go on, a yield is found, it is not
// excluded and its duration is at least a quarter of a year. Shorter ones and
// excluded ones get their model price and spread all the same.

#include "curve/fit.h"
#include "curve/paymentbook.h"
#include "model/analyse.h"
#include "model/bondfile.h"

#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix::curve {

// A bond with a shorter duration (years) does not move the curve.
inline constexpr double kShortestFitted = 0.25;
// Fewer bonds than this fit no curve.
inline constexpr std::size_t kLeastFitted = 6;

struct MarketBond {
    static constexpr std::uint32_t kNoBook = 0xFFFFFFFF;
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    RecordOutcome outcome = RecordOutcome::Refused;
    std::int32_t code = 0; // the check's, at the stand date and the options' horizon
    std::int32_t type = 0;
    std::int32_t maturity = 0;
    float price = 0;
    bool excluded = false;
    std::uint32_t book = kNoBook; // its payments in the market's book, once solved
    // Once solved: Type I's T (before it is stored as a float), Type II's
    // last payment's time; the yield, duration and (for a horizon after the
    // stand date) Square-M.
    double years = kNone;
    double ytm = 0, duration = 0, squareM = 0;
    // A Type I bond's accrued interest on the stand date and its clean price
    // per 100 of face value, (price - accrued) * 100 / face; none for Type II.
    double accrued = kNone;
    double clean = kNone;
    // Once a curve is fitted; the spread as a fraction, none where no spread
    // gives the price.
    double modelPrice = kNone;
    double spread = kNone;

    bool Solved() const { return outcome == RecordOutcome::Solved; }
    bool Short() const { return Solved() && duration < kShortestFitted; }
    bool Fitted() const { return Solved() && !excluded && !Short(); }
};

// How a fit ended.
enum class FitOutcome {
    Fitted,
    TooFewBonds,  // fewer than kLeastFitted qualify
    TooManyDates, // the payments fall on more times than the book holds
    NoCurve,      // no search ended with a finite objective
    Stopped,      // FitControl::stop
};

struct MarketOptions {
    double stand = 0;
    // Square-M's horizon for the window's column; yields, durations and the
    // curve do not depend on it.
    double horizon = 0;
    const Clock* clock = nullptr; // each bond's yield search has its time budget on it
    int threads = 1;
};

class Market {
public:
    // Analyses every bond of a database's bytes, in list order, on up to
    // `options.threads` threads; the same bonds, figures and book on any
    // number of them. `control` (optional) counts units of the file and can
    // stop the work, which then returns false.
    bool Analyse(std::span<const std::byte> bytes, const BondFileIndex& index, const MarketOptions& options,
                 FitControl* control);

    // Leaves out of the fit the bonds each identifier reaches: those with the
    // same text, else those with the same text without regard to case.
    // Returns the identifiers that reach no bond.
    std::vector<std::string> Exclude(std::span<const std::string> ids);

    std::size_t FittedCount() const;

    // Fits the curve to the qualifying bonds and values every solved bond on
    // it; anything but Fitted leaves no curve and no spreads.
    FitOutcome Fit(int threads, FitControl* control);

    std::span<const MarketBond> Bonds() const { return m_bonds; }
    std::string_view Id(std::size_t k) const { return Text(2 * k); }
    std::string_view Name(std::size_t k) const { return Text(2 * k + 1); }
    const PaymentBook& Book() const { return m_book; }

    bool HasCurve() const { return m_hasCurve; }
    const CurveParams& Params() const { return m_params; }
    // 10,000 times the root of the mean squared term of the fitted bonds.
    double RmseBp() const { return m_rmseBp; }

private:
    std::string_view Text(std::size_t k) const
    {
        return std::string_view(m_texts).substr(m_textStarts[k], m_textStarts[k + 1] - m_textStarts[k]);
    }

    std::vector<MarketBond> m_bonds;
    PaymentBook m_book;
    std::string m_texts;                    // identifiers and names, one after another
    std::vector<std::size_t> m_textStarts; // two a bond, and the end
    bool m_hasCurve = false;
    CurveParams m_params;
    double m_rmseBp = MarketBond::kNone;
};

} // namespace tenvix::curve
