#ifndef VIDO_SOLVER_BASIS_FILE_H_
#define VIDO_SOLVER_BASIS_FILE_H_

#include <string>
#include <vector>

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

// Replaces the current basis by the columns named in `basic` (with the free columns and
// N-row logicals, which are always basic) and puts those named in `at_upper` at their
// upper bounds; names the model lacks are passed over. A basis of too few columns is
// filled, one of too many cut, as when a basis file is loaded. The factorisation is left
// to the caller (LpResolve).
void LpInstallBasis(LpEngine& engine, const std::vector<std::string>& basic,
                    const std::vector<std::string>& at_upper);

}  // namespace vido

#endif  // VIDO_SOLVER_BASIS_FILE_H_
