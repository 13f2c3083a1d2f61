#ifndef VIDO_MIP_PSEUDO_COST_H_
#define VIDO_MIP_PSEUDO_COST_H_

#include <cstdint>
#include <string>
#include <vector>

#include "mip/node_store.h"
#include "solver/lp_engine.h"

namespace vido {

// Rounding of the search: fractional beyond INTEGER-CRIT; floor, and ceil = floor + 1.
bool IsFractional(double x, double integer_crit);
// An integer column to branch on: its value is fractional and both children are within
// its bounds. A value a hair outside a bound (within the simplex's feasibility
// tolerance) has only one integer to go to and counts as integral.
bool NeedsBranching(const LpColumn& column, double x, double tolerance);

// Chooses the fractional integer column to branch on by its pseudo-costs and pushes its
// two children onto `path`, the one with the smaller estimated loss on top. Returns the
// number of children pushed (0 when every integer column is integral); `fractional`
// receives the number of fractional integer columns. `tolerances`, by hash slot, gives a
// column's integrality tolerance; without it every column has INTEGER-CRIT.
int32_t ChooseAndBranch(LpEngine& engine, NodeStore& store, std::vector<PathNode>& path,
                        int32_t& fractional, const std::vector<double>* tolerances = nullptr);

// Both pseudo-costs of the basic column at position v from the tableau row: the cheapest
// rate at which a non-basic column moving off its bound pushes the column up or down.
void EstimatePseudoCosts(LpEngine& engine, int32_t v);

// Updates the pseudo-cost of `direction` from a feasible child with objective z, branch
// value x and new bound b, measured against BaseObjective; appends it to the trace line.
void LearnPseudoCost(LpEngine& engine, LpColumn& column, uint8_t direction, double x, double b,
                     double z);
// Raises the pseudo-cost of `direction` after an infeasible child.
void PenalisePseudoCost(LpColumn& column, uint8_t direction);

// The trace text of a pseudo-cost: width 11 with 2 decimals ("+" first when it was
// just set), or eleven infinity signs (code page 437) above 1e8.
std::string PseudoCostText(double value, bool initialised);

}  // namespace vido

#endif  // VIDO_MIP_PSEUDO_COST_H_
