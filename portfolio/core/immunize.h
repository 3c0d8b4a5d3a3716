#pragma once

// Building the portfolio that holds the horizon: whole units of at most N
// bonds of the database, the amount nearly all invested, no bond above a
// share of it, whose composite duration (the pooled cashflow, as Calculate
// values it) lies within kImmunizeTolerance years of the horizon, and whose
// composite Square-M is as small as such a portfolio's can be.
//
// Two steps. The screen sees every bond once, in list order, with its row
// analysis, and keeps the candidates with their row figures. The optimizer
// then works on the candidates alone: it fetches the few it needs again to
// read their payments, and every figure it reports comes from
// CalculatePortfolio on the portfolio it chose.
//
// The optimizer runs on one thread and holds no pointer into a bond list:
// a window can run it on a worker thread, feed the screen from copies and
// stop it through the progress hook.

#include "model/bond.h"
#include "model/bondlist.h"
#include "model/clock.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/candidates.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// How far from the horizon, in years, the composite duration may lie.
inline constexpr double kImmunizeTolerance = 0.0005;
// The portfolio's size, and so the most rows the optimizer may fill.
inline constexpr int kImmunizeMaxRows = 20;
// The largest amount a run takes. Calculate finds the composite's yield to
// within kRecordAcceptBand of its value; a double resolves a value of 1e11
// to some 1.5e-5, seventy times finer, where ten times more is found or not
// by the luck of rounding. (From some 5e9 on, the search spends its time
// budget before it settles for the band.)
inline constexpr double kImmunizeMaxAmount = 1e11;
// Whole units beyond this are not told apart from their neighbours by a
// double's arithmetic: a bond whose share of the amount buys this many is as
// good as unbuyable.
inline constexpr double kImmunizeMaxUnits = 1e15;

struct ImmunizeLimits {
    double amount = 0.0;              // A: above 0, finite
    int maxRows = kImmunizeMaxRows;   // at most this many bonds held, 1 to 20
    double maxShare = 1.0;            // no bond's units cost more than this share of A; (0, 1]
    std::optional<double> minYtm;     // every chosen bond's own yield at least this
    std::vector<std::string> exclude; // identifiers left out, compared without regard to case
};

// Why no portfolio came out, in the order the checks are made.
enum class ImmunizeFailure {
    None,
    AmountTooLarge,    // beyond kImmunizeMaxAmount, or more units of every candidate than are told apart
    LimitsTooTight,    // maxRows times maxShare below the whole amount
    NothingReady,      // no bond's row analysis makes it ready
    NothingLeft,       // the least yield and the exclusions leave no bond
    NothingAffordable, // no candidate's price fits in the amount, or in one bond's share of it
    HorizonOutside,    // the horizon outside the candidates' durations
    NotWithinLimits,   // inside them, but no portfolio within the limits reaches it
    Stopped,           // the progress hook asked to stop; nothing to tell
};

// The first checks, made before any bond is looked at.
ImmunizeFailure CheckLimits(const ImmunizeLimits& limits);

// A bond the optimizer may choose, with its row as the portfolio window shows it.
struct ImmunizeCandidate {
    std::string id;
    std::size_t ref = 0;   // what the caller's fetch takes to give the bond again
    std::size_t order = 0; // its place among the bonds offered, from 0
    double price = 0.0;    // the stored price, widened
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
    double maxUnits = 0.0; // whole units the share of the amount buys
};

// Sees every bond of the database once, in list order.
class ImmunizeScreen {
public:
    explicit ImmunizeScreen(const ImmunizeLimits& limits);

    // One bond, with its row analysis (AnalyseRow with the run's dates, which
    // may have been made on another thread). `ref` is handed back to fetch.
    void Offer(std::string_view id, float price, const RowFigures& row, std::size_t ref);
    // After the last bond: drops the candidates that an earlier bond's
    // identifier hides (a portfolio file names a bond by its identifier, and
    // a lookup finds the first bond that has it, regardless of case) and
    // those that cannot be bought, and counts what is left.
    void Finish();

    // The reasons from NothingReady to HorizonOutside, checked in order;
    // None when the optimizer has something to work on.
    ImmunizeFailure Failure(double horizonYears) const;
    const std::vector<ImmunizeCandidate>& Candidates() const { return m_candidates; }
    std::size_t Offered() const { return m_filter.Offered(); }
    // The candidates' least and greatest durations (0 without candidates).
    double LowDuration() const { return m_lowDuration; }
    double HighDuration() const { return m_highDuration; }
    // The largest amount at which one of the bonds dropped for more units
    // than are told apart is bought whole; 0 when none was.
    double LargestAmount() const { return m_largestAmount; }

private:
    ImmunizeLimits m_limits;
    CandidateFilter m_filter;
    std::vector<ImmunizeCandidate> m_candidates;
    std::size_t m_left = 0;
    double m_lowDuration = 0.0;
    double m_highDuration = 0.0;
    double m_largestAmount = 0.0;
};

// Fetches a candidate's bond again by its ref: a copy the optimizer owns.
using ImmunizeFetch = std::function<std::unique_ptr<CBond>(std::size_t ref)>;
// Called now and then with the work done so far of the total; returning false
// stops the run, which then changes nothing and reports Stopped.
using ImmunizeProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct ImmunizedRow {
    ImmunizeCandidate bond;
    double units = 0.0;  // whole
    double amount = 0.0; // units times the stored price
    double share = 0.0;  // amount over A
};

struct ImmunizeResult {
    ImmunizeFailure failure = ImmunizeFailure::None;
    // Descending amount, ties by identifier: the order the rows are shown
    // and saved in.
    std::vector<ImmunizedRow> rows;
    PortfolioFigures figures; // CalculatePortfolio of the rows
    // The least Square-M the optimizer's own relaxation found (fractional
    // units, the amount exactly invested, the row limit set aside): what the
    // whole-unit answer is measured against.
    double bound = 0.0;
    // For the messages: the candidates' durations, and for AmountTooLarge the
    // largest amount the run takes.
    double lowDuration = 0.0;
    double highDuration = 0.0;
    double largestAmount = 0.0;
};

// The result of a run that CheckLimits refuses, with what its message needs.
ImmunizeResult RefusalOfLimits(const ImmunizeLimits& limits);

// Reason 1, then the screen's reasons, then the search. `stand` and
// `horizon` are the dates the screen's rows were analysed with.
ImmunizeResult Immunize(const ImmunizeScreen& screen, const ImmunizeLimits& limits, double stand, double horizon,
                        const ImmunizeFetch& fetch, const Clock& clock, const ImmunizeProgress& progress = {});

// The whole run over a bond list: the screen on copies of its bonds (the
// list's own bonds are only read), then Immunize. The list must not change
// while it runs.
ImmunizeResult ImmunizeList(const CBondList::List& bonds, const ImmunizeLimits& limits, double stand, double horizon,
                            const Clock& clock, const ImmunizeProgress& progress = {});

} // namespace tenvix
