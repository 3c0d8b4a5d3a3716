#include "curve/curvecost.h"

#include <cmath>

namespace tenvix::curve {

namespace {
constexpr std::size_t kLoadings = 6;
constexpr std::size_t kPartials = 7; // the discount and its derivatives by b0..b3, tau1, tau2
} // namespace

CurveCost::CurveCost(const CurveProblem& problem) : m_problem(problem)
{
    set_num_residuals(static_cast<int>(problem.Rows()));
    mutable_parameter_block_sizes()->push_back(4);
    mutable_parameter_block_sizes()->push_back(2);
    const std::size_t nodes = problem.Book().Nodes();
    m_loadings.resize(nodes * kLoadings);
    m_values.resize(nodes * kPartials);
    m_sums.resize(nodes * kPartials);
}

void CurveCost::LoadTaus(double tau1, double tau2) const
{
    if (m_tau[0] == tau1 && m_tau[1] == tau2)
        return;
    const auto times = m_problem.Book().Times();
    // The search's taus have their shapes ready; others are worked out here.
    const double* shape1 = m_problem.GridShapes(tau1);
    const double* shape2 = m_problem.GridShapes(tau2);
    const bool ready = shape1 && shape2;
    for (std::size_t n = 0; n < times.size(); ++n) {
        const Loadings l = ready ? LoadingsOf({shape1[2 * n], shape1[2 * n + 1]}, {shape2[2 * n], shape2[2 * n + 1]},
                                              times[n] / tau1, times[n] / tau2, tau1, tau2, true)
                                 : LoadingsAt(times[n], tau1, tau2, true);
        double* out = m_loadings.data() + n * kLoadings;
        out[0] = l.l1;
        out[1] = l.l2;
        out[2] = l.l3;
        out[3] = l.dl1;
        out[4] = l.dl2;
        out[5] = l.dl3;
    }
    m_tau[0] = tau1;
    m_tau[1] = tau2;
}

bool CurveCost::Evaluate(double const* const* parameters, double* residuals, double** jacobians) const
{
    const double* b = parameters[0];
    const double* tau = parameters[1];
    LoadTaus(tau[0], tau[1]);
    double* jb = jacobians ? jacobians[0] : nullptr;
    double* jt = jacobians ? jacobians[1] : nullptr;
    // A node's values: its discount, then the partials asked for (by the
    // betas, by the taus), side by side for the running sums.
    const std::size_t betaAt = 1;
    const std::size_t tauAt = jb ? 5 : 1;
    const std::size_t stride = tauAt + (jt ? 2 : 0);

    const auto times = m_problem.Book().Times();
    for (std::size_t n = 0; n < times.size(); ++n) {
        const double t = times[n];
        const double* l = m_loadings.data() + n * kLoadings;
        const double z = b[0] + b[1] * l[0] + b[2] * l[1] + b[3] * l[2];
        const double d = std::exp(-z * t);
        double* v = m_values.data() + n * stride;
        v[0] = d;
        const double m = -t * d;
        if (jb) {
            v[betaAt] = m;
            v[betaAt + 1] = m * l[0];
            v[betaAt + 2] = m * l[1];
            v[betaAt + 3] = m * l[2];
        }
        if (jt) {
            v[tauAt] = m * (b[1] * l[3] + b[2] * l[4]);
            v[tauAt + 1] = m * b[3] * l[5];
        }
    }
    m_problem.Book().RunningSums(std::span(m_values.data(), times.size() * stride),
                                 std::span(m_sums.data(), times.size() * stride), stride);

    const auto nodes = m_problem.FeatureNodes();
    const auto coefficients = m_problem.Coefficients();
    std::size_t row = 0;
    bool finite = true;
    for (const CurveProblem::Group& g : m_problem.Groups()) {
        const std::uint32_t* features = nodes.data() + g.firstFeature;
        const double* c = coefficients.data() + g.firstCoefficient;
        for (std::uint32_t r = 0; r < g.rows; ++r, ++row, c += g.features + 1) {
            double value[kPartials] = {c[g.features], 0, 0, 0, 0, 0, 0};
            for (std::uint32_t f = r; f < g.features; ++f) {
                const double* s = m_sums.data() + std::size_t(features[f]) * stride;
                for (std::size_t j = 0; j < stride; ++j)
                    value[j] += c[f] * s[j];
            }
            for (std::size_t j = 0; j < stride; ++j)
                finite = finite && std::isfinite(value[j]);
            residuals[row] = value[0];
            if (jb)
                for (std::size_t j = 0; j < 4; ++j)
                    jb[row * 4 + j] = value[betaAt + j];
            if (jt)
                for (std::size_t j = 0; j < 2; ++j)
                    jt[row * 2 + j] = value[tauAt + j];
        }
    }
    return finite;
}

} // namespace tenvix::curve
