#ifndef VIDO_TESTS_COMMON_INTEGER_SEARCH_H_
#define VIDO_TESTS_COMMON_INTEGER_SEARCH_H_

#include "lp/solver_interface.h"

namespace vido::testing {

// Whether this build's solver interface runs the integer search: maximise y for one
// binary column y <= 1 must give 1.
inline bool IntegerSearchAvailable() {
  if (SolverInit(1, 1) != 0) return false;
  SolverSetColumnType(1, 'B');
  SolverSetObjective(1, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetRhs(1, 1);
  const bool available = SolverSolve() == 0 && SolverValue(1) == 1;
  SolverFree();
  return available;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_INTEGER_SEARCH_H_
