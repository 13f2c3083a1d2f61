#ifndef VIDO_SOLVER_PERTURBATION_H_
#define VIDO_SOLVER_PERTURBATION_H_

#include "solver/lp_engine.h"

namespace vido {

inline constexpr double kPerturbation = 1e-8;

// Right-hand-side perturbation against stalling. Mode 1 shifts every right-hand side
// (and the basic values) by 1e-8 away from its row's bound; mode 2 also gives the
// equality slacks small random bounds; mode 0 removes an active perturbation.
void LpPerturb(LpEngine& engine, int mode);

}  // namespace vido

#endif  // VIDO_SOLVER_PERTURBATION_H_
