#include "portfolio/core/fundrows.h"

#include "portfolio/core/fundmaster.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace tenvix {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// Swaps tried a round: the bonds outside the set that price in best.
constexpr std::size_t kEntering = 8;
constexpr int kSwapRounds = 12;

class SetPricer {
public:
    SetPricer(const FundingGrid& grid, std::span<const double> held, double maxShare,
              std::span<const RowsColumn> columns)
        : m_grid(grid), m_held(held), m_share(maxShare), m_columns(columns)
    {
    }
    // The relaxed cost over `set`, and the program left solved in `master`.
    double Cost(const std::vector<std::size_t>& set, std::unique_ptr<FundMaster>* keep = nullptr)
    {
        auto master = std::make_unique<FundMaster>(m_grid, m_held, m_share);
        for (const std::size_t j : set)
            master->Add(m_columns[j].price, m_columns[j].first, m_columns[j].worth);
        if (!master->Solve())
            return kNever;
        const double cost = master->Cost();
        if (keep)
            *keep = std::move(master);
        return cost;
    }

private:
    const FundingGrid& m_grid;
    std::span<const double> m_held;
    double m_share;
    std::span<const RowsColumn> m_columns;
};

} // namespace

RowsChoice ChooseRows(const FundingGrid& grid, std::span<const double> held, double maxShare, int maxRows,
                      std::span<const RowsColumn> columns, std::vector<std::size_t> set,
                      const std::function<bool()>& going)
{
    SetPricer pricer(grid, held, maxShare, columns);
    const auto N = static_cast<std::size_t>(maxRows);
    // Drop the bond whose loss costs least, until N are left.
    while (set.size() > N && (!going || going())) {
        std::size_t drop = 0;
        double least = kNever;
        for (std::size_t k = 0; k < set.size(); ++k) {
            std::vector<std::size_t> without = set;
            without.erase(without.begin() + static_cast<std::ptrdiff_t>(k));
            const double cost = pricer.Cost(without);
            if (cost < least) {
                least = cost;
                drop = k;
            }
        }
        set.erase(set.begin() + static_cast<std::ptrdiff_t>(drop));
    }
    std::unique_ptr<FundMaster> master;
    double cost = pricer.Cost(set, &master);
    // Swap one in for one out while that lowers the cost.
    for (int round = 0; round < kSwapRounds && master && (!going || going()); ++round) {
        std::vector<std::pair<double, std::size_t>> entering;
        for (std::size_t j = 0; j < columns.size(); ++j) {
            if (std::find(set.begin(), set.end(), j) != set.end())
                continue;
            double slack = 0.0;
            const double reduced = master->ReducedCost(columns[j].price, columns[j].first, columns[j].worth, slack);
            if (reduced < 0)
                entering.emplace_back(reduced / columns[j].price, j);
        }
        std::sort(entering.begin(), entering.end());
        if (entering.size() > kEntering)
            entering.resize(kEntering);
        double best = cost;
        std::vector<std::size_t> bestSet;
        for (const auto& [reduced, e] : entering) {
            std::vector<std::size_t> with = set;
            with.push_back(e);
            if (with.size() <= N) {
                const double c = pricer.Cost(with);
                if (c < best) {
                    best = c;
                    bestSet = with;
                }
                continue;
            }
            for (std::size_t k = 0; k + 1 < with.size(); ++k) {
                std::vector<std::size_t> swapped = with;
                swapped.erase(swapped.begin() + static_cast<std::ptrdiff_t>(k));
                const double c = pricer.Cost(swapped);
                if (c < best * (1 - 1e-12)) {
                    best = c;
                    bestSet = swapped;
                }
            }
        }
        if (bestSet.empty())
            break;
        set = bestSet;
        cost = pricer.Cost(set, &master);
    }
    RowsChoice choice;
    choice.cost = cost;
    if (!master)
        return choice;
    for (std::size_t k = 0; k < set.size(); ++k) {
        choice.chosen.push_back(set[k]);
        choice.units.push_back(master->Units(k));
    }
    return choice;
}

} // namespace tenvix
