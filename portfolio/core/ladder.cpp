#include "portfolio/core/ladder.h"

#include <algorithm>
#include <cmath>

namespace tenvix {
namespace {

// The payments of the holdings summed per liability: undiscounted, and
// worth on the liability's date.
struct Pooled {
    std::vector<double> inflow;
    std::vector<double> worth;
    double after = 0.0;
};

Pooled Pool(const FundingGrid& grid, std::span<const LadderHolding> holdings)
{
    Pooled p;
    const std::size_t K = grid.Count();
    p.inflow.assign(K, 0.0);
    p.worth.assign(K, 0.0);
    for (const LadderHolding& h : holdings) {
        for (const PaymentColumn::Flow& f : h.payments) {
            const double amount = h.units * f.amount;
            const std::size_t k = grid.FundedBy(f.years);
            if (k < K) {
                p.inflow[k] += amount;
                p.worth[k] += grid.Worth(amount, f.years, k);
            } else {
                p.after += amount;
            }
        }
    }
    return p;
}

Ladder Walk(const FundingGrid& grid, double cash, const Pooled& p)
{
    Ladder ladder;
    ladder.after = p.after;
    double surplus = cash;
    for (std::size_t k = 0; k < grid.Count(); ++k) {
        LadderRow row;
        row.day = grid.Day(k);
        row.liability = grid.Amount(k);
        row.inflow = p.inflow[k];
        const double carried = surplus * grid.Growth(k);
        row.reinvestment = (carried - surplus) + (p.worth[k] - p.inflow[k]);
        surplus = carried + p.worth[k] - grid.Amount(k);
        row.surplus = surplus;
        ladder.rows.push_back(row);
    }
    return ladder;
}

bool Covered(const Ladder& ladder)
{
    return std::all_of(ladder.rows.begin(), ladder.rows.end(), [](const LadderRow& r) { return r.surplus >= 0.0; });
}

} // namespace

Ladder WalkLadder(const FundingGrid& grid, double cash, std::span<const LadderHolding> holdings)
{
    return Walk(grid, cash, Pool(grid, holdings));
}

double CashNeeded(const FundingGrid& grid, std::span<const LadderHolding> holdings)
{
    const Pooled p = Pool(grid, holdings);
    // Without cash the surplus is W_k; cash c adds c times the growth since
    // the stand date, so the least c is the largest -W_k over that growth.
    const Ladder bare = Walk(grid, 0.0, p);
    double need = 0.0, growth = 1.0;
    for (std::size_t k = 0; k < bare.rows.size(); ++k) {
        growth *= grid.Growth(k);
        need = std::max(need, -bare.rows[k].surplus / growth);
    }
    double cents = std::ceil(need * 100.0);
    // The walk rounds otherwise than the sum above: a cent more where it falls short.
    for (int more = 0; more < 1000 && !Covered(Walk(grid, cents / 100.0, p)); ++more)
        cents += 1.0;
    return cents / 100.0;
}

} // namespace tenvix
