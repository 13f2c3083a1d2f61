#include "solver/simplex_driver.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "solver/factorization.h"
#include "solver/perturbation.h"
#include "solver/simplex_iteration.h"
#include "support/support_routines.h"

namespace vido {

namespace {

constexpr double kInfeasibleStop = -100;  // best reduced cost above this: nothing helps
constexpr double kThresholdFactor = 0.95;
constexpr double kRelaxDivisor = 1.9;
constexpr int32_t kStallWindow = 30;
constexpr int32_t kStallLimit = 2;
constexpr int32_t kRestartLimit = 10;
constexpr int32_t kFlagResetPivots = 50;
constexpr int32_t kStallCandidateLimit = 32;
constexpr int32_t kPumpInterval = 10;

// The side field of the iteration line with the smallest pivot since INVERSION.
constexpr TracePosition kPivotField{2, 63};
constexpr TracePosition kCountsField{2, 75};

bool IsFixed(const LpColumn& column) { return column.upper - column.lower <= kZeroTolerance; }

// Decimals for a width-14 number: 11 minus its integer digits.
std::string ObjectiveText(double value) {
  const double magnitude = std::fabs(value);
  // At most 309 integer digits; a value beyond the doubles (inf, NaN) has no digits
  // to count and gets none after the point.
  int digits = !(magnitude < 1e300) ? 300
               : magnitude >= 1     ? static_cast<int>(std::floor(std::log10(magnitude))) + 1
                                    : 1;
  return FixedText(value, 14, std::max(0, 11 - digits));
}

// Events of the user interface; a cancel request ends the solve.
void Pump(LpEngine& engine) {
  if (engine.trace.PumpEvents() || engine.trace.CancelRequested()) {
    engine.flags.unfinished = true;
    engine.flags.cancelled = true;
  }
}

// A non-basic free column sits at an artificial bound; one whose reduced cost is positive
// would gain by moving the other way. It is turned around: the bound it sits at becomes
// its other bound and the side it could not go to is opened (no bound there), so the
// next scan finds it attractive and the ratio test finds the limit of the move, or
// that there is none. (Moving the artificial bound by steps instead can never show that
// the column runs off without end.) True when any column was turned.
bool TurnFreeColumns(LpEngine& engine) {
  bool turned = false;
  for (int32_t p = engine.row_count + 1; p <= engine.column_count; ++p) {
    LpColumn& column = engine.Column(p);
    if (column.kind != kFreeStructural) continue;
    if (LpReducedCost(engine, p) <= kZeroTolerance) continue;
    if (column.status == kAtUpper) {
      column.lower = column.upper;
      column.upper = kNoBound;
      column.status = kAtLower;
    } else {
      column.upper = column.lower;
      column.lower = -kNoBound;
      column.status = kAtUpper;
    }
    turned = true;
  }
  return turned;
}

// Puts back into the scans the columns parked for an unbounded step found while the
// basis was infeasible.
void UnparkColumns(LpEngine& engine) {
  for (int32_t p = 1; p <= engine.column_count; ++p) engine.Column(p).parked = false;
  engine.iter.parked_count = 0;
}

// The final report; the status lines only outside quiet mode.
void Report(LpEngine& engine, bool write_back) {
  const bool quiet = LpQuiet(engine);
  LpIterationState& it = engine.iter;
  if (engine.settings.iteration_log == 0 && !quiet) LpIterationLine(engine);
  engine.trace.TraceField({3, 1}, IntText(it.candidate_count, 5));
  LpInfeasibilities(engine);
  LpPricingVector(engine);
  if (!quiet) {
    std::string line;
    if (it.n_inf == 0) {
      line = engine.flags.unbounded ? "PROBLEM IS UNBOUNDED" : "OPTIMAL SOLUTION";
      line += " " + FixedText(it.objective, 14, 6);
    } else {
      line = "PROBLEM IS INFEASIBLE nINF=" + IntText(it.n_inf) + " INF=" + ShortGeneral(it.inf_sum);
    }
    engine.trace.TraceLine(line);
    engine.trace.TraceLine("Elapsed Time " + FormatElapsed(LpElapsed(engine)));
    if (engine.flags.unfinished) engine.trace.TraceLine("UNFINISHED");
  }
  if (write_back) LpWriteBack(engine);
}

// One try of a candidate: reprice, FTRAN and ratio test.
void TryCandidate(LpEngine& engine, int32_t position) {
  LpReducedCost(engine, position);
  LpTransformColumn(engine, position);
  LpRatioTest(engine, position);
}

}  // namespace

void LpIterationLine(LpEngine& engine) {
  LpIterationState& it = engine.iter;
  if (LpQuiet(engine) && engine.settings.iteration_log > 0 &&
      it.iteration_count % engine.settings.iteration_log != 0) {
    return;
  }
  std::string line = PadLeft(ShortGeneral(it.entering > 0 && it.entering <= engine.column_count
                                              ? engine.Column(it.entering).reduced_cost
                                              : 0.0),
                             10);
  if (it.entering > 0 && it.entering <= engine.column_count) {
    const LpColumn& entering = engine.Column(it.entering);
    if (it.step_code == 3 || it.step_code == 4) {
      line += " " + PadRight(entering.name, 12) +
              PadLeft(it.step_code == 3 ? "to upper" : "to lower", 11);
    } else if (it.leaving > 0 && it.leaving <= engine.row_count) {
      line +=
          " " + PadRight(entering.name, 12) + " " + PadRight(engine.Column(it.leaving).name, 12);
    }
  }
  line += ObjectiveText(it.objective) + ObjectiveText(it.inf_sum) + IntText(it.iteration_count, 6) +
          FixedText(LpElapsed(engine), 8, 1) + IntText(engine.factor.inversion_count, 4);
  engine.trace.TraceLine(line);
  engine.trace.TraceField(kPivotField, PadLeft(ShortGeneral(engine.factor.smallest_pivot), 11));
  engine.trace.TraceField(kCountsField,
                          PadLeft(IntText(it.n_inf) + " " + IntText(engine.eta.Count()) + " " +
                                      IntText(engine.eta.Nonzeros()),
                                  19));
}

void LpWriteBack(LpEngine& engine) {
  const int32_t m = engine.row_count;
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    LpColumn& column = engine.Column(p);
    if (p <= m) {
      column.value = engine.xB[p];
    } else {
      column.value = column.status == kAtUpper ? column.upper : column.lower;
    }
  }
}

