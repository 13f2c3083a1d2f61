#include "analysis/inference_solve.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "lp/solver_interface.h"
#include "sorting/credibility.h"
#include "sorting/result_display.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

std::string Num(int value) { return std::to_string(value); }

// The relaxation alpha is measured on rows brought to one size (largest coefficient of
// lambda and the weights in [1, 2), by a power of two): the verdict then does not depend
// on whether a constraint is typed as k1 >= 0.1 or as 1e-9 k1 >= 1e-10. The rows the
// program builds itself (examples, bounds) already have that size and stay as they are.
double RowUnitScale(const std::vector<double>& coefficients) {
  double largest = 0;
  for (const double value : coefficients) largest = std::max(largest, std::fabs(value));
  return UnitScale(largest);
}

// A coefficient cell the loaders read: an empty one is first set to "0" in the table.
double LoaderCoefficient(Table& grid, int col, int row) {
  if (grid.Cell(col, row).empty()) grid.SetCell(col, row, "0");
  return grid.Real(col, row);
}

// Stops at the first failing call with its message.
class Loader {
 public:
  explicit Loader(UserPort& port) : port_(port) {}
  bool Check(int32_t status, const std::string& message) {
    if (ok_ && status != 0) {
      port_.Error(message);
      ok_ = false;
    }
    return ok_;
  }
  bool Fail(const std::string& message) { return Check(-1, message); }
  bool ok() const { return ok_; }

 private:
  UserPort& port_;
  bool ok_ = true;
};

// Coefficients, sense and right-hand side of one table row in solver row `solver_row`;
// the sense is refused with `ineq_message` unless it is one of `senses`. With a
// tolerance (column n + 2, bounded by it), the row is relaxed by it on its unit scale as
// the alpha program relaxes it; an equality then takes `extra_row` for its second side.
bool LoadRow(Loader& load, Table& grid, int row, int solver_row, int n, const char* senses,
             const std::string& ineq_message, bool relaxed = false, int extra_row = 0) {
  std::vector<double> coefficients(static_cast<size_t>(n) + 1);
  for (int c = 1; c <= n + 1; ++c) coefficients[c - 1] = LoaderCoefficient(grid, c, row);
  const double scale = relaxed ? RowUnitScale(coefficients) : 1.0;
  const std::string& sign = grid.Cell(n + 2, row);
  if (sign.empty() || std::string(senses).find(sign[0]) == std::string::npos) {
    return load.Fail(ineq_message);
  }
  const double rhs = grid.Real(n + 3, row) * scale;
  auto side = [&](int target, char sense) {
    for (int c = 1; c <= n + 1; ++c) {
      if (!load.Check(SolverSetCoefficient(target, c, coefficients[c - 1] * scale),
                      "Error in A" + Num(target) + "," + Num(c))) {
        return false;
      }
    }
    if (relaxed && !load.Check(SolverSetCoefficient(target, n + 2, sense == '<' ? -1 : 1),
                               "Error in A" + Num(target) + "," + Num(n + 2))) {
      return false;
    }
    if (!load.Check(SolverSetRowSense(target, sense), ineq_message)) return false;
    return load.Check(SolverSetRhs(target, rhs), "Error in b" + Num(target));
  };
  if (relaxed && sign[0] == '=') return side(solver_row, '>') && side(extra_row, '<');
  return side(solver_row, sign[0]);
}

void ShowSolution(Workspace& ws, int dgrid_row, const std::vector<double>& solution) {
  const int cols = static_cast<int>(solution.size());
  if (ws.DGrid.ColCount() < cols || ws.DGrid.RowCount() < 3) {
    ws.DGrid.SetSize(std::max(cols, ws.DGrid.ColCount()), std::max(3, ws.DGrid.RowCount()));
  }
  for (size_t i = 0; i < solution.size(); ++i) {
    ws.DGrid.SetCell(static_cast<int>(i), dgrid_row, FormatGeneral(solution[i], 5));
  }
}

std::vector<double> SolverParameters(int n) {
  std::vector<double> solution(static_cast<size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) solution[i] = SolverValue(i + 3);
  return solution;
}

}  // namespace

