#ifndef VIDO_MIP_BASIS_SNAPSHOT_H_
#define VIDO_MIP_BASIS_SNAPSHOT_H_

#include "mip/node_store.h"
#include "solver/lp_engine.h"

namespace vido {

// Fills the snapshot from the current basis and factorisation.
void SaveSnapshot(const LpEngine& engine, BasisSnapshot& snapshot);
// Puts the snapshot's basis back (statuses included). The factorisation is cut back to
// the snapshot's when it is still the same one, else rebuilt; it is rebuilt as well when
// the recomputed solution is infeasible or its objective is more than 1e-4 away from
// `expected`. A snapshot without a list is ignored. False when a factorisation failed.
bool RestoreSnapshot(LpEngine& engine, BasisSnapshot& snapshot, double expected);
void ReleaseSnapshot(BasisSnapshot& snapshot);

}  // namespace vido

#endif  // VIDO_MIP_BASIS_SNAPSHOT_H_
