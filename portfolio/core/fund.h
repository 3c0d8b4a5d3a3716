#pragma once

// Funding a schedule: the least-cost portfolio of whole units that, with
// the units already held and cash kept from the stand date, pays every
// liability on its date (funding.h says how payments count, ladder.h how
// the surplus is carried). At most N bonds bought, none costing more than a
// share of the whole cost (cash included), each bought bond's own yield at
// least the least asked, the identifiers left out never bought.
//
// The relaxation (fractional units, the row limit set aside) is solved by
// column generation over every candidate the screen kept (fundmaster.h);
// whole units are then sought over the few bonds that priced in
// (fundwhole.h), and the answer is walked again: its cash is the least, in
// whole cents, that keeps every surplus at or above 0. Cash alone funds any
// schedule, so there is always an answer. The lower bound is the
// relaxation's, proved from its duals (fundmaster.h), at or below its
// optimum; the answer costs at most 0.1 % more than the least whole-unit
// cost when the bonds that priced in were all searched.
//
// It runs on one thread and holds no pointer into a bond list; the
// progress hook can stop it.

#include "model/bond.h"
#include "model/bondlist.h"
#include "model/clock.h"
#include "portfolio/core/fundscreen.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/ladder.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tenvix {

// The most bonds a funding may buy; the portfolio window holds 20.
inline constexpr int kFundMaxRows = 200;

struct FundLimits {
    double reinvest = 0.0;            // rho, yearly compound, at least 0
    int maxRows = kImmunizeMaxRows;   // at most this many bonds bought, 1 to 200
    double maxShare = 1.0;            // no bought bond's cost above this share of the whole cost; (0, 1]
    std::optional<double> minYtm;     // every bought bond's own yield at least this
    std::vector<std::string> exclude; // identifiers never bought, compared without regard to case
};

// Units already held: counted in the schedule, bought for nothing.
struct FundHolding {
    std::string id;
    double units = 0.0;
    std::vector<PaymentColumn::Flow> payments; // a unit's
};

// A bond's payments as the valuation takes them, dated with the run's dates
// and prepared; nothing when its check refuses it.
std::vector<PaymentColumn::Flow> PaymentsOf(CBond& bond, double stand, double horizon);

struct FundedRow {
    std::string id;
    std::size_t ref = 0;
    double units = 0.0; // whole
    double price = 0.0; // the stored price, widened
    double cost = 0.0;  // units times the price
    double share = 0.0; // of the whole cost
    double ytm = 0.0;
};

struct FundResult {
    bool stopped = false;
    // Descending cost, ties by identifier.
    std::vector<FundedRow> rows;
    double cash = 0.0;       // whole cents
    double cost = 0.0;       // the cash and the bonds bought
    double lowerBound = 0.0; // the relaxation's bound, rounded down to the cent
    Ladder ladder;           // the answer walked, the held units counted
    // 100 (cost - bound) / bound; 0 when both are 0.
    double GapPercent() const;
};

using FundFetch = std::function<std::unique_ptr<CBond>(std::size_t ref)>;
using FundProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The search over the screen's candidates (offered with `grid`); `stand` and
// `horizon` are the dates the screen's rows were analysed with, the horizon
// the last liability's date.
FundResult Fund(const FundScreen& screen, const FundingGrid& grid, const FundLimits& limits,
                std::span<const FundHolding> held, double stand, double horizon, const FundFetch& fetch,
                const FundProgress& progress = {});

// The whole run over a bond list: the screen on copies of its bonds, then
// Fund. The list must not change while it runs.
FundResult FundList(const CBondList::List& bonds, const std::vector<Liability>& schedule, double stand,
                    const FundLimits& limits, std::span<const FundHolding> held, const Clock& clock,
                    const FundProgress& progress = {});

} // namespace tenvix
