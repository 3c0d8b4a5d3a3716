#include "portfolio/core/fund.h"

#include "portfolio/core/fundmaster.h"
#include "portfolio/core/fundrows.h"
#include "portfolio/core/fundwhole.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {

namespace {

// The rounds of column generation, and the bonds each takes on at most.
constexpr int kMaxRounds = 400;
std::size_t TakenPerRound(std::size_t liabilities) { return std::min<std::size_t>(2000, 100 + 2 * liabilities); }
// The most bonds the whole-unit search works on.
constexpr std::size_t kWholeColumns = 300;
// Counted subproblems of the whole-unit search, so that a busy machine
// gives the same portfolio: at most so many, and once the answer is within
// kWholeGap of the search's own bound (at most 0.05 % above the least
// whole-unit cost of its bonds) so many more; the search looks for the
// least cost itself until then.
constexpr int kWholeNodes = 20000;
constexpr int kWholeEnoughNodes = 400;
constexpr double kWholeGap = 5e-4;
// When the row limit binds: the rivals of the chosen set searched with it,
// and the subproblems of that search.
constexpr std::size_t kRivals = 30;
constexpr int kChoiceNodes = 2000;
// The steps the progress counts, the screen aside.
constexpr std::size_t kFundSteps = 100;

struct StopRequested {};

class Ticker {
public:
    Ticker(const FundProgress& progress, std::size_t offset) : m_progress(progress), m_offset(offset) {}
    void Step()
    {
        m_done = std::min(m_done + 1, kFundSteps - 1);
        if (!Going())
            throw StopRequested();
    }
    bool Going() const { return !m_progress || m_progress(m_offset + m_done, m_offset + kFundSteps); }

private:
    const FundProgress& m_progress;
    std::size_t m_offset;
    std::size_t m_done = 0;
};

double CeilCents(double v) { return std::ceil(v * 100.0) / 100.0; }

// A portfolio of whole units: each column bought, its units; and what it
// costs with the cash it needs.
struct Answer {
    std::vector<std::pair<std::size_t, double>> units; // column, units
    double cash = 0.0;
    double cost = std::numeric_limits<double>::infinity();
};

// One run's state: the candidates valued in full once they are needed.
class Run {
public:
    Run(const FundScreen& screen, const FundingGrid& grid, const FundLimits& limits,
        std::span<const FundHolding> held, double stand, double horizon, const FundFetch& fetch,
        const FundProgress& progress)
        : m_screen(screen), m_grid(grid), m_limits(limits), m_stand(stand), m_horizon(horizon),
          m_fetch(fetch), m_ticker(progress, screen.Offered()), m_heldWorth(grid.Count(), 0.0),
          m_valued(screen.Candidates().size(), kNotValued), m_inMaster(screen.Candidates().size(), false)
    {
        for (const FundHolding& h : held) {
            const FundingColumn f = FundingOf(h.payments, grid);
            for (std::size_t i = 0; i < f.worth.size(); ++i)
                m_heldWorth[f.first + i] += h.units * f.worth[i];
        }
        for (const FundHolding& h : held)
            m_holdings.push_back({h.units, std::span(h.payments)});
    }

    FundResult Solve();

private:
    static constexpr std::size_t kNotValued = ~std::size_t{0};

    // A candidate's payments, fetched and dated anew.
    std::vector<PaymentColumn::Flow> FlowsOf(const FundCandidate& c) const;
    // A candidate valued in full: its payments kept, its funding column made.
    std::size_t Value(std::size_t candidate);
    // Prices every candidate the master has not taken on; the reduced
    // costs less their slack, in money per unit.
    void PriceAll(const FundMaster& master);
    Answer Evaluate(std::vector<std::pair<std::size_t, double>> units) const;
    // Whole units of the valued columns given, by branch and bound from
    // `start` (or from `fallback` when a bond of the start is not among
    // them); the better of the start and what it finds.
    Answer Search(const std::vector<std::size_t>& columns, const Answer& start, const Answer& fallback,
                  int nodeLimit);
    double NotTakenBound(double upper) const;

