#include "portfolio/core/immunizelp.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>

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

// ---- the fractional program ------------------------------------------------

namespace {

enum Row { kInvested = 1, kYield = 2, kDuration = 3 };
constexpr double kAbsurd = 1e4;

void Quiet() { glp_term_out(GLP_OFF); }

} // namespace

YieldLp::YieldLp(const PaymentColumns& columns, double horizonYears, double share, double band)
    : m_columns(columns), m_H(horizonYears)
{
    Quiet();
    m_lp = glp_create_prob();
    glp_set_obj_dir(m_lp, GLP_MIN);
    glp_add_rows(m_lp, 3);
    glp_set_row_bnds(m_lp, kInvested, GLP_FX, 1.0, 1.0);
    glp_set_row_bnds(m_lp, kYield, GLP_FX, 0.0, 0.0);
    glp_set_row_bnds(m_lp, kDuration, GLP_DB, -band, band);
    const int n = static_cast<int>(columns.size());
    glp_add_cols(m_lp, n);
    m_share = std::min(1.0, share);
}

YieldLp::~YieldLp() { glp_delete_prob(m_lp); }

void YieldLp::Load()
{
    const int n = static_cast<int>(m_columns.size());
    int ind[4] = {0, kInvested, kYield, kDuration};
    for (int j = 1; j <= n; ++j) {
        const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
        double val[4] = {0, 1.0, c.pv / c.price - 1.0, c.sd / c.price - m_H};
        const double cost = c.sm / c.price;
        // A bond whose sums this yield makes absurd (a present value of
        // thousands of times its price, a payment whose weight overflows)
        // sits this yield out: on it the simplex would only lose its footing.
        const bool usable = std::fabs(val[2]) <= kAbsurd && std::fabs(val[3]) <= kAbsurd && cost <= kAbsurd * kAbsurd;
        if (!usable)
            val[2] = val[3] = 0.0;
        glp_set_mat_col(m_lp, j, 3, ind, val);
        glp_set_obj_coef(m_lp, j, usable ? cost : 0.0);
        glp_set_col_bnds(m_lp, j, usable ? GLP_DB : GLP_FX, 0.0, usable ? m_share : 0.0);
    }
}

int YieldLp::Run()
{
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = GLP_OFF;
    // A program of three rows takes a few pivots; near a yield where the
    // yield row's coefficients all but vanish, the simplex can stall, and
    // is then started afresh once.
    parm.it_lim = 50 + 4 * static_cast<int>(m_columns.size());
    // The last basis is where this yield's solution most likely is.
    if (glp_simplex(m_lp, &parm) != 0) {
        glp_std_basis(m_lp);
        if (glp_simplex(m_lp, &parm) != 0)
            return GLP_UNDEF;
    }
    return glp_get_status(m_lp);
}

YieldLp::Probe YieldLp::Solve(double& value)
{
    Load();
    if (Run() == GLP_OPT) {
        value = glp_get_obj_val(m_lp);
        m_meanT2 = m_meanSmt = 0.0;
        for (int j = 1; j <= static_cast<int>(m_columns.size()); ++j) {
            const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
            const double w = glp_get_col_prim(m_lp, j) / c.price;
            m_meanT2 += w * c.st2;
            m_meanSmt += w * c.smt;
        }
        return Probe::Feasible;
    }
    // Which way the yield misses: the least and the greatest gap between
    // present value and price the other rows allow.
    const int n = static_cast<int>(m_columns.size());
    glp_set_row_bnds(m_lp, kYield, GLP_FR, 0.0, 0.0);
    for (int j = 1; j <= n; ++j) {
        const PaymentColumn& c = m_columns[static_cast<std::size_t>(j - 1)];
        glp_set_obj_coef(m_lp, j, c.pv / c.price - 1.0);
    }
    Probe probe = Probe::Empty;
    if (Run() == GLP_OPT) {
        if (glp_get_obj_val(m_lp) > 0) {
            probe = Probe::TooLow;
        } else {
            glp_set_obj_dir(m_lp, GLP_MAX);
            if (Run() == GLP_OPT && glp_get_obj_val(m_lp) < 0)
                probe = Probe::TooHigh;
            glp_set_obj_dir(m_lp, GLP_MIN);
        }
    }
    glp_set_row_bnds(m_lp, kYield, GLP_FX, 0.0, 0.0);
    return probe;
}

