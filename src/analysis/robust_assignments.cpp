#include "analysis/robust_assignments.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/inference_solve.h"
#include "analysis/inference_tables.h"
#include "lp/solver_interface.h"
#include "model/validation.h"
#include "sorting/assignment.h"
#include "sorting/credibility.h"
#include "support/assertion.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// The clean-up of every run, whatever way it ends. A run that does not reach the
// end of the robust phase (or the inconsistency presentation) leaves no ranges that
// could be taken for current ones.
class RunCleanup {
 public:
  RunCleanup(Workspace& ws, UserPort& port) : ws_(ws), port_(port), busy_(port) {}
  ~RunCleanup() {
    if (!finished_) ws_.RangesValid = false;
    if (cancelled_) {
      // What the run had filled in so far (the inferred categories) would pass for
      // results: they go, the captions turn red, and the user hears why.
      std::fill(ws_.InferredCategory.begin(), ws_.InferredCategory.end(), 0);
      for (Table* grid : {&ws_.RGrid, &ws_.ORGrid}) {
        for (int r = 1; r < grid->RowCount(); ++r) {
          for (int c = 1; c < grid->ColCount(); ++c) grid->SetCell(c, r, "");
        }
      }
      ws_.view.output_stale = true;
      port_.Information(kRobustAssignmentsCancelled);
    }
    ws_.view.calc_panel_visible = false;
    port_.HideProgress();
    ws_.UseAcceptedSolution = false;
  }
  RunCleanup(const RunCleanup&) = delete;
  RunCleanup& operator=(const RunCleanup&) = delete;
  void Finished() { finished_ = true; }
  void Cancelled() { cancelled_ = true; }

 private:
  Workspace& ws_;
  UserPort& port_;
  BusyCursor busy_;
  bool finished_ = false;
  bool cancelled_ = false;
};

void WriteCategoryHeaders(Table& grid, int k) {
  for (int c = 1; c <= k; ++c) grid.SetCell(c, 0, Format("C%d", c));
}

// Steps that size and head the result tables and arrays of a fresh run.
void PrepareResultTables(Workspace& ws) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  const int m = ws.ActionsCount;
  ws.InferredSolution.assign(static_cast<size_t>(n) + 1, 0.0);
  ws.InferredCategory.assign(static_cast<size_t>(m) + 1, 0);
  ws.WorstCategory.assign(static_cast<size_t>(m) + 1, 0);
  ws.BestCategory.assign(static_cast<size_t>(m) + 1, 0);
  ws.VariabilityOrder.assign(static_cast<size_t>(m), 0);
  ws.RGrid.SetSize(k + 1, m + 1);
  WriteCategoryHeaders(ws.RGrid, k);
  for (int i = 1; i <= m; ++i) ws.RGrid.SetCell(0, i, ws.AGrid.Cell(0, i));
  ws.DGrid.SetSize(n + 1, 3);
  ws.DGrid.SetCell(0, 0, "lambda");
  for (int j = 1; j <= n; ++j) ws.DGrid.SetCell(j, 0, Format("k%d", j));
  for (int c = 0; c <= n; ++c) ws.DGrid.SetCell(c, 1, "");
}

// Without any row to infer from, every parameter vector within the bounds is
// compatible: the run starts from the centre of that region (lambda 0.5, equal
// weights) rather than from whatever an earlier run left.
void NeutralSolution(Workspace& ws) {
  const int n = ws.CriteriaCount;
  ws.InferredSolution.assign(static_cast<size_t>(n) + 1, 1.0 / n);
  ws.InferredSolution[0] = 0.5;
  for (int i = 0; i <= n; ++i) {
    ws.DGrid.SetCell(i, 2, FormatGeneral(ws.InferredSolution[i], 5));
  }
}

// Unwinds the range search when a solve stopped before it proved anything.
struct RunStopped {
  bool cancelled = false;
};

// The outcome of one robust solve: the objective, or nothing when the program is
// infeasible.
std::optional<double> RobustSolve(UserPort& port) {
  const int32_t status = SolverSolve();
  if (status == -1) {
    // A solve that stopped proves nothing: the run ends without ranges, silently when the
    // user asked for it.
    const SolverStop stop = SolverLastStop();
    if (stop == SolverStop::kCancelled) throw RunStopped{true};
    if (stop != SolverStop::kRejected && stop != SolverStop::kNone) {
      port.Error(SolveErrorText("The robust assignments could not be computed"));
      throw RunStopped();
    }
    throw AssertionFailure("Error in LP input", "Main");
  }
  if (status == 2) throw AssertionFailure("Error in LP input: unlimited solution", "Main");
  if (status != 0) return std::nullopt;
  return SolverObjective();
}