    const FundScreen& m_screen;
    const FundingGrid& m_grid;
    const FundLimits& m_limits;
    double m_stand;
    double m_horizon;
    const FundFetch& m_fetch;
    Ticker m_ticker;
    std::vector<double> m_heldWorth;
    std::vector<LadderHolding> m_holdings;

    // The valued columns: their candidate, payments and funding.
    PaymentColumns m_payments;
    std::vector<std::size_t> m_candidateOf;
    std::vector<FundingColumn> m_funding;
    std::vector<std::size_t> m_valued; // per candidate: its valued column, or kNotValued
    std::vector<bool> m_inMaster;      // per candidate: taken on by the relaxation
    std::vector<double> m_reduced;     // per candidate not taken on: at the last pricing
};

std::vector<PaymentColumn::Flow> Run::FlowsOf(const FundCandidate& c) const
{
    if (std::unique_ptr<CBond> bond = m_fetch(c.ref))
        return PaymentsOf(*bond, m_stand, m_horizon);
    return {};
}

std::size_t Run::Value(std::size_t candidate)
{
    if (m_valued[candidate] != kNotValued)
        return m_valued[candidate];
    const FundCandidate& c = m_screen.Candidates()[candidate];
    const std::vector<PaymentColumn::Flow> flows = FlowsOf(c);
    FundingColumn f = FundingOf(flows, m_grid);
    // The screen saw these very payments; a column that has gone is kept
    // empty rather than let a different bond in.
    if (f.first != c.first || f.outgoing)
        f.worth.clear();
    m_payments.Add(c.price, 0.0, flows);
    m_candidateOf.push_back(candidate);
    m_funding.push_back(std::move(f));
    m_valued[candidate] = m_funding.size() - 1;
    return m_funding.size() - 1;
}

void Run::PriceAll(const FundMaster& master)
{
    const auto& cands = m_screen.Candidates();
    m_reduced.assign(cands.size(), std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < cands.size(); ++i) {
        if (m_inMaster[i])
            continue;
        const FundCandidate& c = cands[i];
        double slack = 0.0, reduced = 0.0;
        if (c.at != kNotPooled) {
            reduced = master.ReducedCost(c.price, c.first, m_screen.Values(c), slack);
        } else {
            // Beyond the pool: valued anew, exactly.
            const FundingColumn f = FundingOf(FlowsOf(c), m_grid);
            if (f.worth.empty() || f.outgoing)
                continue;
            reduced = master.ReducedCost(c.price, f.first, std::span<const double>(f.worth), slack);
        }
        m_reduced[i] = reduced - slack;
    }
}

double Run::NotTakenBound(double upper) const
{
    const auto& cands = m_screen.Candidates();
    double sum = 0.0;
    for (std::size_t i = 0; i < cands.size(); ++i)
        if (!m_inMaster[i] && m_reduced[i] < 0)
            sum += m_reduced[i] * (upper / cands[i].price);
    return sum;
}

Answer Run::Evaluate(std::vector<std::pair<std::size_t, double>> units) const
{
    Answer a;
    std::erase_if(units, [](const auto& u) { return !(u.second >= 1.0); });
    std::vector<LadderHolding> holdings = m_holdings;
    double bonds = 0.0, dearest = 0.0;
    for (const auto& [column, n] : units) {
        holdings.push_back({n, m_payments.Flows(column)});
        const double cost = n * m_payments[column].price;
        bonds += cost;
        dearest = std::max(dearest, cost);
    }
    double cash = CashNeeded(m_grid, holdings);
    // Cash may also keep a bond within its share of the whole cost.
    if (m_limits.maxShare < 1.0) {
        cash = std::max(cash, CeilCents(dearest / m_limits.maxShare - bonds));
        for (int more = 0; more < 1000 && dearest > m_limits.maxShare * (cash + bonds); ++more)
            cash += 0.01;
    }
    a.units = std::move(units);
    a.cash = cash;
    a.cost = cash + bonds;
    return a;
}

Answer Run::Search(const std::vector<std::size_t>& searched, const Answer& start, const Answer& fallback,
                   int nodeLimit)
{
    std::vector<WholeFundingColumn> columns;
    std::size_t offered = 0;
    for (const std::size_t column : searched) {
        WholeFundingColumn c;
        c.price = m_payments[column].price;
        c.first = m_funding[column].first;
        c.worth = m_funding[column].worth;
        for (const auto& [bought, units] : start.units)
            if (bought == column)
                c.start = units;
        offered += c.start > 0 ? 1 : 0;
        columns.push_back(c);
    }
    const Answer& from = offered == start.units.size() ? start : fallback;
    if (&from != &start)
        for (WholeFundingColumn& c : columns)
            c.start = 0.0;
    WholeFundingProblem problem;
    problem.held = m_heldWorth;
    problem.maxShare = m_limits.maxShare;
    problem.maxRows = m_limits.maxRows;
    problem.upper = from.cost;
    problem.startCash = from.cash;
    problem.relativeGap = 1e-9;
    problem.enoughGap = kWholeGap;
    problem.enoughNodes = kWholeEnoughNodes;
    problem.nodeLimit = nodeLimit;
    problem.going = [this] { return m_ticker.Going(); };
    int nodes = 0;
    m_ticker.Step();
    const auto units = SolveWholeFunding(m_grid, problem, columns, nodes);
    m_ticker.Step();
    if (!units)
        return start;
    std::vector<std::pair<std::size_t, double>> found;
    for (std::size_t k = 0; k < searched.size(); ++k)
        found.emplace_back(searched[k], (*units)[k]);
    Answer whole = Evaluate(found);
    if (whole.cost < start.cost && whole.units.size() <= static_cast<std::size_t>(m_limits.maxRows))
        return whole;
    return start;
}

FundResult Run::Solve()
{
    const auto& cands = m_screen.Candidates();
    FundMaster master(m_grid, m_heldWorth, m_limits.maxShare);
    std::vector<std::size_t> masterColumn; // master index -> valued column
    auto take = [&](std::size_t candidate) {
        const std::size_t column = Value(candidate);
        m_inMaster[candidate] = true;
        const FundingColumn& f = m_funding[column];
        master.Add(m_payments[column].price, f.first, f.worth);
        masterColumn.push_back(column);
    };

    bool solved = false;
    for (int round = 0; round < kMaxRounds; ++round) {
        m_ticker.Step();
        solved = master.Solve();
        if (!solved)
            break;
        PriceAll(master);
        std::vector<std::size_t> entering;
        for (std::size_t i = 0; i < cands.size(); ++i)
            if (m_reduced[i] < 0)
                entering.push_back(i);
        // The last round prices only, so that the bound sees every bond
        // against the duals of the master as it stands.
        if (entering.empty() || round + 1 == kMaxRounds)
            break;
        // The most promising per unit of money first; ties in list order.
        const std::size_t want = std::min(entering.size(), TakenPerRound(m_grid.Count()));
        auto better = [&](std::size_t a, std::size_t b) {
            const double ra = m_reduced[a] / cands[a].price, rb = m_reduced[b] / cands[b].price;
            return ra != rb ? ra < rb : a < b;
        };
        std::partial_sort(entering.begin(), entering.begin() + static_cast<std::ptrdiff_t>(want), entering.end(),
                          better);
        entering.resize(want);
        for (const std::size_t i : entering)
            take(i);
    }

    // Whole units: first the relaxation's bonds rounded up, or when the
    // row limit binds those of the set ChooseRows finds; and cash alone.
    // Then the search, from the best of them.
    const Answer cashOnly = Evaluate({});
    Answer best = cashOnly;
    std::vector<double> lpUnits(master.Size(), 0.0);
    std::vector<std::size_t> chosen; // master columns the search starts from
    if (solved) {
        for (std::size_t j = 0; j < master.Size(); ++j) {
            lpUnits[j] = master.Units(j);
            if (lpUnits[j] > 1e-9)
                chosen.push_back(j);
        }
        auto money = [&](std::size_t j) { return lpUnits[j] * m_payments[masterColumn[j]].price; };
        std::stable_sort(chosen.begin(), chosen.end(), [&](std::size_t a, std::size_t b) { return money(a) > money(b); });
        std::vector<double> units(lpUnits);
        if (chosen.size() > static_cast<std::size_t>(m_limits.maxRows)) {
            std::vector<RowsColumn> columns;
            for (std::size_t j = 0; j < master.Size(); ++j) {
                const std::size_t column = masterColumn[j];
                columns.push_back({m_payments[column].price, m_funding[column].first, m_funding[column].worth});
            }
            const RowsChoice choice = ChooseRows(m_grid, m_heldWorth, m_limits.maxShare, m_limits.maxRows, columns,
                                                 chosen, [this] { return m_ticker.Going(); });
            m_ticker.Step();
            chosen = choice.chosen;
            for (std::size_t k = 0; k < chosen.size(); ++k)
                units[chosen[k]] = choice.units[k];
        }
        std::vector<std::pair<std::size_t, double>> rounded;
        for (const std::size_t j : chosen)
            rounded.emplace_back(masterColumn[j], std::ceil(units[j] - 1e-9));
        const Answer up = Evaluate(rounded);
        if (up.cost < best.cost)
            best = up;
    }
    const double relaxed = solved ? master.Bound(best.cost) + NotTakenBound(best.cost) : 0.0;

    // Half a cent above the bound is the least cost already.
    if (solved && best.cost - relaxed > 0.005) {
        // The bonds that can be in a portfolio cheaper than the best so far:
        // a unit of a bond costs at least its reduced cost more than the
        // bound, so those whose reduced cost exceeds the distance cannot.
        const double room = best.cost - relaxed;
        std::vector<std::pair<double, std::size_t>> pool; // reduced cost, valued column
        for (std::size_t j = 0; j < master.Size(); ++j) {
            const double reduced = master.ReducedCost(j);
            const bool start = std::find(chosen.begin(), chosen.end(), j) != chosen.end();
            if (start || reduced <= room)
                pool.emplace_back(start ? -std::numeric_limits<double>::infinity() : reduced, masterColumn[j]);
        }
        std::vector<std::pair<double, std::size_t>> more;
        for (std::size_t i = 0; i < cands.size(); ++i)
            if (!m_inMaster[i] && m_reduced[i] <= room)
                more.emplace_back(m_reduced[i], i);
        std::sort(more.begin(), more.end());
        if (more.size() > kWholeColumns)
            more.resize(kWholeColumns);
        for (const auto& [reduced, i] : more)
            pool.emplace_back(reduced, Value(i));
        std::stable_sort(pool.begin(), pool.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        if (pool.size() > kWholeColumns)
            pool.resize(kWholeColumns);

        std::vector<std::size_t> searched;
        for (const auto& entry : pool)
            searched.push_back(entry.second);
        const bool binds = chosen.size() == static_cast<std::size_t>(m_limits.maxRows) && searched.size() > chosen.size();
        if (binds) {
            // The set found first, in whole units; then, from there, the
            // choice of bonds itself among the set and its nearest rivals.
            std::vector<std::size_t> set(searched.begin(), searched.begin() + static_cast<std::ptrdiff_t>(chosen.size()));
            best = Search(set, best, cashOnly, kWholeNodes);
            searched.resize(std::min(searched.size(), chosen.size() + kRivals));
            best = Search(searched, best, cashOnly, kChoiceNodes);
        } else {
            best = Search(searched, best, cashOnly, kWholeNodes);
        }
    }

    FundResult result;
    result.cash = best.cash;
    double bonds = 0.0;
    std::vector<LadderHolding> holdings = m_holdings;
    for (const auto& [column, units] : best.units) {
        const FundCandidate& c = cands[m_candidateOf[column]];
        FundedRow row;
        row.id = c.id;
        row.ref = c.ref;
        row.units = units;
        row.price = c.price;
        row.cost = units * c.price;
        row.ytm = c.ytm;
        bonds += row.cost;
        result.rows.push_back(std::move(row));
        holdings.push_back({units, m_payments.Flows(column)});
    }
    result.cost = result.cash + bonds;
    for (FundedRow& row : result.rows)
        row.share = row.cost / result.cost;
    std::sort(result.rows.begin(), result.rows.end(), [](const FundedRow& a, const FundedRow& b) {
        return a.cost != b.cost ? a.cost > b.cost : a.id < b.id;
    });
    result.ladder = WalkLadder(m_grid, result.cash, holdings);
    // The bound for portfolios no dearer than the answer, in whole cents
    // down, never above the answer.
    const double bound = solved ? master.Bound(result.cost) + NotTakenBound(result.cost) : 0.0;
    result.lowerBound = std::clamp(std::floor(bound * 100.0) / 100.0, 0.0, result.cost);
    return result;
}

} // namespace

std::vector<PaymentColumn::Flow> PaymentsOf(CBond& bond, double stand, double horizon)
{
    std::vector<PaymentColumn::Flow> flows;
    bond.SetDates(stand, horizon);
    bond.Prepare();
    if (bond.Validate() == BOND_OK)
        AppendPayments(bond, flows);
    return flows;
}

double FundResult::GapPercent() const
{
    if (!(lowerBound > 0.0))
        return 0.0;
    return 100.0 * (cost - lowerBound) / lowerBound;
}

FundResult Fund(const FundScreen& screen, const FundingGrid& grid, const FundLimits& limits,
                std::span<const FundHolding> held, double stand, double horizon, const FundFetch& fetch,
                const FundProgress& progress)
{
    FundResult result;
    try {
        Run run(screen, grid, limits, held, stand, horizon, fetch, progress);
        result = run.Solve();
    } catch (const StopRequested&) {
        result = FundResult{};
        result.stopped = true;
    }
    FreeSolverMemory();
    return result;
}

FundResult FundList(const CBondList::List& bonds, const std::vector<Liability>& schedule, double stand,
                    const FundLimits& limits, std::span<const FundHolding> held, const Clock& clock,
                    const FundProgress& progress)
{
    FundResult result;
    if (schedule.empty())
        return result;
    const double horizon = static_cast<double>(schedule.back().day);
    const FundingGrid grid(schedule, stand, limits.reinvest);
    FundScreen screen(limits.minYtm, limits.exclude);
    std::vector<const CBond*> byRef;
    byRef.reserve(bonds.size());
    ScratchBond scratchBond;
    std::vector<PaymentColumn::Flow> flows;
    const std::size_t total = bonds.size() + kFundSteps;
    std::size_t reached = 0;
    for (const auto& p : bonds) {
        if (progress && (reached & 1023) == 0 && !progress(reached, total)) {
            result.stopped = true;
            return result;
        }
        ++reached;
        const CBond* bond = p.get();
        CBond* scratch = scratchBond.Of(bond);
        RowFigures row;
        FundingColumn funding;
        if (scratch) {
            row = AnalyseRow(*scratch, stand, horizon, clock);
            if (row.status == RowStatus::Ready) {
                flows.clear();
                AppendPayments(*scratch, flows);
                funding = FundingOf(flows, grid);
            }
        }
        screen.Offer(bond ? std::string_view(bond->m_strID) : std::string_view(), bond ? bond->m_fPrice : 0.0f, row,
                     funding, byRef.size());
        byRef.push_back(bond);
    }
    screen.Finish();
    const FundFetch fetch = [&](std::size_t ref) { return CopyOfBond(*byRef[ref]); };
    return Fund(screen, grid, limits, held, stand, horizon, fetch, progress);
}

} // namespace tenvix