void LpSimplex(LpEngine& engine, bool write_back) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return;
  LpIterationState& it = engine.iter;
  LpFlags& flags = engine.flags;
  const LpSettings& settings = engine.settings;
  const int32_t m = engine.row_count;
  LpPricingVector(engine);
  it.threshold = -1e8;
  it.entering = it.leaving = it.step_code = 0;
  it.progress_mark = it.iteration_count;
  it.stall_count = 0;
  it.restart_count = 0;
  it.accepted_pivots = 0;
  it.rejections_happened = false;
  flags.limit_reached = false;
  UnparkColumns(engine);  // whatever an earlier run left parked

  while (true) {  // passes
    if (it.parked_count > 0 && it.n_inf == 0) UnparkColumns(engine);
    it.rejected.clear();
    int32_t p = m + 1;
    bool improved = false;
    bool stop = false;  // go to the report
    bool turned = false;
    while (p <= engine.column_count) {
      const int32_t next = LpScanCandidates(engine, p);
      const int32_t count = it.candidate_count;
      const double best = count > 0 ? engine.Column(m + 1).reduced_cost : 0.0;
      if (p == m + 1 && count < it.candidate_limit && best > kInfeasibleStop && it.n_inf > 0 &&
          flags.perturbation_mode == 0) {
        // A free column held at its artificial bound may still mend the rows by going
        // the other way: turn it first, and stop only when no free column can move.
        if (flags.has_free_columns && TurnFreeColumns(engine)) {
          turned = true;
          break;
        }
        stop = true;
        break;
      }
      for (int32_t h = p; h < p + count; ++h) {
        LpColumn& column = engine.Column(h);
        if (IsFixed(column)) continue;
        const double d = LpReducedCost(engine, h);
        if (d < settings.dj_min && d < kThresholdFactor * it.threshold) {
          LpTransformColumn(engine, h);
          LpRatioTest(engine, h);
          if (it.step_code == kUnboundedStep && !flags.unbounded) {
            column.parked = true;
            ++it.parked_count;
            continue;
          }
          ++it.iteration_count;
          if (it.iteration_count > settings.max_iter || LpElapsed(engine) > settings.max_time) {
            flags.limit_reached = true;
          }
          if (it.pivot_magnitude < kSmallPivot) {
            column.threshold = false;
            it.rejected.push_back(h);
            it.rejections_happened = true;
          } else {
            std::copy(std::begin(it.history) + 1, std::end(it.history), std::begin(it.history));
            it.history[9] = d / std::max<int32_t>(1, column.EntryCount());
            if (++it.accepted_pivots > kFlagResetPivots) {
              if (it.rejections_happened) {
                for (int32_t q = 1; q <= engine.column_count; ++q)
                  engine.Column(q).threshold = true;
              }
              it.accepted_pivots = 0;
              it.rejections_happened = false;
            }
            double sum = 0;
            for (double v : it.history) sum += v;
            it.threshold = 0.095 * sum;
            LpPivot(engine, h);
            it.rejected.clear();
            if (flags.unbounded) return;
            improved = true;
          }
        }
        if (it.iteration_count % kPumpInterval == 0) Pump(engine);
        if (flags.unfinished) {
          if (settings.log_file) engine.trace.AppendLogLine("Solution cancelled");
          return;
        }
      }
      p = next;
    }
    if (turned) continue;

    if (!stop) {
      // Stall detection: no progress for more than 30 iterations, three times over.
      if (it.iteration_count - it.progress_mark > kStallWindow) {
        ++it.stall_count;
        it.progress_mark = it.iteration_count;
      }
      if (it.stall_count > kStallLimit) {
        if (it.restart_count > kRestartLimit) {
          engine.trace.TraceLine("Numerical Problems");
          flags.numerical_trouble = true;
          stop = true;
        } else {
          ++it.restart_count;
          if (flags.perturbation_mode < 2) {
            LpPerturb(engine, 2);
            it.candidate_limit = kStallCandidateLimit;
          } else {
            LpPerturb(engine, 0);
          }
          it.stall_count = 0;
        }
      }
    }

    if (!stop && LpQuiet(engine)) {
      LpScanCandidates(engine, m + 1);
      const int32_t count = it.candidate_count;
      if (count >= 1 && count <= 9 && it.inf_sum > 1e-5 &&
          engine.Column(m + 1).reduced_cost > kInfeasibleStop) {
        if (flags.perturbation_mode != 0) {
          LpPerturb(engine, 0);
          continue;
        }
        stop = true;
      }
    }

    if (!stop && (!improved || flags.unfinished)) {
      if (flags.unfinished) return;
      if (it.parked_count > 0 && it.n_inf == 0) {
        UnparkColumns(engine);
        continue;
      }
      if (!it.rejected.empty()) {
        // Every candidate was rejected for a small pivot: take the largest of them.
        int32_t best_position = 0;
        double best = 0;
        for (int32_t h : it.rejected) {
          TryCandidate(engine, h);
          if (it.pivot_magnitude > best) {
            best = it.pivot_magnitude;
            best_position = h;
            if (!LpQuiet(engine)) {
              engine.trace.TraceLine("PIVOT PROBLEM: BEST PIVOT " + engine.Column(h).name + " " +
                                     ShortGeneral(best));
            }
          }
        }
        if (best > 0) {
          TryCandidate(engine, best_position);
          ++it.iteration_count;
          LpPivot(engine, best_position);
          if (flags.unbounded) return;
          continue;
        }
        if (engine.factor.etas_since_inversion < 4) {
          engine.trace.TraceLine("Numerical Problems: Iteration stopped.");
          flags.numerical_trouble = true;
          return;
        }
      } else if (it.threshold < settings.dj_min || it.candidate_count > 0) {
        it.threshold = it.rejections_happened
                           ? settings.dj_min
                           : std::min(it.most_negative_dj / kRelaxDivisor, settings.dj_min);
        std::fill(std::begin(it.history), std::end(it.history), it.threshold);
        continue;
      } else if (flags.perturbation_mode != 0) {
        LpPerturb(engine, 0);
        continue;
      } else if (engine.factor.etas_since_inversion < 2 ||
                 (it.n_inf == 0 && engine.factor.smallest_pivot >= kSmallPivot)) {
        if (flags.has_free_columns && TurnFreeColumns(engine)) {
          LpBasicValues(engine);
          continue;
        }
        stop = true;
      }
      if (!stop) {
        if (!LpInversion(engine)) {
          flags.unfinished = true;
          return;
        }
        it.candidate_count = 0;
        continue;
      }
    }
    if (stop) break;
  }
  if (it.parked_count > 0) UnparkColumns(engine);
  Report(engine, write_back);
}