int LoadInferenceProgram(Workspace& ws, UserPort& port) {
  const int n = ws.CriteriaCount;
  Table& ip = ws.IPGrid;
  const int rows = ip.RowCount() - 1;
  if (SolverInit(n + 3, rows + 1) != 0) {
    port.Error("Error LP in size");
    return -1;
  }
  Loader load(port);
  for (int i = 1; i <= rows && load.ok(); ++i) {
    const double s = ip.Cell(1, i) == "1" ? 1.0 : -1.0;
    if (!load.Check(SolverSetCoefficient(i, 1, s), "Error in setting IP" + Num(i) + ",1+") ||
        !load.Check(SolverSetCoefficient(i, 2, -s), "Error in setting IP" + Num(i) + ",1-")) {
      break;
    }
    std::vector<double> row(static_cast<size_t>(n) + 1);
    for (int c = 2; c <= n + 2; ++c) row[c - 2] = LoaderCoefficient(ip, c, i);
    const double scale = RowUnitScale(row);
    for (int c = 2; c <= n + 2 && load.ok(); ++c) {
      load.Check(SolverSetCoefficient(i, c + 1, row[c - 2] * scale),
                 "Error in setting IP" + Num(i) + "," + Num(c));
    }
    if (!load.ok()) break;
    const std::string& sign = ip.Cell(n + 3, i);
    if (sign.empty() || (sign[0] != '<' && sign[0] != '>')) {
      load.Fail("Error in Ineq" + Num(i));
      break;
    }
    if (!load.Check(SolverSetRowSense(i, sign[0]), "Error in Ineq" + Num(i))) break;
    load.Check(SolverSetRhs(i, ip.Real(n + 4, i) * scale), "Error in b" + Num(i));
  }
  const int norm = rows + 1;
  if (load.ok()) {
    load.Check(SolverSetCoefficient(norm, 1, 0), "Error in setting IP: Sum=1(+)") &&
        load.Check(SolverSetCoefficient(norm, 2, 0), "Error in setting IP: Sum=1(-)") &&
        load.Check(SolverSetCoefficient(norm, 3, 0), "Error in setting IP: Sum=1(L)");
    for (int c = 4; c <= n + 3 && load.ok(); ++c) {
      load.Check(SolverSetCoefficient(norm, c, 1), "Error in setting IP: Sum=1(k)");
    }
    load.ok() && load.Check(SolverSetRowSense(norm, '='), "Error in setting IP: Sum=1(=)") &&
        load.Check(SolverSetRhs(norm, 1), "Error in setting IP: Sum=1(b)");
  }
  if (load.ok()) {
    load.Check(SolverSetLowerBound(1, 0), "Error in setting IP: LB1+") &&
        load.Check(SolverSetLowerBound(2, 0), "Error in setting IP: LB1-") &&
        load.Check(SolverSetUpperBound(1, 1024), "Error in setting IP: UB1+") &&
        load.Check(SolverSetUpperBound(2, 1024), "Error in setting IP: UB1-");
    for (int c = 3; c <= n + 3 && load.ok(); ++c) {
      load.Check(SolverSetLowerBound(c, 0), "Error in setting IP: LB" + Num(c)) &&
          load.Check(SolverSetUpperBound(c, 1), "Error in in setting IP: UB" + Num(c));
    }
  }
  if (load.ok()) {
    load.Check(SolverSetObjective(1, -1), "Error in setting IP: c(alpha+)") &&
        load.Check(SolverSetObjective(2, 1), "Error in setting IP: c(alpha-)");
    for (int c = 3; c <= n + 3 && load.ok(); ++c) {
      load.Check(SolverSetObjective(c, 0), "Error in setting IP: Cj");
    }
  }
  return load.ok() ? 0 : -1;
}

