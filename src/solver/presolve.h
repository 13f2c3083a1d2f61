#ifndef VIDO_SOLVER_PRESOLVE_H_
#define VIDO_SOLVER_PRESOLVE_H_

#include "solver/lp_engine.h"

namespace vido {

// Optional reduction of the model before its logical columns exist (setting "TIGHT").
// True when the presolve ran.
bool LpPresolve(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_PRESOLVE_H_
