#pragma once

// The fit of the curve to the bonds' stored prices. Each bond's term is
// (P^ - P) / (P D), its model price's error over its price and duration,
// which is close to the error of its yield, so that every bond counts alike in
// yield; the fit minimises the sum of their squares within the bounds of
// curve/nss.h. The function has several local minima in the two taus: a
// search over a grid of them comes first, then the best few are polished.
//
// A million bonds are too many to value one by one at every step. Bonds whose
// payments end at the same time share their features (curve/paymentbook.h);
// a group's terms are its bonds' rows times the vector of its features' sums
// of discounts and a 1, and the sum of their squares is that vector's length
// under the rows' triangular factor, which has no more rows than the group
// has features and a 1. So a step costs the distinct payment times and the
// groups, not the bonds, and the sum is the same.

#include "curve/nss.h"
#include "curve/paymentbook.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace tenvix::curve {

// A bond the curve is fitted to: its number in the book, its stored price,
// duration and yield (the yield only to start the search near the bonds).
struct FitBond {
    std::uint32_t book = 0;
    double price = 0;
    double duration = 0;
    double ytm = 0;
};

// How far a fit has come, and a way to stop it, for a caller on another thread.
struct FitControl {
    std::atomic<bool> stop{false};
    std::atomic<int> done{0};  // searches ended
    std::atomic<int> total{0}; // searches in all, once known
};

class CurveProblem {
public:
    CurveProblem(const PaymentBook& book, std::span<const FitBond> bonds);

    const PaymentBook& Book() const { return m_book; }
    std::size_t Bonds() const { return m_bonds; }
    std::size_t Rows() const { return m_rows; }

    // The sum of the squared terms at `p`.
    double Objective(const CurveParams& p) const;

    struct Solution {
        CurveParams params;
        double objective = std::numeric_limits<double>::infinity();
        bool ok = false; // the solver ended with a finite objective
    };
    // The least squares within the bounds from `start` (taken into the
    // bounds), at most `iterations` steps; with `fixTaus` the taus stay.
    // Each call makes its scratch; CurveSolver keeps it for many.
    Solution Solve(const CurveParams& start, bool fixTaus, int iterations, const std::atomic<bool>* stop) const;

    // Betas for given taus by linear least squares of the bonds' continuously
    // compounded yields on the loadings at their durations (on an even sample
    // of the bonds), within the bounds: a start near the answer for those taus.
    CurveParams StartFor(double tau1, double tau2) const;

    // The groups' rows, for the cost function. A group's rows are upper
    // triangular: row r is zero before feature r.
    struct Group {
        std::uint32_t firstFeature;
        std::uint32_t features;
        std::uint32_t firstCoefficient;
        std::uint32_t rows;
    };
    std::span<const Group> Groups() const { return m_groups; }
    // f1(t/tau) and e^(-t/tau) at every node for each tau of TauGrid(),
    // worked out once for all the searches; null for another tau.
    const double* GridShapes(double tau) const;
    std::span<const std::uint32_t> FeatureNodes() const { return m_featureNodes; }
    std::span<const double> Coefficients() const { return m_coefficients; }

private:
    const PaymentBook& m_book;
    std::size_t m_bonds = 0;
    std::size_t m_rows = 0;
    std::vector<Group> m_groups;
    std::vector<std::uint32_t> m_featureNodes;
    std::vector<double> m_coefficients; // a group's rows one after another, each its features' then the 1's
    std::vector<double> m_gridShapes; // per grid tau, per node: f1, e
    // The start's sample: continuously compounded yield and duration.
    std::vector<std::pair<double, double>> m_sample;
};

class CurveCost;

// Solves of one problem one after another, on one thread, with one scratch.
class CurveSolver {
public:
    explicit CurveSolver(const CurveProblem& problem);
    ~CurveSolver();
    CurveSolver(const CurveSolver&) = delete;
    CurveSolver& operator=(const CurveSolver&) = delete;

    CurveProblem::Solution Solve(const CurveParams& start, bool fixTaus, int iterations,
                                 const std::atomic<bool>* stop);

private:
    const CurveProblem& m_problem;
    std::unique_ptr<CurveCost> m_cost;
};

struct CurveFitResult {
    bool ok = false;      // a curve was found
    bool stopped = false; // FitControl::stop ended the search
    CurveParams params;
    double objective = std::numeric_limits<double>::infinity();
};

// The taus of the search's grid, from the lower bound to the upper one.
std::span<const double> TauGrid();

// The search: for every pair of different taus of the grid the betas alone,
// from StartFor, then the best few pairs with every parameter free. The
// searches run on up to `threads` threads; every search and the choice
// (the least objective, the earlier search on a tie) are the same on any
// number of them.
CurveFitResult FitCurve(const CurveProblem& problem, int threads, FitControl* control);
// The same with the grid searched on `search`, an even sample of the bonds of
// `problem` (the polish's): for a large database the sample's objective has
// the same valleys at a fraction of the cost.
CurveFitResult FitCurve(const CurveProblem& search, const CurveProblem& problem, int threads, FitControl* control);

// Bonds beyond this many are searched on an even sample of this many.
inline constexpr std::size_t kSearchSample = 20000;

} // namespace tenvix::curve
