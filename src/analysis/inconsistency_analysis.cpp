#include "analysis/inconsistency_analysis.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/drop_search.h"
#include "analysis/robust_assignments.h"
#include "lp/solver_interface.h"
#include "model/help_access.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// Relaxation of a dropped row and margin of a kept one.
constexpr double kDropRelaxation = 999;
constexpr double kKeptMargin = 0.00001;

void WriteSuggestionHeaders(Table& grid) {
  grid.SetCell(0, 0, " # ");
  grid.SetCell(1, 0, " Quant.");
  grid.SetCell(2, 0, " Constraints to remove");
}

std::string JoinNumbers(const std::vector<int>& numbers) {
  std::string text;
  for (const int i : numbers) text += (text.empty() ? "" : " + ") + std::to_string(i);
  return text;
}

// The solver interface takes only non-negative right-hand sides: a row whose b is
// negative goes in negated.
bool LoadDropProgram(const DropProgram& drop, UserPort& port) {
  if (SolverInit(drop.Columns(), drop.Rows()) != 0) {
    port.Error("Error in Solver");
    return false;
  }
  for (int j = 1; j <= drop.Columns(); ++j) {
    SolverSetColumnType(j, j <= drop.p ? 'C' : 'B');
    SolverSetObjective(j, j <= drop.p ? 0 : -1);
  }
  for (int l = 0; l < drop.Rows(); ++l) {
    const double sign = drop.b[l] < 0 ? -1 : 1;
    SolverSetRhs(l + 1, std::fabs(drop.b[l]));
    SolverSetRowSense(l + 1, drop.Sense(l));
    for (int j = 0; j < drop.Columns(); ++j) {
      if (drop.a[l][j] != 0) SolverSetCoefficient(l + 1, j + 1, sign * drop.a[l][j]);
    }
  }
  return true;
}

}  // namespace

char DropProgram::Sense(int row) const {
  if (row < m) return b[row] >= 0 ? '>' : '<';
  if (row == m) return '=';
  return '<';
}

void DropProgram::AddCut(const std::vector<int>& dropped) {
  std::vector<double> cut(static_cast<size_t>(Columns()), 0.0);
  for (const int i : dropped) cut[p + i - 1] = 1;
  a.push_back(std::move(cut));
  b.push_back(static_cast<double>(dropped.size()) - 1);
}

DropProgram ReadDropProgram(const Workspace& ws) {
  const Table& ig = ws.IGrid;
  DropProgram drop;
  drop.p = ws.CriteriaCount + 1;
  drop.m = std::max(0, ig.RowCount() - 1);
  for (int i = 1; i <= drop.m; ++i) {
    std::vector<double> row(static_cast<size_t>(drop.Columns()), 0.0);
    double largest = 0;
    for (int c = 0; c < drop.p; ++c) {
      if (!ig.Cell(2 + c, i).empty()) row[c] = ig.Real(2 + c, i);
      largest = std::max(largest, std::fabs(row[c]));
    }
    // The margin and the relaxation are measured on the row brought to one size, as the
    // alpha program measures its relaxation, whatever magnitudes the row was typed in.
    const double scale = UnitScale(largest);
    for (int c = 0; c < drop.p; ++c) row[c] *= scale;
    row[drop.p + i - 1] = kDropRelaxation;
    drop.a.push_back(std::move(row));
    drop.b.push_back(ig.Real(drop.p + 3, i) * scale + kKeptMargin);
  }
  std::vector<double> norm(static_cast<size_t>(drop.Columns()), 0.0);
  for (int c = 1; c < drop.p; ++c) norm[c] = 1;
  drop.a.push_back(std::move(norm));
  drop.b.push_back(1);
  return drop;
}

IAForm::IAForm() { WriteSuggestionHeaders(StringGrid1); }

void IAForm::SetMaxSuggestions(int count) {
  max_suggestions = std::clamp(count, kMinSuggestions, kMaxSuggestions);
}

void FormActivate(IAForm& form) { form.suggestions_visible = false; }

namespace {

// What the window says while the search looks for the next suggestion.
std::string SearchProgress(int at_least, int found) {
  std::string text;
  if (at_least > 0) {
    text =
        "at least " + std::to_string(at_least) + (at_least == 1 ? " constraint" : " constraints");
  }
  if (found > 0)
    text += (text.empty() ? "" : "; ") + ("a set of " + std::to_string(found) + " found");
  return text.empty() ? text : "Searching: " + text;
}

}  // namespace

