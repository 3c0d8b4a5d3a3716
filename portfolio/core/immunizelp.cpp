#include "portfolio/core/immunizelp.h"

#include "model/paymentwalk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {

// ---- payments --------------------------------------------------------------

void PaymentColumns::Add(double price, double maxUnits, const std::vector<PaymentColumn::Flow>& flows)
{
    PaymentColumn c;
    c.price = price;
    c.maxUnits = maxUnits;
    c.first = static_cast<std::uint32_t>(m_flows.size());
    c.count = static_cast<std::uint32_t>(flows.size());
    m_flows.insert(m_flows.end(), flows.begin(), flows.end());
    m_columns.push_back(c);
}

void PaymentColumns::EvaluateOne(PaymentColumn& c, double logGrowth) const
{
    double pv = 0, sd = 0, sm = 0, st2 = 0, smt = 0;
    double factor = 1, lastYears = 0, lastStep = std::nan(""), stepFactor = 1;
    for (std::uint32_t k = 0; k < c.count; ++k) {
        const PaymentColumn::Flow& f = m_flows[c.first + k];
        const double step = f.years - lastYears;
        // A step back in time (a payment list out of order) would multiply
        // a factor that may have run down to nothing by a huge one.
        if (k == 0 || !(step > 0)) {
            factor = std::exp(-f.years * logGrowth);
            lastStep = std::nan("");
        } else {
            if (!(std::fabs(step - lastStep) <= 1e-12)) {
                stepFactor = std::exp(-step * logGrowth);
                lastStep = step;
            }
            factor *= stepFactor;
        }
        lastYears = f.years;
        const double v = f.amount * factor;
        pv += v;
        sd += v * f.years;
        sm += v * f.distance2;
        st2 += v * f.years * f.years;
        smt += v * f.years * f.distance2;
    }
    c.pv = pv;
    c.sd = sd;
    c.sm = sm;
    c.st2 = st2;
    c.smt = smt;
}

void PaymentColumns::Evaluate(double y)
{
    const double L = std::log1p(y);
    for (PaymentColumn& c : m_columns)
        EvaluateOne(c, L);
}

void PaymentColumns::Evaluate(double y, const std::vector<std::size_t>& which)
{
    const double L = std::log1p(y);
    for (std::size_t k : which)
        EvaluateOne(m_columns[k], L);
}

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

// ---- the fractional program ------------------------------------------------

namespace {

enum Row { kInvested = 1, kYield = 2, kDuration = 3 };
constexpr double kAbsurd = 1e4;
constexpr double kNone = std::numeric_limits<double>::infinity();

} // namespace

YieldLp::YieldLp(const PaymentColumns& columns, double horizonYears, double share, double band)
    : m_columns(columns), m_H(horizonYears)
{
    m_lp.AddRows(3);
    m_lp.RowFixed(kInvested, 1.0);
    m_lp.RowFixed(kYield, 0.0);
    m_lp.RowBounds(kDuration, -band, band);
    m_lp.AddColumns(static_cast<int>(columns.size()));
    m_share = std::min(1.0, share);
}

void YieldLp::Load()
{
    const int n = static_cast<int>(m_columns.size());
    const std::vector<int> rows{kInvested, kYield, kDuration};
    std::vector<double> val(3);
    for (int j = 1; j <= n; ++j) {
        const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
        val = {1.0, c.pv / c.price - 1.0, c.sd / c.price - m_H};
        const double cost = c.sm / c.price;
        // A bond whose sums this yield makes absurd (a present value of
        // thousands of times its price, a payment whose weight overflows)
        // sits this yield out: on it the simplex would only lose its footing.
        const bool usable = std::fabs(val[1]) <= kAbsurd && std::fabs(val[2]) <= kAbsurd && cost <= kAbsurd * kAbsurd;
        if (!usable)
            val[1] = val[2] = 0.0;
        m_lp.SetColumn(j, rows, val);
        m_lp.Cost(j, usable ? cost : 0.0);
        if (usable)
            m_lp.ColumnBounds(j, 0.0, m_share);
        else
            m_lp.ColumnFixed(j, 0.0);
    }
}

LinearProgram::Status YieldLp::Run()
{
    // A program of three rows takes a few pivots; near a yield where the
    // yield row's coefficients all but vanish, the simplex can stall, and
    // is then started afresh once. The last basis is where this yield's
    // solution most likely is.
    LinearProgram::SimplexOptions options;
    options.iterationLimit = 50 + 4 * static_cast<int>(m_columns.size());
    if (!m_lp.SimplexOrAfresh(options))
        return LinearProgram::Status::Undefined;
    return m_lp.LpStatus();
}

