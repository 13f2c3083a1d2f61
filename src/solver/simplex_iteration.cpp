#include "solver/simplex_iteration.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "solver/factorization.h"
#include "solver/simplex_driver.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

constexpr double kProgress = 1e-9;
constexpr double kForcedFree = -1e20;
constexpr int32_t kCandidateDisplayGap = 20;

// Candidate-count field and counts field of the trace display.
constexpr TracePosition kCandidateField{3, 1};
constexpr TracePosition kCountsField{2, 75};

bool IsFixed(const LpColumn& column) { return column.upper - column.lower <= kZeroTolerance; }

// The limit a basic variable moves to in the ratio test: decreasing (direction alpha > 0)
// towards its lower bound (-1e20 when already below it); increasing towards its upper
// bound, 1e20 when already above it, and from below its lower bound to the upper bound
// when that is finite, else to the lower bound.
double MoveLimit(const LpColumn& basic, bool decreasing) {
  if (decreasing) return basic.status == kAtLower ? -kInfinite : basic.lower;
  if (basic.status == kBasic) return basic.upper;
  if (basic.status == kAtUpper) return kInfinite;
  return basic.upper < kInfinite ? basic.upper : basic.lower;
}

// Walks the infeasibility list from its end: values back within their bounds become
// feasible and leave; the others add their violation to INF. True when any left.
bool UpdateInfeasibilityList(LpEngine& engine) {
  LpIterationState& it = engine.iter;
  bool changed = false;
  it.inf_sum = 0;
  for (int32_t k = static_cast<int32_t>(it.infeasible.size()) - 1; k >= 0; --k) {
    const int32_t i = it.infeasible[k];
    LpColumn& basic = engine.Column(i);
    const double x = engine.xB[i];
    if (x - basic.upper > kZeroTolerance) {
      basic.status = kAtUpper;
      it.inf_sum += x - basic.upper;
    } else if (basic.lower - x > kZeroTolerance) {
      basic.status = kAtLower;
      it.inf_sum += basic.lower - x;
    } else {
      basic.status = kBasic;
      it.infeasible[k] = it.infeasible.back();
      it.infeasible.pop_back();
      changed = true;
    }
  }
  if (it.inf_sum < it.feasible_sum) {
    for (int32_t i : it.infeasible) engine.Column(i).status = kBasic;
    changed = changed || !it.infeasible.empty();
    it.infeasible.clear();
    it.inf_sum = 0;
  }
  it.n_inf = static_cast<int32_t>(it.infeasible.size());
  return changed;
}

// Every basic position that can be infeasible, so that all rows are checked again.
void CheckAllRows(LpEngine& engine) {
  LpIterationState& it = engine.iter;
  it.infeasible.clear();
  for (int32_t i = 1; i < engine.row_count; ++i) {
    if (engine.Column(i).kind < kLogicalOfN) it.infeasible.push_back(i);
  }
}

}  // namespace

double LpElapsed(const LpEngine& engine) {
  return NowSeconds() - engine.solve_start + engine.elapsed_time;
}

// y_i = +1e10 (basic below its lower bound), -1e10 (above its upper bound), else cost;
// then y := y B^-1 (BTRAN).
void LpPricingVector(LpEngine& engine) {
  const int32_t m = engine.row_count;
  std::vector<double>& y = engine.y;
  for (int32_t i = 1; i <= m; ++i) {
    const LpColumn& basic = engine.Column(i);
    if (basic.status == kAtLower) {
      y[i] = engine.iter.penalty;
    } else if (basic.status == kAtUpper) {
      y[i] = -engine.iter.penalty;
    } else {
      y[i] = basic.cost;
    }
  }
  LpBtran(engine, y);
}

// s = sum y_q a_q; d = s - cost, or cost - s at the upper bound. An attractive free
// column is forced to the front with d = -1e20.
double LpReducedCost(LpEngine& engine, int32_t position) {
  LpColumn& column = engine.Column(position);
  const double* y = engine.y.data();
  double s = 0;
  for (const LpEntry& entry : column.entries) s += y[entry.row] * entry.value;
  double d = column.status == kAtUpper ? column.cost - s : s - column.cost;
  if (column.kind == kFreeStructural && d < 0 && -d > kZeroTolerance) d = kForcedFree;
  column.reduced_cost = d;
  return d;
}

