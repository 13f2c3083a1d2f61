#ifndef VIDO_SOLVER_PRESOLVE_H_
#define VIDO_SOLVER_PRESOLVE_H_

#include <cstdint>
#include <string>

#include "solver/lp_engine.h"

namespace vido {

// Optional reduction of the model before its logical columns exist (setting "TIGHT"):
// zero entries go, single-entry rows become column bounds, integer bounds are rounded
// inward, fixed columns move into the right-hand side and bounds are tightened from the
// rows. The reduced model has the same optimum as the original one. Every change is
// written to the report file (PresolveReportName), which is deleted when nothing
// changed. Returns the number of changes reported.
int32_t LpPresolve(LpEngine& engine);

// The report file of a problem, in the engine's folder: its name up to and including the
// first ".", then "CMP" ("MIPSolver" gives "CMP").
std::string PresolveReportName(const std::string& problem_name);

}  // namespace vido

#endif  // VIDO_SOLVER_PRESOLVE_H_