enum class Search { kDone, kInfeasible, kStopped };

// Sets the objective sigma(a, b_h) * sign - lambda * sign (sign +1 for the upward
// search, -1 for the downward one). False after the error message.
bool SetBoundaryObjective(UserPort& port, const std::vector<double>& coefficients, double sign) {
  if (SolverSetObjective(1, -sign) != 0) {
    port.Error("Error in c(lambda)");
    return false;
  }
  for (size_t j = 1; j <= coefficients.size(); ++j) {
    if (SolverSetObjective(static_cast<int32_t>(j) + 1, sign * coefficients[j - 1]) != 0) {
      port.Error(Format("Error in c%zu", j));
      return false;
    }
  }
  return true;
}

// The range of action i, outward from its inferred category.
Search ActionRange(Workspace& ws, UserPort& port, int i) {
  const int k = ws.CategoriesCount;
  int c = ws.InferredCategory[i] + 1;
  while (c <= k) {
    if (!SetBoundaryObjective(port, CredibilityCoefficients(ws, i, c - 1), 1.0)) {
      return Search::kStopped;
    }
    const std::optional<double> best = RobustSolve(port);
    if (!best) return Search::kInfeasible;
    if (!(*best > kReachableMargin)) break;
    ++c;
  }
  ws.BestCategory[i] = c - 1;
  c = ws.InferredCategory[i];
  while (c > 1) {
    if (!SetBoundaryObjective(port, CredibilityCoefficients(ws, i, c - 1), -1.0)) {
      return Search::kStopped;
    }
    const std::optional<double> objective = RobustSolve(port);
    if (!objective) return Search::kInfeasible;
    if (!(-*objective < -kReachableMargin)) break;
    --c;
  }
  ws.WorstCategory[i] = c;
  return Search::kDone;
}

void WriteRangeCells(Workspace& ws, Table& grid, int row, int i) {
  const int k = ws.CategoriesCount;
  for (int c = 1; c <= k; ++c) grid.SetCell(c, row, "");
  for (int c = ws.WorstCategory[i] + 1; c <= ws.BestCategory[i] - 1; ++c) {
    if (IsCategoryHole(ws, i, c)) grid.SetCell(c, row, "X");
  }
}

void ShowRanges(Workspace& ws) {
  const int k = ws.CategoriesCount;
  const int m = ws.ActionsCount;
  ws.ORGrid.SetSize(k + 1, m + 1);
  WriteCategoryHeaders(ws.ORGrid, k);
  for (int p = 0; p < m; ++p) {
    const int i = ws.VariabilityOrder[p] + 1;
    ws.ORGrid.SetCell(0, p + 1, ws.AGrid.Cell(0, i));
    WriteRangeCells(ws, ws.ORGrid, p + 1, i);
    WriteRangeCells(ws, ws.RGrid, i, i);
  }
}

void ShowResultsPages(Workspace& ws, bool indices) {
  ws.view.output_tabs_visible = true;
  ws.view.inferred_constraints_tab_visible = ws.ExampleRowsCount > 0;
  ws.view.indices_tab_visible = indices;
  ws.ResultsAvailable = true;
  ws.view.report_enabled = true;
  ws.view.output_stale = false;
}

