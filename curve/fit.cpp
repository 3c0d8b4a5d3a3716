#include "curve/fit.h"

#include "curve/curvecost.h"
#include "curve/runeach.h"

#include <ceres/ceres.h>

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tenvix::curve {

namespace {

// A group takes the bonds whose payments end at one time, as long as their
// features together are at most this many; the next bond then opens a new one.
constexpr std::size_t kGroupFeatures = 8;
// The start's regression reads at most this many bonds, evenly spread.
constexpr std::size_t kStartSample = 4096;
// Steps of a search with fixed taus, and of a polish.
constexpr int kGridIterations = 12;
constexpr int kPolishIterations = 200;
// How many of the grid's best pairs are polished.
constexpr std::size_t kPolished = 6;

struct OpenGroup {
    std::vector<std::uint32_t> nodes;
    std::vector<std::uint32_t> members; // positions among the fitted bonds
};

} // namespace

CurveProblem::CurveProblem(const PaymentBook& book, std::span<const FitBond> bonds)
    : m_book(book), m_bonds(bonds.size())
{
    // Bonds into groups in list order, by the node of their last payment.
    std::vector<OpenGroup> groups;
    std::unordered_map<std::uint32_t, std::size_t> openByLast;
    for (std::size_t b = 0; b < bonds.size(); ++b) {
        const auto features = book.FeaturesOf(bonds[b].book);
        if (features.empty())
            continue;
        const std::uint32_t last = features.back().node;
        auto it = openByLast.find(last);
        std::size_t g = it == openByLast.end() ? groups.size() : it->second;
        if (g < groups.size()) {
            std::size_t added = 0;
            for (const PaymentBook::Feature& f : features)
                if (std::find(groups[g].nodes.begin(), groups[g].nodes.end(), f.node) == groups[g].nodes.end())
                    ++added;
            if (groups[g].nodes.size() + added > kGroupFeatures)
                g = groups.size();
        }
        if (g == groups.size()) {
            groups.emplace_back();
            openByLast[last] = g;
        }
        OpenGroup& group = groups[g];
        for (const PaymentBook::Feature& f : features)
            if (std::find(group.nodes.begin(), group.nodes.end(), f.node) == group.nodes.end())
                group.nodes.push_back(f.node);
        group.members.push_back(static_cast<std::uint32_t>(b));
    }

    // Each group's rows: a bond's amounts on the group's features over P D,
    // then -1/D; more rows than columns become the triangular factor.
    Eigen::MatrixXd rows;
    for (const OpenGroup& group : groups) {
        const auto k = static_cast<Eigen::Index>(group.nodes.size());
        const auto m = static_cast<Eigen::Index>(group.members.size());
        rows.setZero(m, k + 1);
        for (Eigen::Index i = 0; i < m; ++i) {
            const FitBond& bond = bonds[group.members[static_cast<std::size_t>(i)]];
            const double scale = 1.0 / (bond.price * bond.duration);
            for (const PaymentBook::Feature& f : book.FeaturesOf(bond.book)) {
                const auto column = std::find(group.nodes.begin(), group.nodes.end(), f.node) - group.nodes.begin();
                rows(i, column) += static_cast<double>(f.amount) * scale;
            }
            rows(i, k) = -1.0 / bond.duration;
        }
        // The factor is upper triangular (trapezoidal with fewer bonds than
        // columns): row i starts at feature i, which the cost function skips to.
        Eigen::MatrixXd kept;
        if (m > 1) {
            Eigen::HouseholderQR<Eigen::MatrixXd> qr(rows);
            kept = qr.matrixQR().topRows(std::min(m, k + 1)).triangularView<Eigen::Upper>();
        } else {
            kept = rows;
        }
        Group out{static_cast<std::uint32_t>(m_featureNodes.size()), static_cast<std::uint32_t>(k),
                  static_cast<std::uint32_t>(m_coefficients.size()), static_cast<std::uint32_t>(kept.rows())};
        m_featureNodes.insert(m_featureNodes.end(), group.nodes.begin(), group.nodes.end());
        for (Eigen::Index i = 0; i < kept.rows(); ++i)
            for (Eigen::Index j = 0; j <= k; ++j)
                m_coefficients.push_back(kept(i, j));
        m_rows += out.rows;
        m_groups.push_back(out);
    }

    const auto times = book.Times();
    const auto grid = TauGrid();
    m_gridShapes.resize(grid.size() * times.size() * 2);
    double* shape = m_gridShapes.data();
    for (double tau : grid)
        for (double t : times) {
            const Shape s = ShapeAt(t / tau);
            *shape++ = s.f1;
            *shape++ = s.e;
        }

    const std::size_t step = std::max<std::size_t>(1, (bonds.size() + kStartSample - 1) / kStartSample);
    for (std::size_t b = 0; b < bonds.size(); b += step)
        if (bonds[b].ytm > -1)
            m_sample.emplace_back(std::log1p(bonds[b].ytm), bonds[b].duration);
}

const double* CurveProblem::GridShapes(double tau) const
{
    const auto grid = TauGrid();
    const auto it = std::find(grid.begin(), grid.end(), tau);
    if (it == grid.end())
        return nullptr;
    return m_gridShapes.data() + static_cast<std::size_t>(it - grid.begin()) * m_book.Nodes() * 2;
}

double CurveProblem::Objective(const CurveParams& p) const
{
    CurveCost cost(*this);
    std::vector<double> residuals(m_rows);
    const double* parameters[2] = {p.beta.data(), p.tau.data()};
    if (!cost.Evaluate(parameters, residuals.data(), nullptr))
        return std::numeric_limits<double>::infinity();
    double sum = 0;
    for (double r : residuals)
        sum += r * r;
    return sum;
}

namespace {

class StopCallback final : public ceres::IterationCallback {
public:
    explicit StopCallback(const std::atomic<bool>* stop) : m_stop(stop) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary&) override
    {
        return m_stop && m_stop->load(std::memory_order_relaxed) ? ceres::SOLVER_ABORT : ceres::SOLVER_CONTINUE;
    }

private:
    const std::atomic<bool>* m_stop;
};

} // namespace

