#include "portfolio/core/linearprogram.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tenvix {

namespace {

LinearProgram::Status StatusOf(int status)
{
    switch (status) {
    case GLP_OPT:
        return LinearProgram::Status::Optimal;
    case GLP_FEAS:
        return LinearProgram::Status::Feasible;
    case GLP_INFEAS:
        return LinearProgram::Status::Infeasible;
    case GLP_NOFEAS:
        return LinearProgram::Status::NoFeasible;
    case GLP_UNBND:
        return LinearProgram::Status::Unbounded;
    default:
        return LinearProgram::Status::Undefined;
    }
}

int BoundsType(double lower, double upper)
{
    const bool low = std::isfinite(lower), high = std::isfinite(upper);
    if (low && high)
        return lower == upper ? GLP_FX : GLP_DB;
    if (low)
        return GLP_LO;
    if (high)
        return GLP_UP;
    return GLP_FR;
}

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

// The solver reads its arrays from the second element on.
template <class T>
std::vector<T> OneBased(const std::vector<T>& values)
{
    std::vector<T> out(values.size() + 1, T{});
    std::copy(values.begin(), values.end(), out.begin() + 1);
    return out;
}

struct WholeRun {
    const LinearProgram::WholeOptions* options;
    int nodes = 0;
    bool offered = false;
};

// Offers the start once, when the search first asks for a heuristic
// solution; stops the search when told to, or when it has made as many
// subproblems as it may.
void CallBack(glp_tree* tree, void* info)
{
    WholeRun* run = static_cast<WholeRun*>(info);
    glp_ios_tree_size(tree, nullptr, nullptr, &run->nodes);
    if (glp_ios_reason(tree) == GLP_IHEUR && !run->offered && !run->options->start.empty()) {
        run->offered = true;
        glp_ios_heur_sol(tree, OneBased(run->options->start).data());
    }
    const LinearProgram::WholeOptions& o = *run->options;
    if (o.going && !o.going()) {
        glp_ios_terminate(tree);
        return;
    }
    // The limits count only once the first solution is in.
    if (!o.start.empty() && !run->offered)
        return;
    const bool enough = o.enoughNodes > 0 && run->nodes >= o.enoughNodes && glp_ios_mip_gap(tree) <= o.enoughGap;
    if (run->nodes >= o.nodeLimit || enough)
        glp_ios_terminate(tree);
}

} // namespace

LinearProgram::LinearProgram()
{
    glp_term_out(GLP_OFF);
    m_lp = glp_create_prob();
    glp_set_obj_dir(m_lp, GLP_MIN);
}

LinearProgram::~LinearProgram() { glp_delete_prob(m_lp); }

void LinearProgram::Maximise(bool maximise) { glp_set_obj_dir(m_lp, maximise ? GLP_MAX : GLP_MIN); }

int LinearProgram::AddRows(int count) { return glp_add_rows(m_lp, count); }
int LinearProgram::AddColumns(int count) { return glp_add_cols(m_lp, count); }
int LinearProgram::Rows() const { return glp_get_num_rows(m_lp); }
int LinearProgram::Columns() const { return glp_get_num_cols(m_lp); }

void LinearProgram::RowBounds(int row, double lower, double upper)
{
    glp_set_row_bnds(m_lp, row, BoundsType(lower, upper), Finite(lower), Finite(upper));
}

void LinearProgram::RowFixed(int row, double value) { glp_set_row_bnds(m_lp, row, GLP_FX, value, value); }

void LinearProgram::ColumnBounds(int column, double lower, double upper)
{
    glp_set_col_bnds(m_lp, column, BoundsType(lower, upper), Finite(lower), Finite(upper));
}

void LinearProgram::ColumnFixed(int column, double value) { glp_set_col_bnds(m_lp, column, GLP_FX, value, value); }

bool LinearProgram::IsColumnFixed(int column) const { return glp_get_col_type(m_lp, column) == GLP_FX; }

void LinearProgram::Cost(int column, double cost) { glp_set_obj_coef(m_lp, column, cost); }
void LinearProgram::CostConstant(double constant) { glp_set_obj_coef(m_lp, 0, constant); }

void LinearProgram::SetColumn(int column, const std::vector<int>& rows, const std::vector<double>& values)
{
    glp_set_mat_col(m_lp, column, static_cast<int>(rows.size()), OneBased(rows).data(), OneBased(values).data());
}

void LinearProgram::SetRow(int row, const std::vector<int>& columns, const std::vector<double>& values)
{
    glp_set_mat_row(m_lp, row, static_cast<int>(columns.size()), OneBased(columns).data(), OneBased(values).data());
}

void LinearProgram::SetMatrix(const std::vector<int>& rows, const std::vector<int>& columns,
                              const std::vector<double>& values)
{
    glp_load_matrix(m_lp, static_cast<int>(rows.size()), OneBased(rows).data(), OneBased(columns).data(),
                    OneBased(values).data());
}

void LinearProgram::Integer(int column) { glp_set_col_kind(m_lp, column, GLP_IV); }
void LinearProgram::Binary(int column) { glp_set_col_kind(m_lp, column, GLP_BV); }

bool LinearProgram::Simplex(const SimplexOptions& options)
{
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = options.presolve ? GLP_ON : GLP_OFF;
    if (options.iterationLimit >= 0)
        parm.it_lim = options.iterationLimit;
    return glp_simplex(m_lp, &parm) == 0;
}

bool LinearProgram::SimplexOrAfresh(const SimplexOptions& options)
{
    if (Simplex(options))
        return true;
    StandardBasis();
    return Simplex(options);
}

void LinearProgram::StandardBasis() { glp_std_basis(m_lp); }
LinearProgram::Status LinearProgram::LpStatus() const { return StatusOf(glp_get_status(m_lp)); }
double LinearProgram::Objective() const { return glp_get_obj_val(m_lp); }
double LinearProgram::Value(int column) const { return glp_get_col_prim(m_lp, column); }
double LinearProgram::ReducedCost(int column) const { return glp_get_col_dual(m_lp, column); }
double LinearProgram::RowDual(int row) const { return glp_get_row_dual(m_lp, row); }

int LinearProgram::SolveWhole(const WholeOptions& options)
{
    WholeRun run{&options};
    glp_iocp parm;
    glp_init_iocp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = options.presolve ? GLP_ON : GLP_OFF;
    parm.mip_gap = options.relativeGap;
    if (options.cuts) {
        parm.gmi_cuts = GLP_ON;
        parm.mir_cuts = GLP_ON;
        parm.cov_cuts = GLP_ON;
    }
    parm.cb_func = CallBack;
    parm.cb_info = &run;
    // Without its presolver the search needs the program's own optimum first.
    if (!options.presolve && (!Simplex({}) || LpStatus() != Status::Optimal))
        return 0;
    glp_intopt(m_lp, &parm);
    return run.nodes;
}

LinearProgram::Status LinearProgram::WholeStatus() const { return StatusOf(glp_mip_status(m_lp)); }
double LinearProgram::WholeObjective() const { return glp_mip_obj_val(m_lp); }
double LinearProgram::WholeValue(int column) const { return glp_mip_col_val(m_lp, column); }

void FreeSolverMemory() { glp_free_env(); }

} // namespace tenvix
