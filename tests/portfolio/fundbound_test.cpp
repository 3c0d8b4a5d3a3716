// The funding measured against programs built here on their own, over every
// candidate at once and in another form: the surplus of each liability
// discounted to the stand date and summed, c + sum x A_k >= B_k. The bound
// must lie at or below the relaxation's optimum and within a millionth of
// it; the answer within 0.1 % of the best whole units GLPK finds directly.

#include "../model/testbonds.h"
#include "examples/generated.h"
#include "model/date.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/fund.h"

#include <glpk.h>
#include <gtest/gtest.h>

#include <cmath>

namespace tenvix {
namespace {

const double kStand = kGeneratedStand;

struct Universe {
    CBondList list;
    std::vector<Liability> schedule;
    double horizon = 0.0;
    // Of every candidate: its price and A_k, the discounted payments that
    // fund liabilities up to k.
    std::vector<double> prices;
    std::vector<std::vector<double>> reach;
    std::vector<double> need; // B_k
};

Universe Make(std::size_t bonds, std::uint32_t seed, int liabilities, double rho)
{
    Universe u;
    EXPECT_TRUE(test::Load(GenerateDatabase(bonds, seed, GeneratedMix::TypeI), u.list));
    const CivilDate stand = Civil(kStand);
    for (int k = 1; k <= liabilities; ++k)
        u.schedule.push_back({DaySerial(*MakeDate(stand.year + k, stand.month, stand.day)), 2500.0 + 750.0 * (k % 4)});
    u.horizon = static_cast<double>(u.schedule.back().day);
    std::vector<double> s;
    for (const Liability& l : u.schedule)
        s.push_back(YearFraction(static_cast<double>(l.day), kStand));
    double owed = 0.0;
    for (std::size_t k = 0; k < s.size(); ++k)
        u.need.push_back(owed += u.schedule[k].amount * std::pow(1 + rho, -s[k]));
    for (const auto& p : u.list.m_list) {
        std::unique_ptr<CBond> bond = test::CopyOf(*p);
        if (AnalyseRow(*bond, kStand, u.horizon, SystemClock()).status != RowStatus::Ready)
            continue;
        std::vector<double> reach(s.size(), 0.0);
        for (const PaymentColumn::Flow& f : PaymentsOf(*bond, kStand, u.horizon))
            for (std::size_t k = 0; k < s.size(); ++k)
                if (s[k] >= f.years - 0.01) {
                    for (std::size_t i = k; i < s.size(); ++i)
                        reach[i] += f.amount * std::pow(1 + rho, -f.years);
                    break;
                }
        u.prices.push_back(bond->m_fPrice);
        u.reach.push_back(reach);
    }
    return u;
}

// The least cost: fractional units, or whole ones with at most `rows` bonds.
double Least(const Universe& u, double share, int rows, bool whole)
{
    glp_term_out(GLP_OFF);
    glp_prob* lp = glp_create_prob();
    const int n = static_cast<int>(u.prices.size());
    const int K = static_cast<int>(u.need.size());
    // Columns: c, V, x_j, z_j. Rows: the K liabilities, V, the shares, the links, the count.
    glp_add_cols(lp, 2 + 2 * n);
    glp_add_rows(lp, K + 1 + 2 * n + 1);
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0};
    auto put = [&](int r, int c, double v) {
        ia.push_back(r);
        ja.push_back(c);
        ar.push_back(v);
    };
    glp_set_col_bnds(lp, 1, GLP_LO, 0, 0);
    glp_set_obj_coef(lp, 1, 1);
    glp_set_col_bnds(lp, 2, GLP_LO, 0, 0);
    for (int k = 0; k < K; ++k) {
        glp_set_row_bnds(lp, k + 1, GLP_LO, u.need[static_cast<std::size_t>(k)], 0);
        put(k + 1, 1, 1);
    }
    const int rowV = K + 1;
    glp_set_row_bnds(lp, rowV, GLP_FX, 0, 0);
    put(rowV, 2, 1);
    put(rowV, 1, -1);
    for (int j = 0; j < n; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        const int x = 3 + j, z = 3 + n + j;
        const double most = std::floor(1e7 / u.prices[jj]);
        glp_set_col_bnds(lp, x, GLP_DB, 0, most);
        glp_set_obj_coef(lp, x, u.prices[jj]);
        if (whole)
            glp_set_col_kind(lp, x, GLP_IV);
        for (int k = 0; k < K; ++k)
            if (u.reach[jj][static_cast<std::size_t>(k)] != 0)
                put(k + 1, x, u.reach[jj][static_cast<std::size_t>(k)]);
        put(rowV, x, -u.prices[jj]);
        glp_set_row_bnds(lp, rowV + 1 + j, GLP_LO, 0, 0); // share V - p x >= 0
        put(rowV + 1 + j, 2, share);
        put(rowV + 1 + j, x, -u.prices[jj]);
        glp_set_row_bnds(lp, rowV + 1 + n + j, GLP_UP, 0, 0); // x <= most z
        put(rowV + 1 + n + j, x, 1);
        put(rowV + 1 + n + j, z, -most);
        glp_set_col_kind(lp, z, whole ? GLP_BV : GLP_CV);
        if (!whole)
            glp_set_col_bnds(lp, z, GLP_DB, 0, 1);
        put(K + 2 + 2 * n, z, 1);
    }
    glp_set_row_bnds(lp, K + 2 + 2 * n, GLP_UP, 0, whole ? rows : n);
    glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp s;
    glp_init_smcp(&s);
    s.msg_lev = GLP_MSG_OFF;
    s.tol_bnd = 1e-9;
    s.tol_dj = 1e-9;
    double best = NAN;
    if (glp_simplex(lp, &s) == 0 && glp_get_status(lp) == GLP_OPT) {
        best = glp_get_obj_val(lp);
        if (whole) {
            glp_iocp m;
            glp_init_iocp(&m);
            m.msg_lev = GLP_MSG_OFF;
            m.mip_gap = 1e-6;
            m.tm_lim = 20000;
            glp_intopt(lp, &m);
            best = glp_mip_status(lp) == GLP_OPT || glp_mip_status(lp) == GLP_FEAS ? glp_mip_obj_val(lp) : NAN;
        }
    }
    glp_delete_prob(lp);
    glp_free_env();
    return best;
}

struct Case {
    double rho;
    double share;
    int rows;
};

TEST(FundAgainstItsOwnPrograms, BoundAndCostHoldOnGeneratedBonds)
{
    for (const Case c : {Case{0.0, 1.0, 20}, Case{0.03, 1.0, 20}, Case{0.0, 0.2, 20}, Case{0.02, 1.0, 2}}) {
        const Universe u = Make(120, 17, 6, c.rho);
        FundLimits l;
        l.reinvest = c.rho;
        l.maxShare = c.share;
        l.maxRows = c.rows;
        const FundResult r = FundList(u.list.m_list, u.schedule, kStand, l, {}, SystemClock());
        const double relaxed = Least(u, c.share, c.rows, false);
        const double whole = Least(u, c.share, c.rows, true);
        ASSERT_FALSE(std::isnan(relaxed));
        ASSERT_FALSE(std::isnan(whole));
        const std::string what = "rho " + std::to_string(c.rho) + " share " + std::to_string(c.share) + " rows " +
                                 std::to_string(c.rows);
        EXPECT_LE(r.lowerBound, relaxed + 1e-7 * relaxed) << what;
        EXPECT_GE(r.lowerBound, relaxed * (1 - 1e-6) - 0.01) << what;
        EXPECT_LE(r.cost, whole * 1.001) << what;
        EXPECT_FALSE(r.rows.empty()) << what;
        EXPECT_LE(r.rows.size(), static_cast<std::size_t>(c.rows)) << what;
        for (const FundedRow& row : r.rows)
            EXPECT_LE(row.cost, c.share * r.cost) << what;
        for (const LadderRow& row : r.ladder.rows)
            EXPECT_GE(row.surplus, 0.0) << what;
    }
}

} // namespace
} // namespace tenvix
