#ifndef VIDO_MIP_BRANCH_AND_BOUND_H_
#define VIDO_MIP_BRANCH_AND_BOUND_H_

#include "solver/lp_engine.h"

namespace vido {

// The integer solve of a loaded model: the root relaxation with write-back, then, when
// it is optimal, the branch-and-bound search. LpIntegerStatus reads the outcome.
void IntegerSolve(LpEngine& engine);

// Depth-first dives with best-bound backtracking from the optimal root relaxation.
// Leaves the incumbent in the columns (integer_value, and value for every column) and
// nothing of the tree: no path, no waiting node, no bound change, no swap file.
void BranchAndBoundSearch(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_MIP_BRANCH_AND_BOUND_H_
