#include "solver/perturbation.h"

#include <cmath>
#include <random>
#include <vector>

#include "solver/simplex_iteration.h"

namespace vido {

namespace {

// The shift of row i: -eps for a G row (its activity must stay above b), +eps otherwise.
double Shift(const LpEngine& engine, int32_t row) {
  return engine.Row(row).type == kRowG ? -kPerturbation : kPerturbation;
}

// Replaces the "RHS" entries by b_i + sign * shift_i for every row, dropping values
// below 1e-11, and moves xB by the same amount.
void ShiftRightHandSides(LpEngine& engine, double sign) {
  const int32_t m = engine.row_count;
  LpColumn& rhs = engine.Column(kRhsColumn);
  std::vector<double> b(m + 1, 0.0);
  for (const LpEntry& entry : rhs.entries) {
    b[entry.row] = entry.value;
    --engine.Row(entry.row).entry_count;
  }
  rhs.entries.clear();
  for (int32_t i = 1; i <= m; ++i) {
    const double shift = sign * Shift(engine, i);
    b[i] += shift;
    if (i < static_cast<int32_t>(engine.xB.size())) engine.xB[i] += shift;
    if (std::fabs(b[i]) >= kZeroTolerance) LpAppendEntry(engine, kRhsColumn, i, b[i]);
  }
}

}  // namespace

// Apply: b_i := b_i - eps (G rows) or b_i + eps (other rows), xB_i likewise; mode 2 also
// sets the bounds of every equality slack to [-3 eps u2, 3 eps u1], u uniform in [0, 1).
// Remove: the inverse shift, equality slacks back to [0, 0].
void LpPerturb(LpEngine& engine, int mode) {
  const int32_t m = engine.row_count;
  if (mode == 0) {
    if (engine.flags.perturbation_mode == 0) return;
    ShiftRightHandSides(engine, -1.0);
    for (int32_t p = 1; p <= engine.column_count; ++p) {
      LpColumn& column = engine.Column(p);
      if (column.kind == kSlackOfE) column.lower = column.upper = 0;
    }
    engine.flags.perturbation_mode = 0;
  } else {
    if (engine.flags.perturbation_mode == 0) {
      if (12LL * m > 524284) {
        engine.trace.TraceLine("Field size too small");
        return;
      }
      ShiftRightHandSides(engine, 1.0);
      engine.flags.perturbation_mode = 1;
    }
    if (mode == 2) {
      std::uniform_real_distribution<double> uniform(0.0, 1.0);
      for (int32_t p = 1; p <= engine.column_count; ++p) {
        LpColumn& column = engine.Column(p);
        if (column.kind != kSlackOfE) continue;
        column.upper = 3 * kPerturbation * uniform(engine.random);
        column.lower = -3 * kPerturbation * uniform(engine.random);
      }
      engine.flags.perturbation_mode = 2;
    }
  }
  // With a factorisation in place the basic values, the objective and the pricing vector
  // follow the new right-hand side.
  if (engine.factor.inversion_count > 0 && engine.eta.created) {
    LpBasicValues(engine);
    LpPricingVector(engine);
  }
}

}  // namespace vido