int32_t LpScanCandidates(LpEngine& engine, int32_t start) {
  LpIterationState& it = engine.iter;
  const double dj_min = engine.settings.dj_min;
  int32_t count = 0;
  it.most_negative_dj = 0;
  int32_t i = start;
  for (; i <= engine.column_count && count < it.candidate_limit; ++i) {
    const LpColumn& column = engine.Column(i);
    if (IsFixed(column) || column.parked) continue;
    const double d = LpReducedCost(engine, i);
    if (column.threshold) it.most_negative_dj = std::min(it.most_negative_dj, d);
    if (d < dj_min) {
      LpSwapColumns(engine, i, start + count);
      ++count;
    }
  }
  it.candidate_count = count;
  it.threshold = 0;
  std::fill(std::begin(it.history), std::end(it.history), 0.0);
  if (count > 0) {
    LpQuickSort(
        start, start + count - 1, [&engine](int32_t p) { return engine.Column(p).reduced_cost; },
        [&engine](int32_t a, int32_t b) { LpSwapColumns(engine, a, b); });
    const int32_t b = std::min(10, count);
    double sum = 0;
    for (int32_t k = 0; k < b; ++k) {
      const LpColumn& column = engine.Column(start + k);
      if (column.threshold) it.history[k] = column.reduced_cost;
      sum += it.history[k];
    }
    it.threshold = sum / b;
  }
  if (!LpQuiet(engine) || it.iteration_count - it.candidates_shown_at > kCandidateDisplayGap) {
    it.candidates_shown_at = it.iteration_count;
    engine.trace.TraceField(kCandidateField, IntText(count, 5));
  }
  return i;
}

void LpTransformColumn(LpEngine& engine, int32_t position) {
  std::vector<double>& alpha = engine.alpha;
  std::fill(alpha.begin(), alpha.end(), 0.0);
  for (const LpEntry& entry : engine.Column(position).entries) alpha[entry.row] = entry.value;
  LpFtran(engine, alpha, 0, engine.eta.Count() - 1);
}

