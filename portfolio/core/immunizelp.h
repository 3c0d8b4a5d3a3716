#pragma once

// The programs the immunization search solves, over the few candidates it
// took on as columns. For a fixed composite yield y, a portfolio's value
// weights w (units times price over the amount) enter everything linearly:
//   sum w = 1                                 the amount invested
//   sum w (PV(y) / P - 1) = 0                 y is the composite yield
//   |sum w (SD(y) / P - H)| <= band           the duration at y is H
//   minimise sum w SM(y) / P                  the composite Square-M
// where PV, SD and SM are a bond's present value and duration and Square-M
// sums at y, and P its price. GLPK solves it, and the whole-unit program
// beside it, through linearprogram.h. The payments as columns serve the
// funding of a schedule too.

#include "model/bond.h"
#include "portfolio/core/linearprogram.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tenvix {

// One candidate's payments, and its sums at the yield last evaluated.
struct PaymentColumn {
    struct Flow {
        double years;
        double amount;
        double distance2; // squared distance from the horizon, as Square-M weighs it
    };
    double price = 0.0;
    double maxUnits = 0.0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    double pv = 0.0;
    double sd = 0.0;
    double sm = 0.0;
    double st2 = 0.0; // the payments' squared times, weighted as in sd
    double smt = 0.0; // the Square-M terms times their times
};

class PaymentColumns {
public:
    void Add(double price, double maxUnits, const std::vector<PaymentColumn::Flow>& flows);
    std::size_t size() const { return m_columns.size(); }
    std::size_t FlowCount() const { return m_flows.size(); }
    PaymentColumn& operator[](std::size_t k) { return m_columns[k]; }
    const PaymentColumn& operator[](std::size_t k) const { return m_columns[k]; }
    // The payments of column k, in the walk's order.
    std::span<const PaymentColumn::Flow> Flows(std::size_t k) const
    {
        return std::span(m_flows).subspan(m_columns[k].first, m_columns[k].count);
    }
    // The sums of every column, or of some, at yield y. A bond's payments
    // mostly lie at even steps, so one discount factor a step serves them all.
    void Evaluate(double y);
    void Evaluate(double y, const std::vector<std::size_t>& which);

private:
    void EvaluateOne(PaymentColumn& c, double logGrowth) const;
    std::vector<PaymentColumn> m_columns;
    std::vector<PaymentColumn::Flow> m_flows;
};

// A bond's payments as the engine's walk takes them (the bond dated and
// prepared): time, amount, and the squared distance from the horizon its
// Square-M weighs them by.
void AppendPayments(const CBond& bond, std::vector<PaymentColumn::Flow>& flows);

// The fractional program at one yield, kept between yields so that each
// solve starts from the last basis.
class YieldLp {
public:
    // How a yield fared: a portfolio has it as composite yield, or every
    // portfolio the other rows allow has a higher one (TooLow) or a lower
    // one (TooHigh), or the other rows allow none.
    enum class Probe { Feasible, TooLow, TooHigh, Empty };

    YieldLp(const PaymentColumns& columns, double horizonYears, double share, double band);
    YieldLp(const YieldLp&) = delete;
    YieldLp& operator=(const YieldLp&) = delete;

    // At the yield the columns were last evaluated at; `value` the least
    // composite Square-M when feasible.
    Probe Solve(double& value);
    // The columns the last solution holds, then the most promising others by
    // reduced cost: those a whole-unit program at this yield works on.
    std::vector<std::size_t> Columns(double share) const;
    // Whether the last solution holds more than `maxRows` bonds, or one at
    // the share `share` (below 1).
    bool Binds(int maxRows, double share) const;
    // The fewest units a bond of the last solution holds when the amount is
    // `amount`: few units leave whole units far from the fractional optimum.
    double FewestUnits(double amount) const;
    // Of the last feasible solution, per unit of value: the mean squared time
    // of the payments, and the mean of time times squared distance.
    double MeanSquaredTime() const { return m_meanT2; }
    double MeanTimeSquareM() const { return m_meanSmt; }

private:
    LinearProgram::Status Run();
    void Load();

    const PaymentColumns& m_columns;
    double m_H;
    double m_share = 1.0;
    double m_meanT2 = 0.0;
    double m_meanSmt = 0.0;
    LinearProgram m_lp;
};

struct WholeProblem {
    double amount;
    double share;
    int maxRows;
    double horizonYears;
    double target;        // the Square-M hoped for: the ratio the objective is measured against
    double band = 0.0;    // the duration's distance from H allowed at the evaluated yield
    double gapBand = 0.0; // how far the present value may be off the price, over the amount
    double meanT2 = 0.0;  // YieldLp::MeanSquaredTime
    double meanSmt = 0.0; // YieldLp::MeanTimeSquareM
    int nodeLimit = 1000; // the most subproblems the search may make
};

// Whole units of the columns `which` (evaluated at the yield in hand): at
// most maxRows held, none above the share, the amount nearly all invested,
// the composite yield close to the one in hand and the duration within the
// band there, with the least Square-M. Nothing when GLPK finds none within
// the node limit or `going` says stop; `nodes` tells how many it made.
std::optional<std::vector<double>> SolveWholeUnits(const PaymentColumns& columns, const std::vector<std::size_t>& which,
                                                   const WholeProblem& problem, const std::function<bool()>& going,
                                                   int& nodes);

} // namespace tenvix
