#ifndef VIDO_SOLVER_BASIS_FILE_H_
#define VIDO_SOLVER_BASIS_FILE_H_

#include <string>

#include "solver/lp_engine.h"

namespace vido {

// The path of one of the engine's files, in the engine's private folder (never the
// user's current folder): the problem name up to
// and including its first ".", then the suffix ("BSS", "FIL", "PSE", "INF"). A name
// without a dot contributes nothing, so "MIPSolver" gives the bare suffix.
std::string EngineFileName(const std::string& problem_name, const std::string& suffix);

// Replaces the current basis by the one named in the basis file ("X" records basic, "U"
// records at their upper bound), then factorises. A missing file is reported and leaves
// the basis as it is. False only when the factorisation emptied the model.
bool LpLoadBasis(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_BASIS_FILE_H_