void BSuggestClick(const Workspace& ws, UserPort& port, IAForm& form) {
  BusyCursor busy(port);
  form.suggestions_visible = true;
  form.StringGrid1.SetSize(3, 2);
  form.StringGrid1.Clear();
  WriteSuggestionHeaders(form.StringGrid1);
  struct Searching {
    IAForm& form;
    explicit Searching(IAForm& f) : form(f) {
      form.searching = true;
      if (form.repaint) form.repaint(form);
    }
    ~Searching() {
      form.searching = false;
      form.progress.clear();
      if (form.repaint) form.repaint(form);
    }
  } searching(form);
  RunCommand(port, [&] {
    DropProgram drop = ReadDropProgram(ws);
    form.NoDropSolutionFound = false;
    form.kept_solution.clear();
    form.suggested_sets.clear();
    // The search holds programs of the table's size: made only when it runs.
    std::unique_ptr<DropSearch> search;
    if (!form.drop_program) {
      search = std::make_unique<DropSearch>(drop, &port, SolverColdStart());
      search->SetProgress([&form](int at_least, int found) {
        form.progress = SearchProgress(at_least, found);
        if (form.repaint) form.repaint(form);
      });
    }
    bool reported = false;  // the failure has had its message
    // The next smallest set (empty: no row needs to go) and the solution that goes with
    // it, from the 0-1 program itself or from the search; the set found is excluded from
    // the later ones.
    auto next = [&](std::vector<int>& dropped, std::vector<double>& solution) {
      if (!form.drop_program) {
        const DropSearch::Outcome outcome = search->Next(dropped, solution);
        if (outcome == DropSearch::Outcome::kFound && !dropped.empty()) search->Exclude(dropped);
        return outcome;
      }
      if (!LoadDropProgram(drop, port)) {
        reported = true;
        return DropSearch::Outcome::kStopped;
      }
      const int32_t status = SolverSolve();
      if (status == 3) return DropSearch::Outcome::kNoMore;
      if (status != 0) return DropSearch::Outcome::kStopped;
      dropped.clear();
      for (int i = 1; i <= drop.m; ++i) {
        if (SolverValue(drop.p + i) == 1) dropped.push_back(i);
      }
      solution.clear();
      for (int j = 1; j <= drop.p; ++j) solution.push_back(SolverValue(j));
      if (!dropped.empty()) drop.AddCut(dropped);
      return DropSearch::Outcome::kFound;
    };
    int s = 1;
    do {
      std::vector<int> dropped;
      std::vector<double> solution;
      const DropSearch::Outcome outcome = next(dropped, solution);
      if (outcome == DropSearch::Outcome::kNoMore) {
        port.Information("There are no more alternatives");
        return;
      }
      if (outcome == DropSearch::Outcome::kStopped) {
        const SolverStop stop = search ? search->LastStop() : SolverLastStop();
        // Stopped by the user: what was found stays, and nothing went wrong.
        if (stop == SolverStop::kCancelled || reported) return;
        port.Error(SolveErrorText("Error accessing LPSolver", stop));
        return;
      }
      const int e = static_cast<int>(dropped.size());
      Table& grid = form.StringGrid1;
      if (s > 1) grid.SetRowCount(grid.RowCount() + 1);
      const int row = grid.RowCount() - 1;
      grid.SetCell(0, row, std::to_string(s));
      grid.SetCell(1, row, FormatGeneral(e));
      if (e > 0) {
        grid.SetCell(2, row, JoinNumbers(dropped));
        form.suggested_sets.push_back(dropped);
        form.progress.clear();
        ++s;
        if (form.repaint) form.repaint(form);
      } else {
        grid.SetCell(2, row, IAForm::kNoDrop);
        form.NoDropSolutionFound = true;
        form.kept_solution = solution;
        return;
      }
    } while (s <= form.max_suggestions);
  });
}

std::string SuggestionDescriptions(const Workspace& ws, const IAForm& form, int row) {
  if (row < 1 || row > static_cast<int>(form.suggested_sets.size())) return "";
  std::string text;
  for (const int i : form.suggested_sets[row - 1]) {
    if (!text.empty()) text += '\n';
    text += std::to_string(i) + ": " + ws.IGrid.Cell(1, i);
  }
  return text;
}

void BHelpClick(UserPort& port, const std::string& help_folder) {
  OpenHelpPage(port, help_folder, kInconsistencyHelpPage);
}

void InconsistMenuClick(Workspace& ws, UserPort& port, IAForm& form) {
  FormActivate(form);
  if (form.show_modal) {
    form.show_modal(form);
  } else {
    BSuggestClick(ws, port, form);
  }
  if (!form.NoDropSolutionFound) return;
  if (static_cast<int>(form.kept_solution.size()) != ws.CriteriaCount + 1) return;
  if (!port.Confirm("A new solution was found: accept it?")) return;
  ws.InferredSolution = form.kept_solution;
  if (ws.DGrid.ColCount() < ws.CriteriaCount + 1 || ws.DGrid.RowCount() < 3) {
    ws.DGrid.SetSize(std::max(ws.DGrid.ColCount(), ws.CriteriaCount + 1),
                     std::max(ws.DGrid.RowCount(), 3));
  }
  for (int i = 0; i <= ws.CriteriaCount; ++i) {
    ws.DGrid.SetCell(i, 2, FormatGeneral(ws.InferredSolution[i]));
  }
  ws.UseAcceptedSolution = true;
  CalcRangeItemClick(ws, port);
}

}  // namespace vido
