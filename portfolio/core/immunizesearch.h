#pragma once

// The search behind Immunize, for immunize.cpp alone: over the candidates
// taken on as columns, the composite yield is refined over the fractional
// programs of immunizelp.h, then whole units are sought at the best trial
// yields and polished.

#include "portfolio/core/immunize.h"
#include "portfolio/core/immunizelp.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace tenvix::immunizing {

// Among at most this many candidates the whole units are searched at more
// trial yields and further off each: a small amount of few bonds has its
// best whole units where the fractional optimum gives little hint of them.
constexpr std::size_t kSmallSet = 64;
// The steps of the search the progress counts, the screen aside.
constexpr std::size_t kSearchSteps = 400;

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
// less its duration's distance from the horizon squared. On a small
// database, all of them.
std::vector<std::size_t> Narrow(const std::vector<ImmunizeCandidate>& cands, double H, double share);

// Where the search stood at one trial yield.
struct Trial {
    double y = 0.0;
    YieldLp::Probe probe = YieldLp::Probe::Empty;
    double value = std::numeric_limits<double>::infinity();
};

// The search over the columns: Search first, then WholeUnitsAt the trial
// yields it found best.
class Optimizer {
public:
    Optimizer(const ImmunizeLimits& limits, double H, Ticker& ticker, bool small);

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
    // Units of the columns `which` that miss the duration, settled among the
    // bonds they hold about their own composite yield; nothing when that
    // does not bring the duration within the tolerance. The columns are
    // left evaluated at the yield they were evaluated at before.
    std::optional<std::vector<double>> Settle(const std::vector<std::size_t>& which, std::vector<double> units,
                                              double y, WholeProblem problem);
    void Bisect(double infeasible, double feasible, int steps);
    void Golden(double a, double b, int steps);

    const ImmunizeLimits& m_limits;
    double m_H;
    Ticker& m_ticker;
    bool m_small;    // few candidates: whole units are searched more widely
    int m_nodesLeft; // of the subproblems the whole-unit programs may make
    std::unique_ptr<YieldLp> m_lp;
    std::vector<Trial> m_trials;
};

} // namespace tenvix::immunizing
