#include "portfolio/core/immunize.h"

#include "model/bondlookup.h"
#include "model/date.h"
#include "model/paymentwalk.h"
#include "model/text.h"
#include "portfolio/core/immunizelp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tenvix {

namespace {

// Whole units beyond this are not told apart from their neighbours by a
// double's arithmetic; no amount a person invests comes near it.
constexpr double kMaxUnits = 1e15;
// A database of at most this many candidates is searched whole; a larger one
// is narrowed first (see Narrow).
constexpr std::size_t kSearchedWhole = 600;
// Among at most this many candidates the whole units are searched at more
// trial yields and further off each: a small amount of few bonds has its
// best whole units where the fractional optimum gives little hint of them.
constexpr std::size_t kSmallSet = 64;
// The steps of the search the progress counts, the screen aside.
constexpr std::size_t kSearchSteps = 400;
// The whole-unit programs of one run share this many subproblems: on a
// small amount of dear bonds they can search long for a little better.
// Counted, not timed, so that a busy machine gives the same portfolio.
constexpr int kWholeUnitsNodes = 20000;
constexpr int kWholeUnitsStepNodes = 5000;

// The most whole units of `price` that `budget` pays for.
double WholeUnitsWithin(double budget, double price)
{
    if (!(price > 0.0) || !(budget >= price))
        return 0.0;
    double u = std::min(std::floor(budget / price), kMaxUnits);
    while (u > 0 && u * price > budget)
        u -= 1;
    while (u < kMaxUnits && (u + 1) * price <= budget)
        u += 1;
    return u;
}

// The share of the amount one bond may take, in money.
double ShareBudget(const ImmunizeLimits& l) { return l.maxShare * l.amount; }

} // namespace

ImmunizeFailure CheckLimits(const ImmunizeLimits& limits)
{
    // A share typed as a decimal may miss 1/N by the last bit of a double.
    if (limits.maxRows * limits.maxShare < 1.0 - 1e-12)
        return ImmunizeFailure::LimitsTooTight;
    return ImmunizeFailure::None;
}

// ---- the screen ----------------------------------------------------------------

ImmunizeScreen::ImmunizeScreen(const ImmunizeLimits& limits) : m_limits(limits)
{
    for (const std::string& id : limits.exclude)
        m_foldedExclusions.push_back(FoldCase(id));
}

void ImmunizeScreen::Offer(std::string_view id, float price, const RowFigures& row, std::size_t ref)
{
    const std::size_t order = m_offered++;
    m_hashes.emplace_back(BondIdIndex::HashOf(id), static_cast<std::uint32_t>(order));
    if (row.status != RowStatus::Ready)
        return;
    ++m_ready;
    if (m_limits.minYtm && !(row.ytm >= *m_limits.minYtm))
        return;
    for (const std::string& excluded : m_foldedExclusions)
        if (EqualsFolded(id, excluded))
            return;
    const double p = static_cast<double>(price);
    m_candidates.push_back(ImmunizeCandidate{std::string(id), ref, order, p, row.ytm, row.duration, row.squareM,
                                             WholeUnitsWithin(ShareBudget(m_limits), p)});
}

void ImmunizeScreen::Finish()
{
    // Equal hashes of folded identifiers: every bond after the first is one
    // that a lookup by its identifier never reaches. A rare collision of two
    // different identifiers only costs a candidate.
    std::sort(m_hashes.begin(), m_hashes.end());
    std::vector<std::uint32_t> hidden;
    for (std::size_t k = 1; k < m_hashes.size(); ++k)
        if (m_hashes[k].first == m_hashes[k - 1].first)
            hidden.push_back(m_hashes[k].second);
    std::sort(hidden.begin(), hidden.end());
    std::erase_if(m_candidates, [&](const ImmunizeCandidate& c) {
        return std::binary_search(hidden.begin(), hidden.end(), static_cast<std::uint32_t>(c.order));
    });
    m_hashes = {};
    m_left = m_candidates.size();
    // A bond so cheap that the share buys more units than a double counts
    // exactly is as good as unbuyable: no whole number of it can be told.
    std::erase_if(m_candidates, [](const ImmunizeCandidate& c) { return c.maxUnits < 1.0 || c.maxUnits >= kMaxUnits; });
    if (!m_candidates.empty()) {
        const auto [low, high] = std::minmax_element(
            m_candidates.begin(), m_candidates.end(),
            [](const ImmunizeCandidate& a, const ImmunizeCandidate& b) { return a.duration < b.duration; });
        m_lowDuration = low->duration;
        m_highDuration = high->duration;
    }
}

