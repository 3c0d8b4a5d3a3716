#include "portfolio/core/immunizesearch.h"

#include <array>
#include <cmath>

namespace tenvix::immunizing {

namespace {

// A database of at most this many candidates is searched whole; a larger one
// is narrowed first (see Narrow).
constexpr std::size_t kSearchedWhole = 600;
// The whole-unit programs of one run share this many subproblems: on a
// small amount of dear bonds they can search long for a little better.
// Counted, not timed, so that a busy machine gives the same portfolio.
constexpr int kWholeUnitsNodes = 20000;
constexpr int kWholeUnitsStepNodes = 5000;
// A bond of the fractional optimum held in fewer units than this leaves the
// whole units far from it: they are searched widely.
constexpr double kFewUnits = 200;
// Settling units among the few bonds they hold takes a small program.
constexpr int kSettleNodes = 500;

} // namespace

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

Optimizer::Optimizer(const ImmunizeLimits& limits, double H, Ticker& ticker, bool small)
    : m_limits(limits), m_H(H), m_ticker(ticker), m_small(small), m_nodesLeft(kWholeUnitsNodes)
{
}

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
namespace {

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
} // namespace

std::optional<std::vector<double>> Optimizer::Settle(const std::vector<std::size_t>& which, std::vector<double> units,
                                                    double y, WholeProblem problem)
{
    std::vector<std::size_t> held, place;
    for (std::size_t k = 0; k < which.size(); ++k)
        if (units[k] >= 1) {
            held.push_back(which[k]);
            place.push_back(k);
        }
    std::optional<std::vector<double>> settled;
    const double from = y;
    for (int step = 0; step < 4 && !held.empty() && m_nodesLeft > 0; ++step) {
        const Composite c = Evaluate(columns, which, units, y);
        if (!c.ok)
            break;
        if (std::fabs(c.duration - m_H) <= 0.98 * kImmunizeTolerance) {
            if (step > 0)
                settled = units;
            break;
        }
        columns.Evaluate(c.ytm, held);
        // Inside the band the answer is held to, with room for what the
        // program's first order leaves.
        problem.band = std::min(problem.band, 0.95 * kImmunizeTolerance);
        problem.gapBand = 1e-4;
        problem.nodeLimit = std::min(kSettleNodes, m_nodesLeft);
        int nodes = 0;
        const auto found = SolveWholeUnits(columns, held, problem, [this] { return m_ticker.Going(); }, nodes);
        m_nodesLeft -= nodes;
        if (!found)
            break;
        std::fill(units.begin(), units.end(), 0.0);
        for (std::size_t k = 0; k < held.size(); ++k)
            units[place[k]] = (*found)[k];
        y = c.ytm;
    }
    columns.Evaluate(from, which);
    return settled;
}

std::optional<std::vector<double>> Optimizer::WholeUnitsAt(double y, double& squareM)
{
    columns.Evaluate(y);
    double value = 0.0;
    if (m_lp->Solve(value) != YieldLp::Probe::Feasible)
        return std::nullopt;
    const std::vector<std::size_t> which = m_lp->Columns(m_limits.maxShare);
    // Where the row or the share limit binds, the best whole units lie
    // further from the fractional optimum: they are searched as widely as
    // among few bonds.
    const bool wide = m_small || m_lp->Binds(m_limits.maxRows, m_limits.maxShare) ||
                      m_lp->FewestUnits(m_limits.amount) < kFewUnits;
    const double A = m_limits.amount;
    double target = value;
    std::optional<std::vector<double>> best;
    double bestSquareM = std::numeric_limits<double>::infinity();
    double at = y;
    double bandShare = 0.99;
    // Whole units move the composite yield off the trial yield, and with it
    // the duration; a few rounds at the yield the last answer had settle it.
    for (int round = 0; round < (wide ? 6 : 4); ++round) {
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
            if (gapBand > 1e-3 && !wide)
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
            // Units found far from the yield in hand are priced there only to
            // first order, and can miss the duration by that alone: where a
            // limit binds they are settled among their own bonds, about their
            // own yield, where the program prices them closely.
            if (wide)
                if (auto settled = Settle(which, *found, at, problem))
                    found = std::move(settled);
            // Among a few bonds the best whole units may lie further off the
            // trial yield than the first units found: every band is tried,
            // and the units that keep the duration with the least Square-M
            // are kept.
            if (units && wide) {
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
            if (!wide)
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
    if (best && wide)
        Polish(columns, m_limits, m_H, at, *best, squareM);
    return best;
}

} // namespace tenvix::immunizing