CurveProblem::Solution CurveProblem::Solve(const CurveParams& start, bool fixTaus, int iterations,
                                           const std::atomic<bool>* stop) const
{
    return CurveSolver(*this).Solve(start, fixTaus, iterations, stop);
}

CurveSolver::CurveSolver(const CurveProblem& problem) : m_problem(problem) {}

CurveSolver::~CurveSolver() = default;

CurveProblem::Solution CurveSolver::Solve(const CurveParams& start, bool fixTaus, int iterations,
                                          const std::atomic<bool>* stop)
{
    CurveProblem::Solution out;
    out.params = start;
    for (double& b : out.params.beta)
        b = std::clamp(b, -kBetaBound, kBetaBound);
    for (double& t : out.params.tau)
        t = std::clamp(t, kTauLow, kTauHigh);
    if (m_problem.Rows() == 0)
        return out;
    if (!m_cost)
        m_cost = std::make_unique<CurveCost>(m_problem);
    CurveCost& cost = *m_cost;
    ceres::Problem::Options problemOptions;
    problemOptions.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    double* beta = out.params.beta.data();
    double* tau = out.params.tau.data();
    problem.AddResidualBlock(&cost, nullptr, beta, tau);
    for (int i = 0; i < 4; ++i) {
        problem.SetParameterLowerBound(beta, i, -kBetaBound);
        problem.SetParameterUpperBound(beta, i, kBetaBound);
    }
    for (int i = 0; i < 2; ++i) {
        problem.SetParameterLowerBound(tau, i, kTauLow);
        problem.SetParameterUpperBound(tau, i, kTauHigh);
    }
    if (fixTaus)
        problem.SetParameterBlockConstant(tau);

    ceres::Solver::Options options;
    options.linear_solver_type = ceres::DENSE_NORMAL_CHOLESKY;
    options.max_num_iterations = iterations;
    options.num_threads = 1;
    options.max_num_line_search_step_size_iterations = 0;
    options.logging_type = ceres::SILENT;
    options.minimizer_progress_to_stdout = false;
    options.function_tolerance = 1e-14;
    options.gradient_tolerance = 1e-16;
    options.parameter_tolerance = 1e-12;
    StopCallback callback(stop);
    options.callbacks.push_back(&callback);
    ceres::Solver::Summary summary;
    ceres::Solve(options, &problem, &summary);
    if (summary.termination_type == ceres::FAILURE || !std::isfinite(summary.final_cost))
        return out;
    out.objective = 2 * summary.final_cost;

    out.ok = true;
    return out;
}