ImmunizeFailure ImmunizeScreen::Failure(double horizonYears) const
{
    if (m_ready == 0)
        return ImmunizeFailure::NothingReady;
    if (m_left == 0)
        return ImmunizeFailure::NothingLeft;
    if (m_candidates.empty())
        return ImmunizeFailure::NothingAffordable;
    // A bond within the tolerance of the horizon reaches it on its own.
    if (horizonYears < m_lowDuration - kImmunizeTolerance || horizonYears > m_highDuration + kImmunizeTolerance)
        return ImmunizeFailure::HorizonOutside;
    return ImmunizeFailure::None;
}

// ---- the search ----------------------------------------------------------------

namespace {

// Thrown when the progress hook asks to stop.
struct StopRequested {};

class Ticker {
public:
    Ticker(const ImmunizeProgress& progress, std::size_t offset, std::size_t total)
        : m_progress(progress), m_offset(offset), m_total(total)
    {
    }
    // One step more; throws when asked to stop.
    void Step()
    {
        m_done = std::min(m_done + 1, kSearchSteps);
        Check();
    }
    void Check() const
    {
        if (m_progress && !m_progress(m_offset + m_done, m_total))
            throw StopRequested();
    }
    bool Going() const { return !m_progress || m_progress(m_offset + m_done, m_total); }

private:
    const ImmunizeProgress& m_progress;
    std::size_t m_offset;
    std::size_t m_total;
    std::size_t m_done = 0;
};

// The candidates worth a column: on a large database, the bonds of least
// Square-M (those a portfolio near the horizon is made of), and in every band
// of duration the least dispersed (the partners that pull a portfolio's
// duration to the horizon from either side). Dispersion is a bond's Square-M
// less its duration's distance from the horizon squared.
std::vector<std::size_t> Narrow(const std::vector<ImmunizeCandidate>& cands, double H, double share)
{
    std::vector<std::size_t> all(cands.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    if (cands.size() <= kSearchedWhole)
        return all;
    auto bySquareM = [&](std::size_t a, std::size_t b) {
        return cands[a].squareM != cands[b].squareM ? cands[a].squareM < cands[b].squareM
                                                    : cands[a].order < cands[b].order;
    };
    const std::size_t best = std::min(cands.size(), std::max<std::size_t>(300, static_cast<std::size_t>(8 / share)));
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(best - 1), all.end(), bySquareM);
    std::vector<std::size_t> chosen(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(best));

    constexpr double kBand = 0.25;
    constexpr std::size_t kPerBand = 3;
    constexpr std::size_t kBands = 400; // a hundred years of duration
    std::vector<std::array<std::size_t, kPerBand>> bands(kBands);
    std::vector<std::size_t> filled(kBands, 0);
    auto dispersion = [&](std::size_t i) {
        const double off = cands[i].duration - H;
        return std::max(0.0, cands[i].squareM - off * off);
    };
    auto lessDispersed = [&](std::size_t a, std::size_t b) {
        const double da = dispersion(a), db = dispersion(b);
        return da != db ? da < db : cands[a].order < cands[b].order;
    };
    for (std::size_t i = 0; i < cands.size(); ++i) {
        const double d = std::clamp(cands[i].duration / kBand, 0.0, static_cast<double>(kBands - 1));
        auto& band = bands[static_cast<std::size_t>(d)];
        std::size_t& n = filled[static_cast<std::size_t>(d)];
        if (n < kPerBand) {
            band[n++] = i;
            std::sort(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(n), lessDispersed);
        } else if (lessDispersed(i, band[kPerBand - 1])) {
            band[kPerBand - 1] = i;
            std::sort(band.begin(), band.end(), lessDispersed);
        }
    }
    for (std::size_t b = 0; b < kBands; ++b)
        chosen.insert(chosen.end(), bands[b].begin(), bands[b].begin() + static_cast<std::ptrdiff_t>(filled[b]));
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

// A candidate's payments as the engine's walk takes them: time, amount, and
// the squared distance from the horizon its Square-M weighs them by.
void AppendPayments(const CBond& bond, std::vector<PaymentColumn::Flow>& flows)
{
    auto visit = [&](const PaymentStep& s) {
        if (s.amount != 0.0)
            flows.push_back({s.years, s.amount, s.distance * s.distance});
    };
    double d = 0, m = 0;
    if (bond.GetType() == BOND_TYPE_STD)
        static_cast<const CBondStd&>(bond).WalkPayments(0.05, 1.0, d, m, visit);
    else if (bond.GetType() == BOND_TYPE_FREE)
        static_cast<const CBondFree&>(bond).WalkPayments(0.05, 1.0, d, m, visit);
}

// Where the search stood at one trial yield.
struct Trial {
    double y = 0.0;
    YieldLp::Probe probe = YieldLp::Probe::Empty;
    double value = std::numeric_limits<double>::infinity();
};

class Optimizer {
public:
    Optimizer(const ImmunizeLimits& limits, double H, Ticker& ticker, bool small)
        : m_limits(limits), m_H(H), m_ticker(ticker), m_small(small)
    {
    }

    PaymentColumns columns;
    std::vector<std::unique_ptr<CBond>> bonds; // index for index with the columns
    std::vector<const ImmunizeCandidate*> candidates;

    // The trial yields, every one tried; the best feasible ones first.
    std::vector<Trial> Search();
    // Whole units at a trial yield, or nothing.
    // `squareM` is what the columns' own pricing makes of the answer.
    std::optional<std::vector<double>> WholeUnitsAt(double y, double& squareM);

private:
    Trial At(double y);
    void Bisect(double infeasible, double feasible, int steps);
    void Golden(double a, double b, int steps);

    const ImmunizeLimits& m_limits;
    double m_H;
    Ticker& m_ticker;
    bool m_small; // few candidates: whole units are searched more widely
    int m_nodesLeft = kWholeUnitsNodes;
    std::unique_ptr<YieldLp> m_lp;
    std::vector<Trial> m_trials;
};

Trial Optimizer::At(double y)
{
    m_ticker.Step();
    columns.Evaluate(y);
    Trial t;
    t.y = y;
    t.probe = m_lp->Solve(t.value);
    if (t.probe != YieldLp::Probe::Feasible)
        t.value = std::numeric_limits<double>::infinity();
    m_trials.push_back(t);
    return t;
}

// Halves the interval between a feasible and an infeasible yield: the
// least Square-M is often found right at the edge of what is feasible.
void Optimizer::Bisect(double infeasible, double feasible, int steps)
{
    for (int k = 0; k < steps && std::fabs(feasible - infeasible) > 1e-13; ++k) {
        const double mid = 0.5 * (infeasible + feasible);
        if (At(mid).probe == YieldLp::Probe::Feasible)
            feasible = mid;
        else
            infeasible = mid;
    }
}

void Optimizer::Golden(double a, double b, int steps)
{
    constexpr double kRatio = 0.6180339887498949;
    double c = b - kRatio * (b - a), d = a + kRatio * (b - a);
    double fc = At(c).value, fd = At(d).value;
    for (int k = 0; k < steps && b - a > 1e-13; ++k) {
        if (fc <= fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - kRatio * (b - a);
            fc = At(c).value;
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + kRatio * (b - a);
            fd = At(d).value;
        }
    }
}

std::vector<Trial> Optimizer::Search()
{
    m_lp = std::make_unique<YieldLp>(columns, m_H, m_limits.maxShare, kImmunizeTolerance);
    // The composite yield lies between its members' own yields. The trial
    // yields follow the members' yields rank by rank, so that a few bonds of
    // absurd yield do not spread the grid over nothing.
    std::vector<double> yields;
    for (const ImmunizeCandidate* c : candidates)
        yields.push_back(c->ytm);
    std::sort(yields.begin(), yields.end());
    constexpr int kGrid = 32;
    std::vector<double> at{yields.front() - 1e-6};
    for (int k = 0; k <= kGrid; ++k) {
        const double y = yields[(yields.size() - 1) * static_cast<std::size_t>(k) / kGrid];
        if (y > at.back())
            at.push_back(y);
        // Halfway to the next, where the ranks leave a wide gap.
        const double next =
            yields[std::min(yields.size() - 1, (yields.size() - 1) * static_cast<std::size_t>(k + 1) / kGrid)];
        if (next > y)
            at.push_back(0.5 * (y + next));
    }
    at.push_back(yields.back() + 1e-6);
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    std::vector<Trial> grid;
    for (double y : at)
        grid.push_back(At(y));

    using Probe = YieldLp::Probe;
    auto feasible = [](const Trial& t) { return t.probe == Probe::Feasible; };
    if (std::none_of(grid.begin(), grid.end(), feasible)) {
        // Few bonds leave a narrow band of feasible yields between the last
        // one that is too low and the first that is too high.
        auto lastLow =
            std::find_if(grid.rbegin(), grid.rend(), [](const Trial& t) { return t.probe == Probe::TooLow; });
        auto firstHigh =
            std::find_if(grid.begin(), grid.end(), [](const Trial& t) { return t.probe == Probe::TooHigh; });
        if (lastLow == grid.rend() || firstHigh == grid.end() || firstHigh->y < lastLow->y)
            return {};
        double a = lastLow->y, b = firstHigh->y;
        bool found = false;
        for (int k = 0; k < 80 && !found && b - a > 1e-14; ++k) {
            const Trial t = At(0.5 * (a + b));
            if (t.probe == Probe::Feasible)
                found = true;
            else if (t.probe == Probe::TooLow)
                a = t.y;
            else if (t.probe == Probe::TooHigh)
                b = t.y;
            else
                break;
        }
        if (!found)
            return {};
        const double f = m_trials.back().y;
        Bisect(a, f, 50);
        Bisect(b, f, 50);
    } else {
        // The edges of the feasible yields, found closely.
        for (std::size_t k = 0; k < grid.size(); ++k) {
            if (!feasible(grid[k]))
                continue;
            if (k > 0 && !feasible(grid[k - 1]))
                Bisect(grid[k - 1].y, grid[k].y, 45);
            if (k + 1 < grid.size() && !feasible(grid[k + 1]))
                Bisect(grid[k + 1].y, grid[k].y, 45);
        }
    }

    // Refine around the two best local minima among the feasible trials.
    for (int round = 0; round < 2; ++round) {
        std::vector<Trial> seen;
        for (const Trial& t : m_trials)
            if (feasible(t))
                seen.push_back(t);
        std::sort(seen.begin(), seen.end(), [](const Trial& a, const Trial& b) { return a.y < b.y; });
        std::vector<std::size_t> minima;
        for (std::size_t k = 0; k < seen.size(); ++k) {
            const bool left = k == 0 || seen[k - 1].value >= seen[k].value;
            const bool right = k + 1 == seen.size() || seen[k + 1].value >= seen[k].value;
            if (left && right)
                minima.push_back(k);
        }
        std::sort(minima.begin(), minima.end(),
                  [&](std::size_t a, std::size_t b) { return seen[a].value < seen[b].value; });
        if (minima.size() > static_cast<std::size_t>(2 - round))
            minima.resize(static_cast<std::size_t>(2 - round));
        for (std::size_t k : minima) {
            const double a = k > 0 ? seen[k - 1].y : seen[k].y;
            const double b = k + 1 < seen.size() ? seen[k + 1].y : seen[k].y;
            if (b > a)
                Golden(a, b, 60);
        }
    }

    std::vector<Trial> best;
    for (const Trial& t : m_trials)
        if (feasible(t))
            best.push_back(t);
    std::sort(best.begin(), best.end(),
              [](const Trial& a, const Trial& b) { return a.value != b.value ? a.value < b.value : a.y < b.y; });
    return best;
}

// The composite of whole units on some columns, priced by the columns'
// payments: its yield by Newton's method, then duration and Square-M.
struct Composite {
    bool ok = false;
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
};

Composite Evaluate(PaymentColumns& cols, const std::vector<std::size_t>& which, const std::vector<double>& units,
                   double y)
{
    Composite c;
    double V = 0.0;
    for (std::size_t k = 0; k < which.size(); ++k)
        V += units[k] * cols[which[k]].price;
    if (!(V > 0.0))
        return c;
    for (int it = 0; it < 60; ++it) {
        cols.Evaluate(y, which);
        double F = -V, dF = 0.0;
        for (std::size_t k = 0; k < which.size(); ++k) {
            F += units[k] * cols[which[k]].pv;
            dF -= units[k] * cols[which[k]].sd / (1 + y);
        }
        if (!(dF < 0.0))
            return c;
        const double step = F / dF;
        y -= step;
        if (!(y > -0.99))
            return c;
        if (std::fabs(step) < 1e-14) {
            c.ok = true;
            break;
        }
    }
    if (!c.ok)
        return c;
    cols.Evaluate(y, which);
    double sd = 0, sm = 0;
    for (std::size_t k = 0; k < which.size(); ++k) {
        sd += units[k] * cols[which[k]].sd;
        sm += units[k] * cols[which[k]].sm;
    }
    c.ytm = y;
    c.duration = sd / V;
    c.squareM = sm / V;
    return c;
}

// Whole units settle on a lattice the programs above see only through
// first-order corrections: a few units more or less of one or two of the
// bonds held, priced exactly by the columns, often reach a smaller Square-M
// within the same limits. Moves only among the bonds held, so the row limit
// keeps.
void Polish(PaymentColumns& cols, const ImmunizeLimits& l, double H, double y, std::vector<double>& units,
            double& squareM)
{
    std::vector<std::size_t> held;
    for (std::size_t k = 0; k < units.size(); ++k)
        if (units[k] >= 1)
            held.push_back(k);
    if (held.empty())
        return;
    std::vector<double> u(held.size()), trial;
    for (std::size_t k = 0; k < held.size(); ++k)
        u[k] = units[held[k]];
    auto keeps = [&](const std::vector<double>& x) {
        double V = 0.0, dearest = 0.0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            const PaymentColumn& c = cols[held[k]];
            if (x[k] < 0 || x[k] > c.maxUnits)
                return false;
            if (x[k] >= 1) {
                V += x[k] * c.price;
                dearest = std::max(dearest, c.price);
            }
        }
        return V > 0.0 && V <= l.amount && l.amount - dearest < V;
    };
    double best = squareM;
    auto consider = [&](const std::vector<double>& x) {
        if (!keeps(x))
            return false;
        const Composite c = Evaluate(cols, held, x, y);
        if (!c.ok || !(std::fabs(c.duration - H) <= 0.98 * kImmunizeTolerance) || !(c.squareM < best * (1 - 1e-9)))
            return false;
        best = c.squareM;
        y = c.ytm;
        u = x;
        return true;
    };
    // Pairs of larger steps only among a few bonds: the moves grow with the
    // square of the bonds held.
    constexpr int kSteps[] = {-3, -2, -1, 1, 2, 3};
    const std::size_t pairSteps = held.size() <= 8 ? 6 : 2;
    const int* pairFirst = held.size() <= 8 ? kSteps : kSteps + 2;
    for (int pass = 0; pass < 12; ++pass) {
        bool better = false;
        for (std::size_t i = 0; i < u.size(); ++i) {
            for (int a : kSteps) {
                trial = u;
                trial[i] += a;
                better |= consider(trial);
                for (std::size_t j = i + 1; j < u.size(); ++j)
                    for (const int* b = pairFirst; b < pairFirst + pairSteps; ++b) {
                        trial = u;
                        trial[i] += a;
                        trial[j] += *b;
                        better |= consider(trial);
                    }
            }
        }
        if (!better)
            break;
    }
    if (best < squareM) {
        squareM = best;
        for (std::size_t k = 0; k < held.size(); ++k)
            units[held[k]] = u[k];
    }
}

std::optional<std::vector<double>> Optimizer::WholeUnitsAt(double y, double& squareM)
{
    columns.Evaluate(y);
    double value = 0.0;
    if (m_lp->Solve(value) != YieldLp::Probe::Feasible)
        return std::nullopt;
    const std::vector<std::size_t> which = m_lp->Columns(m_limits.maxShare);
    const double A = m_limits.amount;
    double target = value;
    std::optional<std::vector<double>> best;
    double bestSquareM = std::numeric_limits<double>::infinity();
    double at = y;
    double bandShare = 0.99;
    // Whole units move the composite yield off the trial yield, and with it
    // the duration; a few rounds at the yield the last answer had settle it.
    for (int round = 0; round < (m_small ? 6 : 4); ++round) {
        columns.Evaluate(at, which);
        WholeProblem problem{A, m_limits.maxShare, m_limits.maxRows, m_H, target};
        // The bound uses the whole tolerance, so the answer must too; a round
        // whose duration missed tries a narrower band.
        problem.band = kImmunizeTolerance * bandShare;
        problem.meanT2 = m_lp->MeanSquaredTime();
        problem.meanSmt = m_lp->MeanTimeSquareM();
        // Close to the trial yield first; few units to the bond may need room.
        std::optional<std::vector<double>> units;
        for (double gapBand : {1e-5, 1e-4, 1e-3, 1e-2}) {
            if (gapBand > 1e-3 && !m_small)
                break;
            if (m_nodesLeft <= 0)
                break;
            problem.nodeLimit = std::min(kWholeUnitsStepNodes, m_nodesLeft);
            problem.gapBand = gapBand;
            int nodes = 0;
            std::optional<std::vector<double>> found = SolveWholeUnits(
                columns, which, problem, [this] { return m_ticker.Going(); }, nodes);
            m_nodesLeft -= nodes;
            if (!found)
                continue;
            // Among a few bonds the best whole units may lie further off the
            // trial yield than the first units found: every band is tried,
            // and the units that keep the duration with the least Square-M
            // are kept.
            if (units && m_small) {
                const Composite was = Evaluate(columns, which, *units, at);
                const Composite now = Evaluate(columns, which, *found, at);
                auto keeps = [&](const Composite& c) {
                    return c.ok && std::fabs(c.duration - m_H) <= 0.98 * kImmunizeTolerance;
                };
                if (keeps(now) && (!keeps(was) || now.squareM < was.squareM))
                    units = std::move(found);
                columns.Evaluate(at, which); // where the next program expects them

            } else {
                units = std::move(found);
            }
            if (!m_small)
                break;
        }
        m_ticker.Check();
        if (!units)
            break;
        const Composite c = Evaluate(columns, which, *units, at);
        if (!c.ok)
            break;
        if (!(std::fabs(c.duration - m_H) <= 0.98 * kImmunizeTolerance)) {
            // Among few bonds a miss is mostly the yield the units moved to,
            // which the next round starts from; the band narrows only when
            // that did not move.
            if (!m_small || std::fabs(c.ytm - at) < 1e-5)
                bandShare *= 0.8;
        } else {
            if (c.squareM < bestSquareM) {
                bestSquareM = squareM = c.squareM;
                std::vector<double> full(columns.size(), 0.0);
                for (std::size_t k = 0; k < which.size(); ++k)
                    full[which[k]] = (*units)[k];
                best = std::move(full);
            }
            // Measured against its true ratio once more, the answer can only improve.
            if (c.squareM <= target * (1 + 1e-9))
                break;
            target = c.squareM;
        }
        at = c.ytm;
    }
    if (best && m_small)
        Polish(columns, m_limits, m_H, at, *best, squareM);
    return best;
}

// Whether whole units keep every limit, checked on the stored prices.
bool KeepsLimits(const std::vector<ImmunizedRow>& rows, const ImmunizeLimits& l)
{
    if (rows.empty() || rows.size() > static_cast<std::size_t>(l.maxRows))
        return false;
    double V = 0.0, dearest = 0.0;
    for (const ImmunizedRow& r : rows) {
        if (r.units < 1 || r.amount > ShareBudget(l))
            return false;
        V += r.amount;
        dearest = std::max(dearest, r.bond.price);
    }
    return V <= l.amount && l.amount - dearest < V;
}

} // namespace