int LoadRobustProgram(Workspace& ws, UserPort& port, double tolerance) {
  const int n = ws.CriteriaCount;
  const int constraints = ws.ConstraintsCount;
  const int examples = ws.ExampleRowsCount;
  const bool relaxed = tolerance > 0;
  // A relaxed equality (other than "Norm", which the alpha program keeps exact) needs a
  // row for each side.
  auto split = [&](const Table& grid, int r) {
    return relaxed && grid.Cell(n + 2, r).starts_with("=") && (&grid != &ws.CGrid || r > 1);
  };
  int equalities = 0;
  for (int r = 2; r <= constraints; ++r) equalities += split(ws.CGrid, r) ? 1 : 0;
  for (int e = 1; e <= examples; ++e) equalities += split(ws.ICGrid, e) ? 1 : 0;
  if (SolverInit(n + 1 + (relaxed ? 1 : 0), constraints + examples + equalities) != 0) {
    port.Error("Error LP in size");
    return -1;
  }
  Loader load(port);
  int extra = constraints + examples;
  for (int r = 1; r <= constraints; ++r) {
    if (!LoadRow(load, ws.CGrid, r, r, n, "<=>", "Error in Ineq" + Num(r), relaxed && r > 1,
                 split(ws.CGrid, r) ? ++extra : 0)) {
      return -1;
    }
  }
  for (int e = 1; e <= examples; ++e) {
    const int row = constraints + e;
    if (!LoadRow(load, ws.ICGrid, e, row, n, "<=>", "Error in Inf Ineq" + Num(row), relaxed,
                 split(ws.ICGrid, e) ? ++extra : 0)) {
      return -1;
    }
  }
  for (int c = 1; c <= n + 1; ++c) {
    double lower = ws.BGrid.Real(c, 1);
    double upper = ws.BGrid.Real(c, 2);
    if (upper < lower) {
      port.Error("LB>UB in column " + Num(c));
      return -1;
    }
    if (relaxed) {
      // The alpha program relaxes the bounds as rows but keeps every parameter in [0, 1].
      lower = std::max(0.0, lower - tolerance);
      upper = std::min(1.0, upper + tolerance);
    }
    if (!load.Check(SolverSetLowerBound(c, lower), "Error in LB" + Num(c)) ||
        !load.Check(SolverSetUpperBound(c, upper), "Error in UB" + Num(c))) {
      return -1;
    }
  }
  if (relaxed && (!load.Check(SolverSetLowerBound(n + 2, 0), "Error in LB" + Num(n + 2)) ||
                  !load.Check(SolverSetUpperBound(n + 2, tolerance), "Error in UB" + Num(n + 2)))) {
    return -1;
  }
  return 0;
}

std::optional<double> InferParameters(Workspace& ws, UserPort& port) {
  if (LoadInferenceProgram(ws, port) != 0) return std::nullopt;
  const int32_t status = SolverSolve();
  // A solve the user cancelled proves nothing about the program.
  if (status != 0 && port.PumpEvents()) return std::nullopt;
  if (status == 3) {
    port.Warning("Problem is infeasible for every alpha value");
    return std::nullopt;
  }
  if (status != 0) {
    port.Error(SolveErrorText("Unexpected Error in Inference Program: " + Num(status)));
    return std::nullopt;
  }
  ws.InferredSolution = SolverParameters(ws.CriteriaCount);
  ShowSolution(ws, 2, ws.InferredSolution);
  return -SolverObjective();
}

void ShowInconsistentResult(Workspace& ws, UserPort& port, double alpha) {
  port.Warning(alpha <= kNegligibleAlpha
                   ? "Information is inconsistent, but the error is negligible!"
                   : "Inconsistent information!");
  ws.view.inconsistency_enabled = true;
  ws.RangesValid = false;
  ws.view.output_tabs_visible = true;
  ws.view.inferred_constraints_tab_visible = ws.ExampleRowsCount > 0;
  ws.view.indices_tab_visible = false;
  ws.ResultsAvailable = true;
  ws.view.report_enabled = true;
  ws.view.output_stale = false;
  if (ws.display_order == DisplayOrder::kVariability) byInputItemClick(ws);
  ws.view.variability_order_enabled = false;

  ws.ViolatedRows.clear();
  const Table& ip = ws.IPGrid;
  if (ip.RowCount() > kMaxMarkedRows) return;
  const int n = ws.CriteriaCount;
  for (int r = 1; r < ip.RowCount(); ++r) {
    double lhs = 0;
    for (int i = 0; i <= n; ++i) lhs += ip.Real(i + 2, r) * ws.InferredSolution[i];
    const double rhs = ip.Real(n + 4, r);
    const double error = ip.Cell(n + 3, r) == "<=" ? lhs - rhs : rhs - lhs;
    ws.IPGrid.SetCell(n + 5, r, FormatGeneral(error, 5));
    if (error > 0) ws.ViolatedRows.push_back(r - 1);
  }
}