// theta starts at the bound-flip distance; a basic variable limits the step at
// |(xB_i - limit) / alpha_i|; ties within 1e-11 go to the larger |alpha|.
void LpRatioTest(LpEngine& engine, int32_t entering) {
  LpIterationState& it = engine.iter;
  const LpColumn& column = engine.Column(entering);
  const int32_t m = engine.row_count;
  it.entering = entering;
  it.pivot_magnitude = 1;
  const double direction = column.status == kAtUpper ? -1.0 : 1.0;
  it.step_code = column.status == kAtUpper ? kFlipToLower : kFlipToUpper;
  double theta = column.upper - column.lower;
  int32_t r = 0;
  double best_alpha = 0;
  const double* alpha = engine.alpha.data();
  const double* xB = engine.xB.data();
  for (int32_t i = 1; i < m; ++i) {
    const double a = alpha[i];
    if (std::fabs(a) <= kZeroTolerance) continue;
    const LpColumn& basic = engine.Column(i);
    if (basic.kind >= kLogicalOfN) continue;
    const bool decreasing = direction * a > 0;
    const double limit = MoveLimit(basic, decreasing);
    // A missing bound sets no limit: measured against 1e21 it would stop a step of a
    // column with |alpha| > 10 short of 1e20, a huge but finite move.
    if (std::fabs(limit) > kInfinite) continue;
    // A variable a hair beyond its limit already (within the feasibility tolerance)
    // blocks the step at once; the distance back to the limit is no step forward.
    const double t = std::max(0.0, (xB[i] - limit) * direction / a);
    bool choose = false;
    if (std::fabs(t - theta) < kZeroTolerance) {
      choose = std::fabs(a) > best_alpha;
    } else if (t < theta + kZeroTolerance) {
      theta = t;
      choose = true;
    }
    if (choose) {
      r = i;
      it.step_code = decreasing ? kLeaveToLower : kLeaveToUpper;
      it.leaving_limit = limit;
      it.leaving_status = decreasing || basic.upper > kInfinite ? kAtLower : kAtUpper;
      best_alpha = std::fabs(a);
    }
  }
  const bool towards_no_bound =
      (direction < 0 && column.lower < -kInfinite) || (direction > 0 && column.upper > kInfinite);
  if (theta > kInfinite && towards_no_bound && it.n_inf > 0) {
    // An infeasible basic variable passing through its violated bound towards a missing
    // far bound sets no limit above. Such a step is not endless: it stops where the first
    // of them becomes feasible, for beyond that the step may no longer pay.
    for (int32_t i : it.infeasible) {
      const double a = alpha[i];
      if (std::fabs(a) <= kZeroTolerance) continue;
      const LpColumn& basic = engine.Column(i);
      const bool decreasing = direction * a > 0;
      if (decreasing != (basic.status == kAtUpper)) continue;
      const double limit = decreasing ? basic.upper : basic.lower;
      const double t = std::max(0.0, (xB[i] - limit) * direction / a);
      if (t < theta - kZeroTolerance ||
          (std::fabs(t - theta) < kZeroTolerance && std::fabs(a) > best_alpha)) {
        theta = t;
        r = i;
        it.step_code = decreasing ? kLeaveToLower : kLeaveToUpper;
        it.leaving_limit = limit;
        it.leaving_status = decreasing ? kAtUpper : kAtLower;
        best_alpha = std::fabs(a);
      }
    }
  }
  it.leaving = r;
  it.theta = theta;
  if (theta > kInfinite && towards_no_bound) {
    if (it.n_inf > 0) {
      // While the basis is infeasible an endless step that mends nothing proves nothing:
      // the program may have no feasible point at all. The driver parks the column until
      // the basis is feasible.
      it.step_code = kUnboundedStep;
      it.pivot_magnitude = 0;
      return;
    }
    it.pivot_magnitude = 1;
    const std::string message = "VARIABLE " + column.name + " is unbounded !";
    if (engine.flags.non_interactive || engine.port == nullptr) {
      engine.trace.TraceLine(message);
    } else {
      ShowMessageText(*engine.port, message);
    }
    if (engine.settings.log_file) {
      engine.trace.AppendLogLine("Variable " + column.name + " is unbounded");
    }
    engine.flags.unbounded = true;
    it.step_code = kUnboundedStep;
  }
  if (r > 0) it.pivot_magnitude = std::fabs(alpha[r]);
}

void LpPivot(LpEngine& engine, int32_t entering) {
  LpIterationState& it = engine.iter;
  const int32_t code = it.step_code;
  if (code == kUnboundedStep) return;
  const int32_t m = engine.row_count;
  std::vector<double>& xB = engine.xB;
  const std::vector<double>& alpha = engine.alpha;
  bool basis_changed = false;
  double theta = 0;
  if (code == kLeaveToLower || code == kLeaveToUpper) {
    const int32_t r = it.leaving;
    ++engine.factor.etas_since_inversion;
    LpColumn& leaving = engine.Column(r);
    const double limit = it.leaving_limit;
    leaving.status = it.leaving_status;
    // xB_r becomes the entering variable's step theta = (xB_r - limit) / alpha_r (none
    // when the leaving variable is already at its limit, nor when it is a hair beyond it:
    // that step would go backwards, taking the entering variable off its bound and
    // others off theirs), then its bound is added.
    const double delta = xB[r] - limit;
    const double direction = engine.Column(entering).status == kAtUpper ? -1.0 : 1.0;
    if (std::fabs(delta) < kZeroTolerance || direction * delta / alpha[r] < 0) {
      xB[r] = 0;
    } else {
      theta = delta / alpha[r];
      for (int32_t i = 1; i <= m; ++i) xB[i] -= theta * alpha[i];
      xB[r] = theta;
    }
    const LpColumn& column = engine.Column(entering);
    xB[r] += column.status == kAtUpper ? column.upper : column.lower;
    if (it.pivot_magnitude < kSmallPivot) CheckAllRows(engine);
    it.objective = -xB[m];
    LpAppendEta(engine, alpha, r);
    LpSwapColumns(engine, entering, r);
    LpColumn& entered = engine.Column(r);
    entered.status = kBasic;
    entered.reduced_cost = 0;
    if (entered.kind == kFreeStructural) {
      entered.lower = -kNoBound;
      entered.upper = kNoBound;
    }
    basis_changed = true;
  } else {
    LpColumn& column = engine.Column(entering);
    if (code == kFlipToUpper) {
      theta = column.upper - column.lower;
      column.status = kAtUpper;
    } else {
      theta = column.lower - column.upper;
      column.status = kAtLower;
    }
    for (int32_t i = 1; i <= m; ++i) xB[i] -= theta * alpha[i];
    it.objective = -xB[m];
  }
  it.theta = theta;
  if (std::fabs(theta) > kZeroTolerance) {
    bool progress = std::fabs(alpha[m]) > kProgress;
    for (size_t k = 0; !progress && k < it.infeasible.size(); ++k) {
      progress = std::fabs(alpha[it.infeasible[k]]) > kProgress;
    }
    if (progress) {
      it.progress_mark = it.iteration_count;
      it.stall_count = 0;
    }
  }
  if (it.pivot_magnitude < kSmallPivot) CheckAllRows(engine);
  const bool feasible_again = UpdateInfeasibilityList(engine);
  if (feasible_again || basis_changed) LpPricingVector(engine);
  if (engine.flags.limit_reached) engine.flags.unfinished = true;
  if (engine.settings.iteration_log >= 1) LpIterationLine(engine);
  LpRefactorCheck(engine);
}