std::vector<std::size_t> YieldLp::Columns(double share) const
{
    const std::size_t n = m_columns.size();
    std::vector<std::size_t> held, others;
    for (std::size_t k = 0; k < n; ++k) {
        const int j = static_cast<int>(k + 1);
        if (glp_get_col_prim(m_lp, j) > 1e-12)
            held.push_back(k);
        else if (glp_get_col_type(m_lp, j) != GLP_FX) // not set out at this yield
            others.push_back(k);
    }
    std::stable_sort(others.begin(), others.end(), [&](std::size_t a, std::size_t b) {
        return glp_get_col_dual(m_lp, static_cast<int>(a + 1)) < glp_get_col_dual(m_lp, static_cast<int>(b + 1));
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

struct Going {
    const std::function<bool()>* going;
    int nodeLimit;
    int nodes = 0;
};

// Stops the search when told to, or when it has made as many subproblems as
// it may: a count, unlike a time, gives the same answer on a busy machine.
void Callback(glp_tree* tree, void* info)
{
    Going* g = static_cast<Going*>(info);
    glp_ios_tree_size(tree, nullptr, nullptr, &g->nodes);
    if (g->nodes >= g->nodeLimit || (*g->going && !(*g->going)()))
        glp_ios_terminate(tree);
}

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
    Quiet();
    const int k = static_cast<int>(which.size());
    if (k == 0)
        return std::nullopt;
    glp_prob* lp = glp_create_prob();
    struct Deleter {
        glp_prob* lp;
        ~Deleter() { glp_delete_prob(lp); }
    } deleter{lp};
    glp_set_obj_dir(lp, GLP_MIN);

    // Columns: units x, held z, and the dearest held q, k of each.
    const int xs = 0, zs = k, qs = 2 * k;
    glp_add_cols(lp, 3 * k);
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
        glp_set_col_kind(lp, xs + j + 1, GLP_IV);
        glp_set_col_bnds(lp, xs + j + 1, GLP_DB, 0.0, c.maxUnits);
        glp_set_obj_coef(lp, xs + j + 1, (c.sm - mu * (c.pv - c.price) - p.target * c.price) / A);
        glp_set_col_kind(lp, zs + j + 1, GLP_BV);
        glp_set_col_kind(lp, qs + j + 1, GLP_BV);
    }
    // Measured against the target ratio, the objective is the Square-M the
    // units reach when they invest the whole amount.
    glp_set_obj_coef(lp, 0, p.target);

    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0};
    auto put = [&](int row, int col, double v) {
        ia.push_back(row);
        ja.push_back(col);
        ar.push_back(v);
    };
    const int rows = 7 + 3 * k;
    glp_add_rows(lp, rows);
    glp_set_row_bnds(lp, 1, GLP_UP, 0.0, 1.0);              // invested at most A
    glp_set_row_bnds(lp, 2, GLP_LO, 1.0 + 1e-12, 0.0);      // ... and more than A less the dearest held
    glp_set_row_bnds(lp, 3, GLP_FX, 1.0, 1.0);              // one bond is the dearest
    glp_set_row_bnds(lp, 4, GLP_UP, 0.0, p.maxRows);        // rows
    glp_set_row_bnds(lp, 5, GLP_UP, 0.0, 0.0);              // duration at most H + band
    glp_set_row_bnds(lp, 6, GLP_LO, 0.0, 0.0);              // duration at least H - band
    glp_set_row_bnds(lp, 7, GLP_DB, -p.gapBand, p.gapBand); // present value near the price
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
        glp_set_row_bnds(lp, r, GLP_UP, 0.0, 0.0);
        put(r, x, 1.0 / c.maxUnits);
        put(r, z, -1.0);
        glp_set_row_bnds(lp, r + 1, GLP_LO, 0.0, 0.0);
        put(r + 1, x, 1.0);
        put(r + 1, z, -1.0);
        // the dearest is one that is held
        glp_set_row_bnds(lp, r + 2, GLP_UP, 0.0, 0.0);
        put(r + 2, q, 1.0);
        put(r + 2, z, -1.0);
    }
    glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());

    Going g{&going, std::max(1, p.nodeLimit)};
    glp_iocp parm;
    glp_init_iocp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = GLP_ON;
    parm.mip_gap = 5e-4;
    parm.cb_func = Callback;
    parm.cb_info = &g;
    glp_intopt(lp, &parm);
    nodes = g.nodes;
    const int status = glp_mip_status(lp);
    if (status != GLP_OPT && status != GLP_FEAS)
        return std::nullopt;
    std::vector<double> x(static_cast<std::size_t>(k));
    for (int j = 0; j < k; ++j)
        x[static_cast<std::size_t>(j)] = std::max(0.0, std::round(glp_mip_col_val(lp, xs + j + 1)));
    Mend(x, columns, which, p);
    return x;
}

void FreeSolverMemory() { glp_free_env(); }

} // namespace tenvix