CurveParams CurveProblem::StartFor(double tau1, double tau2) const
{
    CurveParams p;
    p.tau = {tau1, tau2};
    if (m_sample.empty())
        return p;
    Eigen::Matrix4d normal = Eigen::Matrix4d::Zero();
    Eigen::Vector4d right = Eigen::Vector4d::Zero();
    for (const auto& [yield, duration] : m_sample) {
        const Loadings l = LoadingsAt(std::max(duration, 1e-6), tau1, tau2, false);
        const Eigen::Vector4d x(1.0, l.l1, l.l2, l.l3);
        normal += x * x.transpose();
        right += x * yield;
    }
    // A touch of ridge: with taus close together two loadings all but agree.
    normal.diagonal().array() += 1e-9 * normal.trace();
    const Eigen::Vector4d beta = normal.ldlt().solve(right);
    for (int i = 0; i < 4; ++i)
        p.beta[static_cast<std::size_t>(i)] =
            std::isfinite(beta(i)) ? std::clamp(beta(i), -kBetaBound, kBetaBound) : 0.0;
    return p;
}

std::span<const double> TauGrid()
{
    // Ten taus from 0.05 to 30, each about twice the one before.
    static const std::vector<double> grid = [] {
        std::vector<double> g;
        for (int i = 0; i < 10; ++i)
            g.push_back(kTauLow * std::pow(kTauHigh / kTauLow, i / 9.0));
        g.back() = kTauHigh;
        return g;
    }();
    return grid;
}

CurveFitResult FitCurve(const CurveProblem& problem, int threads, FitControl* control)
{
    return FitCurve(problem, problem, threads, control);
}

CurveFitResult FitCurve(const CurveProblem& search, const CurveProblem& problem, int threads, FitControl* control)
{
    const auto grid = TauGrid();
    std::vector<CurveParams> starts;
    for (double t1 : grid)
        for (double t2 : grid)
            if (t1 != t2)
                starts.push_back(search.StartFor(t1, t2));
    const std::atomic<bool>* stop = control ? &control->stop : nullptr;
    if (control)
        control->total = static_cast<int>(starts.size() + kPolished);

    std::vector<std::unique_ptr<CurveSolver>> solvers;
    for (int t = 0; t < std::max(1, threads); ++t)
        solvers.push_back(std::make_unique<CurveSolver>(search));
    std::vector<CurveProblem::Solution> searched(starts.size());
    RunEachOn(starts.size(), threads, [&](std::size_t i, int worker) {
        if (stop && stop->load())
            return;
        searched[i] = solvers[static_cast<std::size_t>(worker)]->Solve(starts[i], true, kGridIterations, stop);
        if (control)
            ++control->done;
    });
    CurveFitResult result;
    if (stop && stop->load()) {
        result.stopped = true;
        return result;
    }

    std::vector<std::size_t> order(searched.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return searched[a].objective < searched[b].objective; });
    std::vector<CurveParams> chosen;
    for (std::size_t i : order)
        if (searched[i].ok && chosen.size() < kPolished)
            chosen.push_back(searched[i].params);

    if (&search != &problem)
        for (auto& solver : solvers)
            solver = std::make_unique<CurveSolver>(problem);
    std::vector<CurveProblem::Solution> polished(chosen.size());
    RunEachOn(chosen.size(), threads, [&](std::size_t i, int worker) {
        if (stop && stop->load())
            return;
        polished[i] = solvers[static_cast<std::size_t>(worker)]->Solve(chosen[i], false, kPolishIterations, stop);
        if (control)
            ++control->done;
    });
    if (stop && stop->load()) {
        result.stopped = true;
        return result;
    }
    if (control)
        control->done = control->total.load();
    for (const CurveProblem::Solution& s : polished)
        if (s.ok && s.objective < result.objective) {
            result.ok = true;
            result.params = s.params;
            result.objective = s.objective;
        }
    return result;
}

} // namespace tenvix::curve