double RelaxationOf(const Workspace& ws, const std::vector<double>& solution) {
  const int n = ws.CriteriaCount;
  const Table& ip = ws.IPGrid;
  double alpha = -1024;
  std::vector<double> row(static_cast<size_t>(n) + 1);
  for (int r = 1; r < ip.RowCount(); ++r) {
    for (int i = 0; i <= n; ++i) row[i] = ip.Real(i + 2, r);
    const double scale = RowUnitScale(row);
    double lhs = 0;
    for (int i = 0; i <= n; ++i) lhs += row[i] * scale * solution[i];
    const double rhs = ip.Real(n + 4, r) * scale;
    alpha = std::max(alpha, ip.Cell(n + 3, r)[0] == '<' ? lhs - rhs : rhs - lhs);
  }
  // The alpha program bounds every parameter to [0, 1] and normalises the weights
  // without relaxation; a vector outside needs at least that much.
  double sum = 0;
  for (int i = 0; i <= n; ++i) {
    alpha = std::max({alpha, -solution[i], solution[i] - 1});
    if (i > 0) sum += solution[i];
  }
  return std::max(alpha, std::fabs(sum - 1));
}

void SolveForAssignment(Workspace& ws, UserPort& port, int row, int h) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  Table& ip = ws.IPGrid;
  const int original_rows = ip.RowCount();
  // The temporary rows go whatever way the solve ends, also through an exception.
  struct RemoveTemporaryRows {
    Table& ip;
    int rows;
    ~RemoveTemporaryRows() { ip.SetRowCount(rows); }
  } remove{ip, original_rows};

  auto append = [&](const char* lambda, const std::vector<double>& coefficients, double sign,
                    const char* rhs) {
    const int r = ip.RowCount();
    ip.SetRowCount(r + 1);
    ip.SetCell(1, r, "1");
    ip.SetCell(2, r, lambda);
    for (int j = 1; j <= n; ++j) ip.SetReal(2 + j, r, sign * coefficients[j - 1]);
    ip.SetCell(n + 3, r, ">=");
    ip.SetCell(n + 4, r, rhs);
  };
  if (h > 1) append("-1", CredibilityCoefficients(ws, row, h - 1), 1.0, "0");
  if (h < k) append("1", CredibilityCoefficients(ws, row, h), -1.0, "0.0001");

  if (LoadInferenceProgram(ws, port) != 0) return;
  const int32_t status = SolverSolve();
  if (status != 0) {
    if (SolverLastStop() == SolverStop::kCancelled) return;
    port.Error(SolveErrorText("Unexpected Error in Inference Program: " + Num(status)));
    return;
  }
  ShowSolution(ws, 1, SolverParameters(n));
}

namespace {

void EmptySelection(Workspace& ws) {
  for (int c = 0; c < ws.DGrid.ColCount(); ++c) ws.DGrid.SetCell(c, 1, "");
}

size_t Index(int action) { return static_cast<size_t>(action); }

void SelectResult(Workspace& ws, UserPort& port, const Table& grid, int col, int row, int action) {
  const bool in_range = ws.RangesValid && ws.ResultsAvailable && row >= 1 && action >= 1 &&
                        action <= ws.ActionsCount && Index(action) < ws.WorstCategory.size() &&
                        Index(action) < ws.BestCategory.size() && ws.WorstCategory[action] <= col &&
                        col <= ws.BestCategory[action] && grid.Cell(col, row).empty();
  if (!in_range) {
    EmptySelection(ws);
    return;
  }
  RunCommand(port, [&] { SolveForAssignment(ws, port, action, col); });
}

}  // namespace

void RGridSelectCell(Workspace& ws, UserPort& port, int col, int row) {
  SelectResult(ws, port, ws.RGrid, col, row, row);
}

void ORGridSelectCell(Workspace& ws, UserPort& port, int col, int row) {
  int action = 0;
  if (row >= 1 && static_cast<size_t>(row - 1) < ws.VariabilityOrder.size()) {
    action = ws.VariabilityOrder[row - 1] + 1;
  }
  SelectResult(ws, port, ws.ORGrid, col, row, action);
}

}  // namespace vido