// xB = b - sum of the non-basic columns at their bounds (a free column at its lower
// bound, an upper bound above 1e10 not used), FTRAN. A column with no lower bound but a
// finite upper bound sits at its upper bound: replacing the missing lower bound by 0
// would add x >= 0 to the program and cut off optima below 0.
void LpBasicValues(LpEngine& engine) {
  const int32_t m = engine.row_count;
  std::vector<double>& xB = engine.xB;
  std::fill(xB.begin(), xB.end(), 0.0);
  for (const LpEntry& entry : engine.Column(kRhsColumn).entries) xB[entry.row] = entry.value;
  for (int32_t p = m + 1; p <= engine.column_count; ++p) {
    LpColumn& column = engine.Column(p);
    if (column.kind == kFreeStructural) column.status = kAtLower;
    if (column.status == kAtUpper && column.upper > 1e10) column.status = kAtLower;
    if (column.status == kAtLower && column.lower < -1e10 && column.upper <= kInfinite) {
      column.status = kAtUpper;
    }
    const double value = column.status == kAtUpper ? column.upper : column.lower;
    if (value == 0) continue;
    for (const LpEntry& entry : column.entries) xB[entry.row] -= value * entry.value;
  }
  LpFtran(engine, xB, 0, engine.eta.Count() - 1);
  engine.iter.objective = -xB[m];
  LpInfeasibilities(engine);
  if (!LpQuiet(engine)) {
    engine.trace.TraceField(
        kCountsField, PadLeft(IntText(engine.iter.n_inf) + " " + IntText(engine.eta.Count()) + " " +
                                  IntText(engine.eta.Nonzeros()),
                              19));
  }
}

void LpInfeasibilities(LpEngine& engine) {
  LpIterationState& it = engine.iter;
  it.infeasible.clear();
  it.inf_sum = 0;
  for (int32_t i = 1; i < engine.row_count; ++i) {
    LpColumn& basic = engine.Column(i);
    if (basic.kind >= kLogicalOfN) continue;
    const double x = engine.xB[i];
    if (x - basic.upper > kZeroTolerance) {
      basic.status = kAtUpper;
      it.inf_sum += x - basic.upper;
      it.infeasible.push_back(i);
    } else if (basic.lower - x > kZeroTolerance) {
      basic.status = kAtLower;
      it.inf_sum += basic.lower - x;
      it.infeasible.push_back(i);
    } else {
      basic.status = kBasic;
    }
  }
  if (it.inf_sum < it.feasible_sum) {
    for (int32_t i : it.infeasible) engine.Column(i).status = kBasic;
    it.infeasible.clear();
    it.inf_sum = 0;
  }
  it.n_inf = static_cast<int32_t>(it.infeasible.size());
}

}  // namespace vido
