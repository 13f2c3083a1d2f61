#include "solver/presolve.h"

namespace vido {

// SEAM: the presolve is not built yet. It reports "not available", and LpSetup then
// stops without changing the model rather than solve an unreduced model as if the
// requested reduction had been made.
bool LpPresolve(LpEngine& /*engine*/) { return false; }

}  // namespace vido
