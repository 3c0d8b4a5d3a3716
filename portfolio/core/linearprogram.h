#pragma once

// The one place that speaks to GLPK: the immunizer's programs and the
// funding's are built and solved through this, so that the solver's
// settings, its silence, its memory and the counted (not timed) limit of
// the branch and bound are set once. Rows and columns count from 1, as the
// solver counts them.

#include <cstddef>
#include <functional>
#include <vector>

struct glp_prob;

namespace tenvix {

class LinearProgram {
public:
    enum class Status { Optimal, Feasible, Infeasible, NoFeasible, Unbounded, Undefined };

    LinearProgram();
    ~LinearProgram();
    LinearProgram(const LinearProgram&) = delete;
    LinearProgram& operator=(const LinearProgram&) = delete;

    void Maximise(bool maximise);
    // The first of `count` new rows or columns.
    int AddRows(int count);
    int AddColumns(int count);
    int Rows() const;
    int Columns() const;

    // Bounds; an infinite side is no bound.
    void RowBounds(int row, double lower, double upper);
    void RowFixed(int row, double value);
    void ColumnBounds(int column, double lower, double upper);
    void ColumnFixed(int column, double value);
    bool IsColumnFixed(int column) const;
    void Cost(int column, double cost);
    void CostConstant(double constant);
    // A column's coefficients in the rows given (replacing what it had).
    void SetColumn(int column, const std::vector<int>& rows, const std::vector<double>& values);
    // A row's coefficients in the columns given (replacing what it had).
    void SetRow(int row, const std::vector<int>& columns, const std::vector<double>& values);
    // The whole matrix at once, as triplets.
    void SetMatrix(const std::vector<int>& rows, const std::vector<int>& columns, const std::vector<double>& values);
    void Integer(int column);
    void Binary(int column);

    // The simplex from the last basis; false when it gave up (an
    // iteration limit, a singular basis).
    struct SimplexOptions {
        int iterationLimit = -1; // none
        bool presolve = false;
    };
    bool Simplex(const SimplexOptions& options);
    // The same, and when it gives up once more from the standard basis: a
    // warm start near where the rows all but vanish can stall.
    bool SimplexOrAfresh(const SimplexOptions& options);
    Status LpStatus() const;
    double Objective() const;
    double Value(int column) const;       // primal
    double ReducedCost(int column) const; // the column's dual
    double RowDual(int row) const;

    // Branch and bound on the integer columns. `nodeLimit` counts the
    // subproblems it may make, so that the answer does not depend on how
    // busy the machine is; `going` is asked at each call back and stops it
    // when false; `start`, when not empty, is a solution (a value for
    // every column) offered to the search before it branches.
    struct WholeOptions {
        double relativeGap = 1e-4;
        int nodeLimit = 1000;
        // Once the search is within this gap it stops after this many
        // subproblems, short of `relativeGap`.
        double enoughGap = 0.0;
        int enoughNodes = 0;
        bool presolve = true;
        bool cuts = false; // Gomory's, mixed-integer rounding and cover cuts
        std::function<bool()> going;
        std::vector<double> start;
    };
    // The subproblems it made.
    int SolveWhole(const WholeOptions& options);
    Status WholeStatus() const;
    double WholeObjective() const;
    double WholeValue(int column) const;

private:
    void StandardBasis();

    glp_prob* m_lp;
};

// GLPK keeps memory per thread until told to let go of it.
void FreeSolverMemory();

} // namespace tenvix