ImmunizeResult Immunize(const ImmunizeScreen& screen, const ImmunizeLimits& limits, double stand, double horizon,
                        const ImmunizeFetch& fetch, const Clock& clock, const ImmunizeProgress& progress)
{
    ImmunizeResult result;
    result.lowDuration = screen.LowDuration();
    result.highDuration = screen.HighDuration();
    const double H = YearFraction(horizon, stand);
    result.failure = CheckLimits(limits);
    if (result.failure == ImmunizeFailure::None)
        result.failure = screen.Failure(H);
    if (result.failure != ImmunizeFailure::None)
        return result;

    const std::size_t offset = progress ? screen.Offered() : 0;
    Ticker ticker(progress, offset, offset + kSearchSteps);
    try {
        const std::vector<ImmunizeCandidate>& cands = screen.Candidates();
        const bool small = cands.size() <= kSmallSet;
        Optimizer opt(limits, H, ticker, small);
        for (std::size_t i : Narrow(cands, H, limits.maxShare)) {
            std::unique_ptr<CBond> bond = fetch(cands[i].ref);
            if (!bond)
                continue;
            bond->SetDates(stand, horizon);
            bond->Prepare();
            if (bond->Validate() != BOND_OK)
                continue;
            std::vector<PaymentColumn::Flow> flows;
            AppendPayments(*bond, flows);
            // A payment the holder makes, not receives, has no place in a
            // distance from the horizon weighted by present value.
            if (std::any_of(flows.begin(), flows.end(), [](const PaymentColumn::Flow& f) { return !(f.amount > 0); }))
                continue;
            opt.columns.Add(cands[i].price, cands[i].maxUnits, flows);
            opt.bonds.push_back(std::move(bond));
            opt.candidates.push_back(&cands[i]);
        }
        const std::vector<Trial> trials = opt.Search();
        result.bound = trials.empty() ? 0.0 : trials.front().value;

        // Whole units at the best trial yields, until one comes close to the
        // bound; then the engine's word on them, best first. The engine's
        // composite yield search is the slow part for a large amount, so it
        // runs once as a rule.
        struct Answer {
            std::vector<ImmunizedRow> rows;
            double squareM;
        };
        std::vector<Answer> answers;
        // The best trial yields cluster where the fractional optimum lies;
        // on a small amount the best whole units may lie at a yield of their
        // own, so the later tries keep apart from the earlier ones.
        double lowY = 0.0, highY = 0.0;
        if (!trials.empty()) {
            const auto [lo, hi] = std::minmax_element(trials.begin(), trials.end(),
                                                      [](const Trial& a, const Trial& b) { return a.y < b.y; });
            lowY = lo->y;
            highY = hi->y;
        }
        const double apart = std::clamp((highY - lowY) / 12, 1e-7, 1.5e-4);
        std::vector<double> tried;
        double found = std::numeric_limits<double>::infinity();
        for (const Trial& t : trials) {
            // The fractional least at a yield is as good as whole units near it get.
            if (tried.size() >= (small ? 12u : 4u) || t.value >= found)
                break;
            const double near = small ? apart : 1e-7;
            if (std::any_of(tried.begin(), tried.end(), [&](double y) { return std::fabs(y - t.y) < near; }))
                continue;
            tried.push_back(t.y);
            double squareM = 0.0;
            const auto units = opt.WholeUnitsAt(t.y, squareM);
            if (!units)
                continue;
            std::vector<ImmunizedRow> rows;
            for (std::size_t k = 0; k < units->size(); ++k) {
                if ((*units)[k] < 1)
                    continue;
                ImmunizedRow r;
                r.bond = *opt.candidates[k];
                r.units = (*units)[k];
                r.amount = r.units * r.bond.price;
                r.share = r.amount / limits.amount;
                rows.push_back(std::move(r));
            }
            if (!KeepsLimits(rows, limits))
                continue;
            std::sort(rows.begin(), rows.end(), [](const ImmunizedRow& a, const ImmunizedRow& b) {
                return a.amount != b.amount ? a.amount > b.amount : a.bond.id < b.bond.id;
            });
            answers.push_back({std::move(rows), squareM});
            found = std::min(found, squareM);
            if (squareM <= result.bound * 1.001 + 1e-12)
                break;
        }
        // One bond alone is a portfolio too, with the row's own figures: when
        // the row limit binds hard, the search above may find nothing better.
        const ImmunizeCandidate* alone = nullptr;
        for (const ImmunizeCandidate& c : cands) {
            const double value = c.maxUnits * c.price;
            if (std::fabs(c.duration - H) <= 0.98 * kImmunizeTolerance && value > limits.amount - c.price &&
                (!alone || c.squareM < alone->squareM))
                alone = &c;
        }
        if (alone) {
            ImmunizedRow r;
            r.bond = *alone;
            r.units = alone->maxUnits;
            r.amount = r.units * r.bond.price;
            r.share = r.amount / limits.amount;
            answers.push_back({{r}, alone->squareM});
        }
        std::stable_sort(answers.begin(), answers.end(),
                         [](const Answer& a, const Answer& b) { return a.squareM < b.squareM; });
        for (Answer& a : answers) {
            // The figures as Calculate gives them, members in the rows' order.
            std::vector<std::unique_ptr<CBond>> copies;
            std::vector<CBond*> members;
            std::vector<double> memberUnits;
            for (const ImmunizedRow& r : a.rows) {
                copies.push_back(fetch(r.bond.ref));
                members.push_back(copies.back().get());
                memberUnits.push_back(r.units);
            }
            ticker.Check();
            const PortfolioFigures f = CalculatePortfolio(members, memberUnits, stand, horizon, clock);
            if (f.outcome == PortfolioOutcome::Ready && std::fabs(f.duration - H) <= kImmunizeTolerance) {
                result.rows = std::move(a.rows);
                result.figures = f;
                break;
            }
        }
    } catch (const StopRequested&) {
        ImmunizeResult stopped;
        stopped.failure = ImmunizeFailure::Stopped;
        stopped.lowDuration = result.lowDuration;
        stopped.highDuration = result.highDuration;
        FreeSolverMemory();
        return stopped;
    }
    FreeSolverMemory();
    if (result.rows.empty())
        result.failure = ImmunizeFailure::NotWithinLimits;
    return result;
}

