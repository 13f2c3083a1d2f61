#ifndef VIDO_SOLVER_SIMPLEX_DRIVER_H_
#define VIDO_SOLVER_SIMPLEX_DRIVER_H_

#include <string>

#include "solver/lp_engine.h"

namespace vido {

// The primal simplex from the current basis until optimal, infeasible, unbounded, a
// limit or a cancel. With `write_back` every column's value is refreshed at the end.
void LpSimplex(LpEngine& engine, bool write_back);
// The linear solve of a freshly set-up model (crash basis on the first solve).
void LpLinearSolve(LpEngine& engine);
// The linear solve of a set-up model from the basis it holds, after its costs, bounds or
// basis were changed from outside: the basis factorised afresh when asked or when the
// factorisation is stale, then the primal simplex, whose composite phase 1 mends what the
// changes made infeasible. Iterations
// and time are counted for this solve alone. LpLinearStatus reads the outcome.
void LpResolve(LpEngine& engine, bool refactorise);
// How a solve ended, as LpLinearStatus and LpIntegerStatus word it.
enum class LpOutcome { kOptimal, kUnbounded, kInfeasible, kUnfinished };
LpOutcome LpLinearOutcome(const LpEngine& engine);
LpOutcome LpIntegerOutcome(const LpEngine& engine);
// "UNFINISHED" after numerical trouble, else "PROBLEM IS INFEASIBLE", "UNBOUNDED
// SOLUTION" or "OPTIMAL SOLUTION".
std::string LpLinearStatus(const LpEngine& engine);
// "UNFINISHED", "OPTIMAL SOLUTION" or "INTEGER-PROBLEM-INFEASIBLE".
std::string LpIntegerStatus(const LpEngine& engine);
// Column values from the basis: basic from xB, non-basic from the bound they sit at.
void LpWriteBack(LpEngine& engine);
// The iteration line of the trace display.
void LpIterationLine(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_SIMPLEX_DRIVER_H_