YieldLp::Probe YieldLp::Solve(double& value)
{
    using Status = LinearProgram::Status;
    Load();
    if (Run() == Status::Optimal) {
        value = m_lp.Objective();
        m_meanT2 = m_meanSmt = 0.0;
        for (int j = 1; j <= static_cast<int>(m_columns.size()); ++j) {
            const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
            const double w = m_lp.Value(j) / c.price;
            m_meanT2 += w * c.st2;
            m_meanSmt += w * c.smt;
        }
        return Probe::Feasible;
    }
    // Which way the yield misses: the least and the greatest gap between
    // present value and price the other rows allow.
    const int n = static_cast<int>(m_columns.size());
    m_lp.RowBounds(kYield, -kNone, kNone);
    for (int j = 1; j <= n; ++j) {
        const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
        m_lp.Cost(j, c.pv / c.price - 1.0);
    }
    Probe probe = Probe::Empty;
    if (Run() == Status::Optimal) {
        if (m_lp.Objective() > 0) {
            probe = Probe::TooLow;
        } else {
            m_lp.Maximise(true);
            if (Run() == Status::Optimal && m_lp.Objective() < 0)
                probe = Probe::TooHigh;
            m_lp.Maximise(false);
        }
    }
    m_lp.RowFixed(kYield, 0.0);
    return probe;
}

bool YieldLp::Binds(int maxRows, double share) const
{
    int held = 0;
    bool atShare = false;
    for (int j = 1; j <= static_cast<int>(m_columns.size()); ++j) {
        const double w = m_lp.Value(j);
        held += w > 1e-12 ? 1 : 0;
        atShare = atShare || (share < 1.0 && w >= m_share * (1 - 1e-9));
    }
    return held > maxRows || atShare;
}

double YieldLp::FewestUnits(double amount) const
{
    double fewest = std::numeric_limits<double>::infinity();
    for (int j = 1; j <= static_cast<int>(m_columns.size()); ++j)
        if (const double w = m_lp.Value(j); w > 1e-12)
            fewest = std::min(fewest, w * amount / m_columns[static_cast<std::size_t>(j - 1)].price);
    return fewest;
}

std::vector<std::size_t> YieldLp::Columns(double share) const
{
    const std::size_t n = m_columns.size();
    std::vector<std::size_t> held, others;
    for (std::size_t k = 0; k < n; ++k) {
        const int j = static_cast<int>(k + 1);
        if (m_lp.Value(j) > 1e-12)
            held.push_back(k);
        else if (!m_lp.IsColumnFixed(j)) // not set out at this yield
            others.push_back(k);
    }
    std::stable_sort(others.begin(), others.end(), [&](std::size_t a, std::size_t b) {
        return m_lp.ReducedCost(static_cast<int>(a + 1)) < m_lp.ReducedCost(static_cast<int>(b + 1));
    });
    const std::size_t want =
        std::max({held.size() + 16, static_cast<std::size_t>(std::ceil(1.0 / share)) + 12, std::size_t(24)});
    for (std::size_t k = 0; k < others.size() && held.size() < want; ++k)
        held.push_back(others[k]);
    std::sort(held.begin(), held.end());
    return held;
}

// ---- whole units -------------------------------------------------------------

namespace {

// Mends what the solver's tolerances leave: a unit too many for the
// amount, or so few that the dearest bond held would still fit.
void Mend(std::vector<double>& x, const PaymentColumns& columns, const std::vector<std::size_t>& which,
          const WholeProblem& p)
{
    const double budget = p.share * p.amount;
    for (int round = 0; round < 4; ++round) {
        double V = 0, dearest = 0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            V += x[k] * columns[which[k]].price;
            if (x[k] >= 1)
                dearest = std::max(dearest, columns[which[k]].price);
        }
        if (V > p.amount) {
            const auto most = std::max_element(x.begin(), x.end());
            *most -= 1;
        } else if (p.amount - dearest >= V) {
            std::size_t pick = x.size();
            for (std::size_t k = 0; k < x.size(); ++k) {
                const double price = columns[which[k]].price;
                if (x[k] >= 1 && (x[k] + 1) * price <= budget && x[k] + 1 <= columns[which[k]].maxUnits &&
                    V + price <= p.amount && (pick == x.size() || price > columns[which[pick]].price))
                    pick = k;
            }
            if (pick == x.size())
                return;
            x[pick] += 1;
        } else {
            return;
        }
    }
}

} // namespace