void LpLinearSolve(LpEngine& engine) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return;
  const double start = NowSeconds();
  engine.solve_start = start;
  if (engine.factor.inversion_count == 1 && !LpCrashBasis(engine)) return;
  engine.flags.unfinished = false;
  engine.flags.numerical_trouble = false;
  engine.flags.cancelled = false;
  LpSimplex(engine, true);
  engine.elapsed_time += NowSeconds() - start;
  engine.solve_start = NowSeconds();
  engine.flags.unfinished = false;
}

void LpResolve(LpEngine& engine, bool refactorise) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return;
  const double start = NowSeconds();
  engine.solve_start = start;
  engine.elapsed_time = 0;
  LpFlags& flags = engine.flags;
  flags.unfinished = flags.numerical_trouble = flags.cancelled = false;
  flags.limit_reached = flags.unbounded = false;
  LpIterationState& it = engine.iter;
  it.iteration_count = 0;
  it.penalty = kPhaseOnePenalty;
  it.candidate_limit = engine.settings.pricing;
  // What an earlier solve learnt about small pivots concerns another objective.
  for (int32_t p = 1; p <= engine.column_count; ++p) engine.Column(p).threshold = true;
  LpPerturb(engine, 0);
  // The updates of earlier solves pile up: once they outweigh the factorisation itself,
  // every FTRAN and BTRAN of this solve would cost more than a fresh one.
  const LpFactorState& factor = engine.factor;
  refactorise = refactorise || factor.stale ||
                engine.eta.Nonzeros() > 2 * factor.inversion_nonzeros + engine.row_count;
  if (refactorise && !LpInversion(engine)) {
    flags.numerical_trouble = true;
    return;
  }
  // No perturbation up front: the basis of an earlier optimum is feasible or nearly so,
  // and the stall rule still perturbs a degenerate vertex the simplex cannot leave.
  // INVERSION has computed the basic values already.
  if (!refactorise) LpBasicValues(engine);
  LpSimplex(engine, true);
  engine.elapsed_time += NowSeconds() - start;
  engine.solve_start = NowSeconds();
  flags.unfinished = false;
}

