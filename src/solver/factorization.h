#ifndef VIDO_SOLVER_FACTORIZATION_H_
#define VIDO_SOLVER_FACTORIZATION_H_

#include <vector>

#include "solver/lp_engine.h"

namespace vido {

// Applies etas first..last (0-based, inclusive) in order to the dense vector x (by row
// 1..m): FTRAN.
void LpFtran(const LpEngine& engine, std::vector<double>& x, int32_t first, int32_t last);
// Applies all etas from the last to the first to the pricing vector: BTRAN.
void LpBtran(const LpEngine& engine, std::vector<double>& y);
// Appends the eta of the transformed column `alpha` pivoted on row r.
void LpAppendEta(LpEngine& engine, const std::vector<double>& alpha, int32_t r);

// INVERSION: rebuilds the eta file for the basis at positions 1..m, repairing a singular
// basis with logicals. False when no basis could be built (the model is then emptied).
bool LpInversion(LpEngine& engine);
// The refactorisation rule checked after every pivot; refactorises when it applies.
void LpRefactorCheck(LpEngine& engine);
// A starting basis of structural columns, then INVERSION.
bool LpCrashBasis(LpEngine& engine);

// Sorts positions lo..hi by key(position) ascending with the engine's quicksort (middle
// element as pivot, Hoare partition); swap(a, b) exchanges two positions.
template <typename Key, typename Swap>
void LpQuickSort(int32_t lo, int32_t hi, Key key, Swap swap) {
  while (lo < hi) {
    int32_t i = lo;
    int32_t j = hi;
    const double pivot = key(lo + (hi - lo) / 2);
    do {
      while (key(i) < pivot) ++i;
      while (key(j) > pivot) --j;
      if (i <= j) {
        swap(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    // Recurse into the smaller part, loop on the larger one.
    if (j - lo < hi - i) {
      if (lo < j) LpQuickSort(lo, j, key, swap);
      lo = i;
    } else {
      if (i < hi) LpQuickSort(i, hi, key, swap);
      hi = j;
    }
  }
}

}  // namespace vido

#endif  // VIDO_SOLVER_FACTORIZATION_H_
