#include "mip/basis_snapshot.h"

#include <cmath>
#include <utility>

#include "solver/factorization.h"
#include "solver/simplex_iteration.h"

namespace vido {

namespace {

constexpr double kObjectiveDrift = 1e-4;

}  // namespace

void SaveSnapshot(const LpEngine& engine, BasisSnapshot& snapshot) {
  snapshot.factorisations = engine.factor.inversion_count;
  snapshot.updates = engine.factor.etas_since_inversion;
  snapshot.update_length = engine.eta.Count();
  snapshot.columns.clear();
  const int32_t m = engine.row_count;
  for (int32_t p = 1; p <= m; ++p) snapshot.columns.push_back(engine.Column(p).hash_slot);
  for (int32_t p = m + 1; p <= engine.column_count; ++p) {
    const LpColumn& column = engine.Column(p);
    if (column.status == kAtUpper) snapshot.columns.push_back(column.hash_slot);
  }
}

bool RestoreSnapshot(LpEngine& engine, BasisSnapshot& snapshot, double expected) {
  if (snapshot.columns.empty()) return true;
  const int32_t m = engine.row_count;
  const int32_t listed = snapshot.Count();
  for (int32_t k = 1; k <= m && k <= listed; ++k) {
    const int32_t position = engine.column_hash[snapshot.columns[k - 1]];
    if (position > 0) LpSwapColumns(engine, position, k);
  }
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    engine.Column(p).status = p <= m ? kBasic : kAtLower;
  }
  for (int32_t k = m + 1; k <= listed; ++k) {
    const int32_t position = engine.column_hash[snapshot.columns[k - 1]];
    if (position > m) engine.Column(position).status = kAtUpper;
  }

  bool refactorise = snapshot.factorisations != engine.factor.inversion_count ||
                     engine.eta.Count() < snapshot.update_length;
  if (!refactorise) {
    engine.eta.Truncate(snapshot.update_length);
    engine.factor.etas_since_inversion = snapshot.updates;
    LpBasicValues(engine);
    refactorise =
        engine.iter.n_inf > 0 || std::fabs(engine.iter.objective - expected) > kObjectiveDrift;
    if (!refactorise) LpPricingVector(engine);
  }
  if (refactorise && !LpInversion(engine)) return false;
  snapshot.updates = engine.factor.etas_since_inversion;
  return true;
}

void ReleaseSnapshot(BasisSnapshot& snapshot) {
  snapshot.columns.clear();
  snapshot.columns.shrink_to_fit();
}

}  // namespace vido