ImmunizeResult ImmunizeList(const CBondList::List& bonds, const ImmunizeLimits& limits, double stand, double horizon,
                            const Clock& clock, const ImmunizeProgress& progress)
{
    ImmunizeResult result;
    result.failure = CheckLimits(limits);
    if (result.failure != ImmunizeFailure::None)
        return result;
    ImmunizeScreen screen(limits);
    std::vector<const CBond*> byRef;
    byRef.reserve(bonds.size());
    // The row analysis dates and prepares its bond: a scratch copy of each
    // kind takes it, so the list's own bonds stay as they are.
    CBondStd scratchStd(0);
    CBondFree scratchFree(0);
    const std::size_t total = bonds.size() + kSearchSteps;
    std::size_t reached = 0;
    for (const auto& p : bonds) {
        if (progress && (reached & 1023) == 0 && !progress(reached, total)) {
            result.failure = ImmunizeFailure::Stopped;
            return result;
        }
        ++reached;
        const CBond* bond = p.get();
        RowFigures row;
        if (bond && bond->GetType() == BOND_TYPE_STD) {
            scratchStd = static_cast<const CBondStd&>(*bond);
            row = AnalyseRow(scratchStd, stand, horizon, clock);
        } else if (bond && bond->GetType() == BOND_TYPE_FREE) {
            scratchFree = static_cast<const CBondFree&>(*bond);
            row = AnalyseRow(scratchFree, stand, horizon, clock);
        }
        screen.Offer(bond ? std::string_view(bond->m_strID) : std::string_view(), bond ? bond->m_fPrice : 0.0f, row,
                     byRef.size());
        byRef.push_back(bond);
    }
    screen.Finish();
    const ImmunizeFetch fetch = [&](std::size_t ref) -> std::unique_ptr<CBond> {
        const CBond* bond = byRef[ref];
        if (bond->GetType() == BOND_TYPE_STD)
            return std::make_unique<CBondStd>(static_cast<const CBondStd&>(*bond));
        return std::make_unique<CBondFree>(static_cast<const CBondFree&>(*bond));
    };
    return Immunize(screen, limits, stand, horizon, fetch, clock, progress);
}

} // namespace tenvix
