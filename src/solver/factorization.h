#ifndef VIDO_SOLVER_FACTORIZATION_H_
#define VIDO_SOLVER_FACTORIZATION_H_

#include "solver/lp_engine.h"

namespace vido {

// INVERSION: rebuilds the eta file for the basis at positions 1..m. True when the
// basis is factorised.
bool LpInversion(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_FACTORIZATION_H_