std::optional<std::vector<double>> SolveWholeUnits(const PaymentColumns& columns, const std::vector<std::size_t>& which,
                                                   const WholeProblem& p, const std::function<bool()>& going,
                                                   int& nodes)
{
    nodes = 0;
    const int k = static_cast<int>(which.size());
    if (k == 0)
        return std::nullopt;
    LinearProgram lp;

    // Columns: units x, held z, and the dearest held q, k of each.
    const int xs = 0, zs = k, qs = 2 * k;
    lp.AddColumns(3 * k);
    const double A = p.amount;
    // The composite yield stays near the one in hand, where the first-order
    // corrections below hold. Whole units leave their present value off
    // their price by a gap, which moves the composite yield by about
    // -gap (1 + y) / (H V), the duration by about -gap kappa / V and the
    // Square-M by about -gap mu / V.
    const double H = std::max(p.horizonYears, 1e-6);
    const double kappa = p.meanT2 / H;
    const double mu = p.meanSmt / H;
    for (int j = 0; j < k; ++j) {
        const PaymentColumn& c = columns[which[static_cast<std::size_t>(j)]];
        lp.Integer(xs + j + 1);
        lp.ColumnBounds(xs + j + 1, 0.0, c.maxUnits);
        lp.Cost(xs + j + 1, (c.sm - mu * (c.pv - c.price) - p.target * c.price) / A);
        lp.Binary(zs + j + 1);
        lp.Binary(qs + j + 1);
    }
    // Measured against the target ratio, the objective is the Square-M the
    // units reach when they invest the whole amount.
    lp.CostConstant(p.target);

    std::vector<int> ia, ja;
    std::vector<double> ar;
    auto put = [&](int row, int col, double v) {
        ia.push_back(row);
        ja.push_back(col);
        ar.push_back(v);
    };
    const double none = std::numeric_limits<double>::infinity();
    const int rows = 7 + 3 * k;
    lp.AddRows(rows);
    lp.RowBounds(1, -none, 1.0);               // invested at most A
    lp.RowBounds(2, 1.0 + 1e-12, none);        // ... and more than A less the dearest held
    lp.RowFixed(3, 1.0);                       // one bond is the dearest
    lp.RowBounds(4, -none, p.maxRows);         // rows
    lp.RowBounds(5, -none, 0.0);               // duration at most H + band
    lp.RowBounds(6, 0.0, none);                // duration at least H - band
    lp.RowBounds(7, -p.gapBand, p.gapBand);    // present value near the price
    for (int j = 0; j < k; ++j) {
        const PaymentColumn& c = columns[which[static_cast<std::size_t>(j)]];
        const int x = xs + j + 1, z = zs + j + 1, q = qs + j + 1;
        put(1, x, c.price / A);
        put(2, x, c.price / A);
        put(2, q, c.price / A);
        put(3, q, 1.0);
        put(4, z, 1.0);
        const double sd = c.sd - kappa * (c.pv - c.price);
        put(5, x, (sd - (p.horizonYears + p.band) * c.price) / A);
        put(6, x, (sd - (p.horizonYears - p.band) * c.price) / A);
        put(7, x, (c.pv - c.price) / A);
        const int r = 8 + 3 * j;
        // held when any units are held, and then at most its share
        lp.RowBounds(r, -none, 0.0);
        put(r, x, 1.0 / c.maxUnits);
        put(r, z, -1.0);
        lp.RowBounds(r + 1, 0.0, none);
        put(r + 1, x, 1.0);
        put(r + 1, z, -1.0);
        // the dearest is one that is held
        lp.RowBounds(r + 2, -none, 0.0);
        put(r + 2, q, 1.0);
        put(r + 2, z, -1.0);
    }
    lp.SetMatrix(ia, ja, ar);

    LinearProgram::WholeOptions options;
    options.relativeGap = 5e-4;
    options.nodeLimit = std::max(1, p.nodeLimit);
    options.going = going;
    nodes = lp.SolveWhole(options);
    const LinearProgram::Status status = lp.WholeStatus();
    if (status != LinearProgram::Status::Optimal && status != LinearProgram::Status::Feasible)
        return std::nullopt;
    std::vector<double> x(static_cast<std::size_t>(k));
    for (int j = 0; j < k; ++j)
        x[static_cast<std::size_t>(j)] = std::max(0.0, std::round(lp.WholeValue(xs + j + 1)));
    Mend(x, columns, which, p);
    return x;
}

} // namespace tenvix