LpOutcome LpLinearOutcome(const LpEngine& engine) {
  // A solve given up for numerical trouble, stopped by a limit or cancelled proves
  // neither optimality nor infeasibility: the caller must not take its basis for an
  // answer.
  if (engine.flags.numerical_trouble || engine.flags.limit_reached || engine.flags.cancelled) {
    return LpOutcome::kUnfinished;
  }
  if (engine.iter.n_inf >= 1) return LpOutcome::kInfeasible;
  if (engine.flags.unbounded) return LpOutcome::kUnbounded;
  return LpOutcome::kOptimal;
}

LpOutcome LpIntegerOutcome(const LpEngine& engine) {
  if (engine.flags.unfinished) return LpOutcome::kUnfinished;
  if (engine.search.HasIntegerSolution) return LpOutcome::kOptimal;
  return LpOutcome::kInfeasible;
}

std::string LpLinearStatus(const LpEngine& engine) {
  switch (LpLinearOutcome(engine)) {
    case LpOutcome::kUnfinished:
      return "UNFINISHED";
    case LpOutcome::kInfeasible:
      return "PROBLEM IS INFEASIBLE";
    case LpOutcome::kUnbounded:
      return "UNBOUNDED SOLUTION";
    case LpOutcome::kOptimal:
      break;
  }
  return "OPTIMAL SOLUTION";
}

std::string LpIntegerStatus(const LpEngine& engine) {
  switch (LpIntegerOutcome(engine)) {
    case LpOutcome::kUnfinished:
      return "UNFINISHED";
    case LpOutcome::kOptimal:
      return "OPTIMAL SOLUTION";
    default:
      break;
  }
  return "INTEGER-PROBLEM-INFEASIBLE";
}

}  // namespace vido
