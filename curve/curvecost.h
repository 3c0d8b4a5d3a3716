#pragma once

// The fit's terms and their derivatives as the least-squares solver asks for
// them: the discounts at every payment time, summed along the chains, then
// each group's rows. Its scratch is its own, so each solve needs one.

#include "curve/fit.h"

#include <ceres/cost_function.h>

#include <vector>

namespace tenvix::curve {

class CurveCost final : public ceres::CostFunction {
public:
    explicit CurveCost(const CurveProblem& problem);

    // Parameters: the betas (4), the taus (2).
    bool Evaluate(double const* const* parameters, double* residuals, double** jacobians) const override;

private:
    void LoadTaus(double tau1, double tau2) const;

    const CurveProblem& m_problem;
    mutable double m_tau[2] = {0, 0}; // the taus m_loadings hold, none yet
    mutable std::vector<double> m_loadings; // per node: l1, l2, l3 and their derivatives by tau
    mutable std::vector<double> m_values;   // per node: d, then with derivatives its 6 partials
    mutable std::vector<double> m_sums;
};

} // namespace tenvix::curve
