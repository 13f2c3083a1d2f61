#include "solver/factorization.h"

namespace vido {

// SEAM: the factorisation is not built yet. It reports "not available" so that LpSetup
// leaves the engine not set up instead of pretending to have a basis inverse.
bool LpInversion(LpEngine& /*engine*/) { return false; }

}  // namespace vido