void RunResults(Workspace& ws, UserPort& port) {
  RunCleanup cleanup(ws, port);
  ws.ViolatedRows.clear();
  // The acceptabilities describe the region of the run before.
  ws.view.acceptability_tab_visible = false;
  const bool accepted = ws.UseAcceptedSolution;
  if (!accepted) {
    if (ws.CriteriaCount == 0) {
      port.Error("You must read data first");
      return;
    }
    if (!ValidateBounds(ws, port) || !ValidateRhs(ws, port) || !ValidateExamples(ws, port)) return;
    // Until this run ends well, the earlier results are no longer the current ones.
    ws.ResultsAvailable = false;
    ws.view.report_enabled = false;
    ws.RangesValid = true;
    PrepareResultTables(ws);
    BuildExampleConstraints(ws, port);
    BuildAnalysisTable(ws);
    BuildInferenceProgram(ws);
  } else {
    // The tables of the run that found the accepted vector stay; only the arrays are
    // made to fit, in case they were never sized.
    const size_t m = static_cast<size_t>(ws.ActionsCount);
    ws.InferredSolution.resize(static_cast<size_t>(ws.CriteriaCount) + 1, 0.0);
    ws.WorstCategory.resize(m + 1, 0);
    ws.BestCategory.resize(m + 1, 0);
    ws.VariabilityOrder.resize(m, 0);
  }

  // The relaxation this run judges consistency by: freshly inferred, or that of the
  // accepted vector itself, never one left by an earlier run.
  double alpha = 0;
  if (accepted) {
    alpha = RelaxationOf(ws, ws.InferredSolution);
  } else if (ws.IPGrid.RowCount() > 1) {
    const std::optional<double> inferred = InferParameters(ws, port);
    if (!inferred) {
      if (SolverLastStop() == SolverStop::kCancelled) cleanup.Cancelled();
      return;
    }
    alpha = *inferred;
  } else {
    NeutralSolution(ws);
    alpha = RelaxationOf(ws, ws.InferredSolution);
  }
  ws.Alpha = alpha;
  ComputeInferredCategories(ws);
  ws.RangesValid = alpha <= kConsistentAlpha;
  if (!ws.RangesValid) {
    ShowInconsistentResult(ws, port, alpha);
    cleanup.Finished();
    return;
  }

  // Robust phase.
  ws.view.inconsistency_enabled = false;
  ws.view.variability_order_enabled = true;
  // A consistent verdict with a positive alpha (within the tolerance) comes with ranges:
  // they are those of the region the verdict found, the rows relaxed by alpha (and a
  // hair for rounding) as the alpha program relaxed them.
  const double tolerance = alpha > 0 ? alpha * (1 + 1e-9) + 1e-12 : 0;
  if (LoadRobustProgram(ws, port, tolerance) != 0) return;
  const int m = ws.ActionsCount;
  port.ShowProgress(m);
  port.SetProgress(0);
  ws.view.calc_panel_visible = true;
  for (int p = 1; p <= m; ++p) {
    if (p % 5 == 0) port.SetProgress(p);
    Search search = Search::kStopped;
    try {
      search = ActionRange(ws, port, p);
    } catch (const RunStopped& stopped) {
      if (stopped.cancelled) cleanup.Cancelled();
      return;
    }
    if (search == Search::kStopped) return;
    // A cancelled solve reports whatever state it stopped in; the user asked to stop,
    // so nothing is concluded from it and the run ends without ranges.
    if (port.PumpEvents()) {
      cleanup.Cancelled();
      return;
    }
    if (search == Search::kInfeasible) {
      // No parameter vector satisfies every row exactly: the information is
      // inconsistent, however small its alpha.
      ShowInconsistentResult(ws, port, alpha);
      cleanup.Finished();
      return;
    }
  }

  ws.VariabilityOrder = ComputeVariabilityOrder(ws);
  if (static_cast<int>(ws.VariabilityOrder.size()) != m) {
    throw AssertionFailure("problem in sorting by variability", "Main");
  }
  ShowRanges(ws);
  if (m > 0) UpdateRobustnessIndex(ws.view, GeometricMeanOfRanges(ws));
  ShowResultsPages(ws, true);
  cleanup.Finished();
}

}  // namespace

std::vector<int> ComputeVariabilityOrder(const Workspace& ws) {
  std::vector<int> order;
  for (int w = ws.CategoriesCount - 1; w >= 0; --w) {
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      if (ws.BestCategory[i] - ws.WorstCategory[i] == w) order.push_back(i - 1);
    }
  }
  return order;
}

double GeometricMeanOfRanges(const Workspace& ws) {
  double log_sum = 0;
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    log_sum += std::log(static_cast<double>(ws.BestCategory[i] - ws.WorstCategory[i] + 1));
  }
  return std::exp(log_sum / ws.ActionsCount);
}

void UpdateRobustnessIndex(ViewState& view, double mean) {
  if (view.label_ma != "0") {
    const double old = ParseReal(view.label_ma).value_or(0);
    view.label_ma_dif =
        Format("variation = %.3f (%.1f%s)", mean - old, (mean - old) * 100 / old, "%");
  } else {
    view.label_ma_dif.clear();
  }
  view.label_ma = Format("%.3f", mean);
}

void CalcRangeItemClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] { RunResults(ws, port); });
}

}  // namespace vido
